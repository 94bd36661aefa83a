// The downloader against a real HTTP server on loopback (tests/fixtures/update_server.py,
// which runs this program and names its address in VELMORA_UPDATE_SERVER), writing
// real files in a temporary per-user folder. The same cases run natively (libcurl)
// and under Wine (urlmon).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.hpp"
#include "kit/Host.hpp"
#include "update/Downloader.hpp"
#include "update/VersionList.hpp"
#include "velmora/Platform.hpp"

#ifdef _WIN32
#include "WinDownloadFileCallbackImpl.hpp"
#endif

using velmora::test::Environment;
using namespace velmora::core;

using velmora::test::FileExists;
using velmora::test::ReadFileBytes;
using velmora::test::WriteFileBytes;
using namespace velmora::update;

namespace {

const char* const Installed = "VelmoraLibrary 19.0.4.2200 (DA190) 03/08/2018";
const char* const NewerLine = "VelmoraLibrary 19.1.0.100 (DA190) 04/08/2018";
constexpr auto FinalLimit = std::chrono::seconds(60);

std::string ServerUrl(const std::string& mode)
{
    return Environment("VELMORA_UPDATE_SERVER") + "/" + mode + "/update_plugins/versions16.txt";
}

bool UnderWine()
{
#ifdef _WIN32
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

struct Call {
    Int32 state;
    double fraction;
};

// Records every callback call and answers with the test's choice; the test waits
// for the final state with a time limit.
class Recorder {
public:
    // answer(state, fraction, index of the call) gives the callback's result.
    using Answer = Int32 (*)(Int32 state, double fraction, std::size_t call);
    explicit Recorder(Answer answerWith = nullptr) : answer(answerWith) {}

    static Int32 Callback(Int32 state, double fraction, void* userData)
    {
        auto* self = static_cast<Recorder*>(userData);
        std::lock_guard<std::mutex> lock(self->mutex);
        self->calls.push_back({state, fraction});
        const Int32 result =
            self->answer != nullptr ? self->answer(state, fraction, self->calls.size() - 1) : 0;
        self->ended =
            self->ended || state == DownloadDone || state == DownloadFailed || state == DownloadAborted;
        // Notified under the lock: the waiting test may end the recorder's life as soon
        // as it can take the lock again.
        self->finished.notify_all();
        return result;
    }

    // The calls once the final state has arrived; false when none came in time.
    bool WaitForFinal(std::vector<Call>* out)
    {
        std::unique_lock<std::mutex> lock(mutex);
        const bool inTime = finished.wait_for(lock, FinalLimit, [this] { return ended; });
        *out = calls;
        return inTime;
    }

private:
    Answer answer;
    std::mutex mutex;
    std::condition_variable finished;
    std::vector<Call> calls;
    bool ended = false;
};

std::string Describe(const std::vector<Call>& calls)
{
    std::ostringstream out;
    for (const Call& call : calls)
        out << call.state << "(" << call.fraction << ") ";
    return out.str();
}

// The final state of a download's calls; -1 when there were none.
Int32 Final(const std::vector<Call>& calls)
{
    return calls.empty() ? -1 : calls.back().state;
}

// The order every download keeps: at most one DownloadStarted, first; progress
// from 0 to 1 that never goes back; exactly one final state, last.
void ExpectWellFormed(const std::vector<Call>& calls, const std::string& name)
{
    ASSERT_FALSE(calls.empty()) << name;
    double last = 0.0;
    for (std::size_t i = 0; i + 1 < calls.size(); ++i) {
        const Call& call = calls[i];
        if (call.state == DownloadStarted) {
            EXPECT_EQ(i, 0u) << name << ": " << Describe(calls);
            EXPECT_EQ(call.fraction, 0.0) << name;
            continue;
        }
        ASSERT_EQ(call.state, DownloadProgress) << name << ": " << Describe(calls);
        EXPECT_GE(call.fraction, 0.0) << name;
        EXPECT_LE(call.fraction, 1.0) << name;
        if (call.fraction != 0.5) { // "no total" may come at any point
            EXPECT_GE(call.fraction, last) << name << ": " << Describe(calls);
            last = call.fraction;
        }
    }
    const Int32 final = calls.back().state;
    EXPECT_TRUE(final == DownloadDone || final == DownloadFailed || final == DownloadAborted) << name;
    EXPECT_EQ(calls.back().fraction, 0.0) << name;
}

class DownloaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(Environment("VELMORA_UPDATE_SERVER").empty())
            << "run through tests/fixtures/update_server.py --run (CTest does)";
        kit::SetSpecialFolder(14, folder.Native());
    }
    void TearDown() override { kit::SetSpecialFolder(14, ""); }

    // Starts a download into the local list file.
    static bool Start(const std::string& url, Recorder& recorder, DownloadAbortPoll poll = nullptr)
    {
        TS_String target;
        EXPECT_TRUE(VersionListPath(&target));
        return StartDownload(TS_String(url.c_str()), target, Recorder::Callback, &recorder, poll);
    }
    // Downloads into the local list file and waits for the final state.
    std::vector<Call> Download(const std::string& url, Recorder::Answer answer = nullptr)
    {
        Recorder recorder(answer);
        std::vector<Call> calls;
        if (!Start(url, recorder)) {
            ADD_FAILURE() << "the download did not start";
            return calls;
        }
        if (!recorder.WaitForFinal(&calls))
            ADD_FAILURE() << url << ": no final state within the limit; so far " << Describe(calls);
        return calls;
    }
    std::string ListFile() const { return folder.File("__updts__.tmp"); }

    velmora::test::TempFolder folder;
};

TEST_F(DownloaderTest, EachServerAnswerEndsInItsStateAndFile)
{
    using O = VersionListOutcome;
    struct Row {
        const char* mode;
        Int32 final;
        O outcome;            // of the comparison with the downloaded list (Failed: no file is left)
        bool noTotal;         // the server announces no length
        bool framing = false; // the fault is in the chunks' framing
    } rows[] = {
        {"newer", DownloadDone, O::UpdateAvailable, false},
        {"up-to-date", DownloadDone, O::UpToDate, false},
        {"ignored-lines", DownloadDone, O::UpToDate, false},
        {"utf16-bom", DownloadDone, O::UpdateAvailable, false},
        {"no-final-break", DownloadDone, O::UpdateAvailable, false},
        {"redirect", DownloadDone, O::UpdateAvailable, false},
        {"chunked", DownloadDone, O::UpdateAvailable, true},
        // A status of 200 that brings no list: the download is done, the list fails.
        {"sign-in", DownloadDone, O::Failed, false},
        {"blank-invalid", DownloadDone, O::Failed, false},
        {"not-found", DownloadFailed, O::Failed, false},
        {"server-error", DownloadFailed, O::Failed, false},
        {"short-body", DownloadFailed, O::Failed, false},
        {"too-large", DownloadFailed, O::Failed, false},
        {"too-large-chunked", DownloadFailed, O::Failed, true},
        {"endless-chunked", DownloadFailed, O::Failed, true},
        {"closed", DownloadFailed, O::Failed, false},
        {"not-http", DownloadFailed, O::Failed, false},
        {"broken-chunk", DownloadFailed, O::Failed, false, true},
        {"cut-chunk", DownloadFailed, O::Failed, false, true},
        {"redirect-loop", DownloadFailed, O::Failed, false},
        {"redirect-file", DownloadFailed, O::Failed, false},
        {"redirect-ftp", DownloadFailed, O::Failed, false},
    };
    for (const Row& row : rows) {
        // Wine's wininet takes a broken chunk-size line or a connection closed inside
        // a chunk for the body's end, and says so to nothing above it.
        if (row.framing && UnderWine())
            continue;
#ifdef _WIN32
        const long callbacksBefore = WinDownloadFileCallbackImpl::Live();
#endif
        const std::vector<Call> calls = Download(ServerUrl(row.mode));
        ExpectWellFormed(calls, row.mode);
        EXPECT_EQ(Final(calls), row.final) << row.mode << ": " << Describe(calls);
        if (row.final == DownloadDone) {
            ASSERT_GE(calls.size(), 3u) << row.mode;
            EXPECT_EQ(calls.front().state, DownloadStarted) << row.mode;
            EXPECT_EQ(calls[calls.size() - 2].state, DownloadProgress) << row.mode;
            EXPECT_EQ(calls[calls.size() - 2].fraction, 1.0) << row.mode << ": the end of the data";
        } else {
            EXPECT_FALSE(FileExists(ListFile())) << row.mode << ": a failed download leaves no file";
        }
        // Without a total every report of arriving data carries 0.5. libcurl reports
        // each piece of a chunked body; urlmon reports only its begin and end.
        int halfway = 0;
        for (std::size_t i = 1; i + 2 < calls.size(); ++i) {
            if (row.noTotal) {
                EXPECT_EQ(calls[i].fraction, 0.5) << row.mode << ": " << Describe(calls);
            }
            halfway += calls[i].fraction == 0.5 ? 1 : 0;
        }
#ifndef _WIN32
        if (row.noTotal) {
            EXPECT_GT(halfway, 0) << row.mode << ": " << Describe(calls);
        }
#endif
        EXPECT_EQ(CompareWithVersionList(TS_String(Installed)), row.outcome) << row.mode;
#ifdef _WIN32
        // urlmon let go of the status callback object, which freed itself. (Wine's
        // urlmon holds an ended binding while its server still sends.)
        if (UnderWine() && std::string(row.mode) == "endless-chunked")
            continue;
        for (int i = 0; i < 200 && WinDownloadFileCallbackImpl::Live() != callbacksBefore; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(WinDownloadFileCallbackImpl::Live(), callbacksBefore) << row.mode;
#endif
    }
}

TEST_F(DownloaderTest, TheFileHoldsExactlyTheBody)
{
    const std::vector<Call> calls = Download(ServerUrl("no-final-break"));
    ASSERT_EQ(Final(calls), DownloadDone) << Describe(calls);
    const std::string body = ReadFileBytes(ListFile());
    EXPECT_EQ(body.substr(0, 41), "VelmoraDoors 19.2.0.10 (DA190) 01/09/2018");
    EXPECT_EQ(body.size(), 178u);
    EXPECT_EQ(body.substr(body.size() - 46), std::string("\r\n") + NewerLine);

    std::filesystem::remove(ListFile()); // a download never replaces a file
    const std::vector<Call> empty = Download(ServerUrl("empty"));
    EXPECT_EQ(Final(empty), DownloadDone) << Describe(empty);
    EXPECT_TRUE(FileExists(ListFile()));
    EXPECT_EQ(ReadFileBytes(ListFile()), "");
}

TEST_F(DownloaderTest, EveryDownloadFetchesAFreshCopy)
{
    std::string bodies[2];
    for (std::string& body : bodies) {
        const std::vector<Call> calls = Download(ServerUrl("cacheable-counter"));
        ASSERT_EQ(Final(calls), DownloadDone) << Describe(calls);
        body = ReadFileBytes(ListFile());
        std::filesystem::remove(ListFile());
    }
    EXPECT_NE(bodies[0], bodies[1]) << "the second download came from a cache";
    EXPECT_NE(bodies[1].find("request"), std::string::npos);
}

// No server at the address, or one whose certificate nobody vouches for: the
// download fails at once and leaves no file.
TEST_F(DownloaderTest, NoServerOrAnUntrustedOneFails)
{
    const std::string untrusted = Environment("VELMORA_UNTRUSTED_HTTPS_SERVER");
    ASSERT_FALSE(untrusted.empty());
    for (const std::string& url :
         {Environment("VELMORA_REFUSED_URL"), untrusted + "/newer/update_plugins/versions16.txt"}) {
        ASSERT_NE(url.find("://"), std::string::npos) << url;
        const std::vector<Call> calls = Download(url);
        ASSERT_EQ(calls.size(), 1u) << url << ": " << Describe(calls);
        EXPECT_EQ(calls[0].state, DownloadFailed) << url;
        EXPECT_FALSE(FileExists(ListFile())) << url;
    }
}

#if !defined(_WIN32)
// With the fixture's authority trusted (as a company's own is, through OpenSSL's
// SSL_CERT_FILE), a transfer may go from http to https, never from https to http
// (a plain redirect from http to http is a row of the first table).
TEST_F(DownloaderTest, ARedirectNeverLeavesTls)
{
    const std::string tls = Environment("VELMORA_UNTRUSTED_HTTPS_SERVER");
    ASSERT_FALSE(tls.empty());
    ::setenv("SSL_CERT_FILE",
             (velmora::test::SourceDir() + "/tests/fixtures/untrusted_localhost.pem").c_str(), 1);
    struct Row {
        const char* name;
        std::string url;
        Int32 final;
    } rows[] = {
        {"http to https", ServerUrl("to-https"), DownloadDone},
        {"https to http", tls + "/to-http/update_plugins/versions16.txt", DownloadFailed},
    };
    for (const Row& row : rows) {
        const std::vector<Call> calls = Download(row.url);
        EXPECT_EQ(Final(calls), row.final) << row.name << ": " << Describe(calls);
        std::filesystem::remove(ListFile());
    }
    ::unsetenv("SSL_CERT_FILE");
}
#endif

// Only an answer of exactly 1 aborts; on the start it ends the download as aborted,
// not failed.
TEST_F(DownloaderTest, OnlyAnAnswerOfExactlyOneAborts)
{
    struct Row {
        const char* name;
        const char* mode;
        Recorder::Answer answer;
        Int32 final;
    } rows[] = {
        {"1 on the start", "newer",
         [](Int32 state, double, std::size_t) { return state == DownloadStarted ? 1 : 0; }, DownloadAborted},
        {"always 2", "newer", [](Int32, double, std::size_t) { return 2; }, DownloadDone},
        // A body of no announced length is whole only at its end: the report of the
        // whole comes after the last byte, and 1 there still leaves no list.
        {"1 on the whole, after the last byte", "chunked",
         [](Int32 state, double fraction, std::size_t) {
             return state == DownloadProgress && fraction == 1.0 ? 1 : 0;
         },
         DownloadAborted},
    };
    for (const Row& row : rows) {
        const std::vector<Call> calls = Download(ServerUrl(row.mode), row.answer);
        EXPECT_EQ(Final(calls), row.final) << row.name << ": " << Describe(calls);
        if (row.final == DownloadAborted && calls.size() >= 2) {
            // Nothing is reported between the answer of 1 and the end.
            const std::size_t last = calls.size() - 2;
            EXPECT_EQ(row.answer(calls[last].state, calls[last].fraction, last), 1) << Describe(calls);
            EXPECT_FALSE(FileExists(ListFile())) << row.name;
        }
        std::filesystem::remove(ListFile());
    }
}

TEST_F(DownloaderTest, CancelDuringASlowTransferAbortsAtTheNextProgressReport)
{
    // Cancel at the third call: the second progress report of a 4-second trickle.
    const std::vector<Call> calls =
        Download(ServerUrl("trickle"), [](Int32, double, std::size_t call) { return call == 2 ? 1 : 0; });
    ExpectWellFormed(calls, "trickle");
    ASSERT_EQ(calls.size(), 4u) << Describe(calls);
    EXPECT_EQ(calls[2].state, DownloadProgress);
    EXPECT_LT(calls[2].fraction, 1.0);
    EXPECT_EQ(calls[3].state, DownloadAborted);
    EXPECT_FALSE(FileExists(ListFile())) << "an aborted download leaves no file";
}

// When the add-on is released its workers are asked to stop: a transfer ends at
// once as aborted instead of running on (the trickle takes 4 s), and so does one
// whose server has sent nothing (which would otherwise wait a minute for a byte).
TEST_F(DownloaderTest, AStopAskedOfTheWorkersAbortsARunningTransfer)
{
    for (const std::string mode : {"trickle", "stall"}) {
        Recorder recorder;
        ASSERT_TRUE(Start(ServerUrl(mode), recorder));
        if (mode == "trickle") {
            // Into the body before the stop is asked.
            for (int i = 0; i < 500 && !FileExists(ListFile()); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        EXPECT_TRUE(velmora::platform::StopWorkers(10000)) << mode;
        std::vector<Call> calls;
        ASSERT_TRUE(recorder.WaitForFinal(&calls)) << mode;
        EXPECT_EQ(Final(calls), DownloadAborted) << mode << ": " << Describe(calls);
        EXPECT_FALSE(velmora::platform::StopRequested()) << "withdrawn once every worker has ended";
    }
}

TEST_F(DownloaderTest, DownloadsRunSideBySide)
{
    constexpr int Count = 3;
    std::unique_ptr<Recorder> recorders[Count];
    for (int i = 0; i < Count; ++i) {
        recorders[i] = std::make_unique<Recorder>();
        const std::string target = folder.WindowsFile("list" + std::to_string(i) + ".txt");
        ASSERT_TRUE(StartDownload(TS_String(ServerUrl(i == 1 ? "chunked" : "newer").c_str()),
                                  TS_String(target.c_str()), Recorder::Callback, recorders[i].get()));
    }
    for (int i = 0; i < Count; ++i) {
        std::vector<Call> calls;
        ASSERT_TRUE(recorders[i]->WaitForFinal(&calls)) << i << ": " << Describe(calls);
        EXPECT_EQ(Final(calls), DownloadDone) << i;
        EXPECT_EQ(ReadFileBytes(folder.File("list" + std::to_string(i) + ".txt")).size(), 180u) << i;
    }
}

// The caller's abort poll reaches a transfer that sends no reports: a server that
// says nothing, or one byte a second. Each ends soon after the poll says so (its
// own limit would be 60 s, or 3 minutes for the whole list), and leaves no file.
TEST_F(DownloaderTest, TheCallersAbortPollEndsASilentOrDrippingTransfer)
{
    static std::atomic<bool> endNow{false};
    for (const char* mode : {"stall", "drip"}) {
        endNow = false;
        Recorder recorder;
        ASSERT_TRUE(Start(ServerUrl(mode), recorder, [](void*) { return endNow.load(); }));
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        const auto asked = std::chrono::steady_clock::now();
        endNow = true;
        std::vector<Call> calls;
        ASSERT_TRUE(recorder.WaitForFinal(&calls)) << mode;
        // Polled every 100 ms: well within a second, with room for a busy machine.
        EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(2)) << mode;
        EXPECT_EQ(Final(calls), DownloadAborted) << mode << ": " << Describe(calls);
        EXPECT_FALSE(FileExists(ListFile())) << mode << ": an aborted download leaves no file";
    }
}

// The target is created by the download alone: a file or a link already there (a
// list of another host's check, a link planted by someone) is neither written nor
// followed, and stays as it was.
TEST_F(DownloaderTest, WhatExistsAtTheTargetIsLeftAlone)
{
    WriteFileBytes(folder.File("other.txt"), "another file\n");
    struct Row {
        const char* name;
        bool link;
    } rows[] = {
        {"a file", false},
#if !defined(_WIN32)
        {"a symbolic link", true},
#endif
    };
    for (const Row& row : rows) {
        if (row.link)
            std::filesystem::create_symlink(folder.File("other.txt"), ListFile());
        else
            WriteFileBytes(ListFile(), "another file\n");
        const std::vector<Call> calls = Download(ServerUrl("newer"));
        EXPECT_EQ(Final(calls), DownloadFailed) << row.name << ": " << Describe(calls);
        EXPECT_EQ(ReadFileBytes(ListFile()), "another file\n") << row.name;
        EXPECT_EQ(ReadFileBytes(folder.File("other.txt")), "another file\n") << row.name;
        EXPECT_EQ(std::filesystem::is_symlink(ListFile()), row.link) << row.name;
        std::filesystem::remove(ListFile());
    }
}

TEST_F(DownloaderTest, NoCallbackMeansNoDownload)
{
    EXPECT_FALSE(
        StartDownload(TS_String(ServerUrl("newer").c_str()), TS_String("Z:\\tmp\\x"), nullptr, nullptr));
}

} // namespace
