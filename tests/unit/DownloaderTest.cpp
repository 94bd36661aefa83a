// The mapping from transfer events to download states, shared by both transfers,
// and (on Windows) the status callback object that urlmon calls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update/TransferReporter.hpp"

#ifdef _WIN32
#include "WinDownloadFileCallbackImpl.hpp"
#endif

using namespace velmora::core;

namespace {

using velmora::platform::TransferResult;
using namespace velmora::update;

struct Call {
    Int32 state;
    double fraction;
};

struct Script {
    Int32 answer = 0;
    bool throws = false;
    std::vector<Call> calls;
};

Int32 Scripted(Int32 state, double fraction, void* userData)
{
    auto* script = static_cast<Script*>(userData);
    script->calls.push_back({state, fraction});
    if (script->throws)
        throw GS::OutOfMemoryException();
    return script->answer;
}

TEST(TransferReporterTest, EventsBecomeStatesWithTheirFractions)
{
    enum Event { Begin, Data, End };
    struct Row {
        const char* name;
        Event event;
        unsigned long long received, total;
        Int32 state;
        double fraction;
    } rows[] = {
        {"first data", Begin, 0, 0, DownloadStarted, 0.0},
        {"a quarter", Data, 50, 200, DownloadProgress, 0.25},
        {"all of it", Data, 200, 200, DownloadProgress, 1.0},
        {"no total", Data, 4096, 0, DownloadProgress, 0.5},
        {"end of the data", End, 0, 0, DownloadProgress, 1.0},
    };
    for (const Row& row : rows) {
        Script script;
        TransferReporter reporter(Scripted, &script);
        const bool abort = row.event == Begin  ? reporter.OnBeginData()
                           : row.event == Data ? reporter.OnData(row.received, row.total)
                                               : reporter.OnEndData();
        EXPECT_FALSE(abort) << row.name;
        ASSERT_EQ(script.calls.size(), 1u) << row.name;
        EXPECT_EQ(script.calls[0].state, row.state) << row.name;
        EXPECT_DOUBLE_EQ(script.calls[0].fraction, row.fraction) << row.name;
    }
}

TEST(TransferReporterTest, ResultsBecomeOneFinalState)
{
    struct Row {
        TransferResult result;
        Int32 state;
    } rows[] = {
        {TransferResult::Done, DownloadDone},
        {TransferResult::Failed, DownloadFailed},
        {TransferResult::Aborted, DownloadAborted},
    };
    for (const Row& row : rows) {
        Script script;
        script.answer = 1; // ignored for the final state
        TransferReporter reporter(Scripted, &script);
        reporter.Finish(row.result);
        ASSERT_EQ(script.calls.size(), 1u);
        EXPECT_EQ(script.calls[0].state, row.state);
        EXPECT_EQ(script.calls[0].fraction, 0.0);
    }
}

TEST(TransferReporterTest, ACallbackThatThrowsStopsTheTransferAsAFailure)
{
    Script script;
    script.throws = true;
    TransferReporter reporter(Scripted, &script);
    EXPECT_TRUE(reporter.OnData(1, 2));
    reporter.Finish(TransferResult::Aborted); // the final call throws too, and is contained
    ASSERT_EQ(script.calls.size(), 2u);
    EXPECT_EQ(script.calls[1].state, DownloadFailed);
}

#ifdef _WIN32

// Records the events urlmon's notifications turn into.
class EventLog final : public velmora::platform::TransferObserver {
public:
    bool OnBeginData() override { return Add("begin"); }
    bool OnData(unsigned long long received, unsigned long long total) override
    {
        return Add("data " + std::to_string(received) + "/" + std::to_string(total));
    }
    bool OnEndData() override { return Add("end"); }
    bool AbortRequested() override { return abort; }
    bool answer = false;
    bool abort = false;
    std::vector<std::string> events;

private:
    bool Add(const std::string& event)
    {
        events.push_back(event);
        return answer;
    }
};

// The callback object as the downloading thread holds it: one reference of its own.
struct Held {
    explicit Held(EventLog& log, const wchar_t* url = L"http://127.0.0.1/list.txt")
        : callback(WinDownloadFileCallbackImpl::Create(log, 1024, INVALID_HANDLE_VALUE, url))
    {
    }
    ~Held() { callback->Release(); }
    WinDownloadFileCallbackImpl* operator->() const { return callback; }
    WinDownloadFileCallbackImpl* callback;
};

TEST(WinDownloadFileCallbackImplTest, AnswersOnlyItsOwnInterfacesAndFreesItselfAtTheLastRelease)
{
    const long before = WinDownloadFileCallbackImpl::Live();
    WinDownloadFileCallbackImpl* kept = nullptr;
    {
        EventLog log;
        Held callback(log);
        EXPECT_EQ(WinDownloadFileCallbackImpl::Live(), before + 1);
        struct Row {
            const char* name;
            const IID& iid;
            bool known;
        } rows[] = {
            {"IUnknown", IID_IUnknown, true},
            {"IBindStatusCallback", IID_IBindStatusCallback, true},
            {"IHttpNegotiate", IID_IHttpNegotiate, true},
            {"IStream", IID_IStream, false},
            {"IServiceProvider", IID_IServiceProvider, false},
            {"IAuthenticate", IID_IAuthenticate, false},
        };
        for (const Row& row : rows) {
            void* out = reinterpret_cast<void*>(1);
            const HRESULT result = callback->QueryInterface(row.iid, &out);
            if (row.known) {
                EXPECT_EQ(result, S_OK) << row.name;
                EXPECT_NE(out, nullptr) << row.name;
                EXPECT_EQ(callback->Release(), 1u) << row.name << ": QueryInterface adds a reference";
            } else {
                EXPECT_EQ(result, static_cast<HRESULT>(0x80004002)) << row.name;
                EXPECT_EQ(out, nullptr) << row.name;
            }
        }
        EXPECT_EQ(callback->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
        // urlmon keeps a reference past the transfer's end: the observer is gone by then.
        kept = callback.callback;
        kept->AddRef();
        kept->Detach();
    }
    EXPECT_EQ(WinDownloadFileCallbackImpl::Live(), before + 1) << "freed while urlmon still holds it";
    EXPECT_EQ(kept->OnDataAvailable(BSCF_LASTDATANOTIFICATION, 0, nullptr, nullptr), E_ABORT);
    EXPECT_EQ(kept->Release(), 0u);
    EXPECT_EQ(WinDownloadFileCallbackImpl::Live(), before) << "not freed at the last reference";
}

TEST(WinDownloadFileCallbackImplTest, OnlyA2xxStatusOfAnHttpReplyLetsDataThrough)
{
    struct Row {
        const char* name;
        DWORD status;
        const wchar_t* headers;
        bool passes;
    } rows[] = {
        {"200", 200, L"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n", true},
        {"204", 204, L"HTTP/1.0 204 No Content\r\nDate: Fri, 03 Aug 2018 10:00:00 GMT\r\n\r\n", true},
        {"302 not followed", 302, L"HTTP/1.1 302 Found\r\nLocation: file:///C:/x\r\n\r\n", false},
        {"no status line (HTTP/0.9)", 200, L"", false},
        {"HTTP/0.9 as wininet presents it", 200, L"HTTP/1.0 200 OK\r\n\r\n", false},
        {"no headers at all", 200, nullptr, false},
        {"announced past the bound", 200, L"HTTP/1.1 200 OK\r\ncontent-length: 1025\r\n\r\n", false},
        {"exactly the bound", 200, L"HTTP/1.1 200 OK\r\nContent-Length:1024\r\n\r\n", true},
    };
    for (const Row& row : rows) {
        EventLog log;
        Held callback(log);
        EXPECT_EQ(callback->OnResponse(row.status, row.headers, nullptr, nullptr),
                  row.passes ? S_OK : E_ABORT)
            << row.name;
        EXPECT_EQ(callback->Result(), row.passes ? WinDownloadFileCallbackImpl::Outcome::Running
                                                 : WinDownloadFileCallbackImpl::Outcome::Failed)
            << row.name;
        // A body that then arrives is passed on only after a 2xx status.
        IStream* body = nullptr;
        ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, &body), S_OK);
        ULONG written = 0;
        body->Write("abc", 3, &written);
        const LARGE_INTEGER start{};
        body->Seek(start, STREAM_SEEK_SET, nullptr);
        STGMEDIUM medium{};
        medium.tymed = TYMED_ISTREAM;
        medium.pstm = body;
        EXPECT_EQ(callback->OnDataAvailable(BSCF_FIRSTDATANOTIFICATION, 3, nullptr, &medium),
                  row.passes ? S_OK : E_ABORT)
            << row.name;
        body->Release();
        EXPECT_EQ(log.events.size(), row.passes ? 2u : 0u) << row.name;
    }
}

TEST(WinDownloadFileCallbackImplTest, RedirectsOnlyWithinTheWebAndNeverDownToPlainHttp)
{
    std::wstring loop[11];
    for (std::wstring& hop : loop)
        hop = L"http://127.0.0.1/a";
    struct Row {
        const char* name;
        const wchar_t* start;
        std::vector<std::wstring> hops;
        bool passes;
    } rows[] = {
        {"to https", L"http://a/", {L"https://b/"}, true},
        {"ten hops", L"http://a/", std::vector<std::wstring>(loop, loop + 10), true},
        {"eleven hops", L"http://a/", std::vector<std::wstring>(loop, loop + 11), false},
        {"from https to http later", L"http://a/", {L"https://a/", L"http://a/"}, false},
        {"HTTPS in capitals stays secure", L"http://a/", {L"HTTPS://a/", L"https://b/"}, true},
    };
    for (const Row& row : rows) {
        EventLog log;
        Held callback(log, row.start);
        HRESULT last = S_OK;
        for (const std::wstring& hop : row.hops)
            last = callback->OnProgress(0, 0, BINDSTATUS_REDIRECTING, hop.c_str());
        EXPECT_EQ(last, row.passes ? S_OK : E_ABORT) << row.name;
        EXPECT_EQ(callback->Result() == WinDownloadFileCallbackImpl::Outcome::Failed, !row.passes)
            << row.name;
    }
}

TEST(WinDownloadFileCallbackImplTest, AnAbortAskedIsAnsweredFromEverySlot)
{
    EventLog log;
    Held callback(log);
    EXPECT_EQ(callback->OnStartBinding(0, nullptr), S_OK);
    EXPECT_EQ(callback->OnResponse(200, L"HTTP/1.1 200 OK\r\nServer: loopback\r\n\r\n", nullptr, nullptr),
              S_OK);
    log.abort = true;
    LPWSTR headers = reinterpret_cast<LPWSTR>(1);
    EXPECT_EQ(callback->BeginningTransaction(L"http://a/", L"", 0, &headers), E_ABORT);
    EXPECT_EQ(headers, nullptr);
    EXPECT_EQ(callback->OnProgress(0, 0, BINDSTATUS_DOWNLOADINGDATA, L""), E_ABORT);
    EXPECT_EQ(callback->OnDataAvailable(BSCF_FIRSTDATANOTIFICATION, 0, nullptr, nullptr), E_ABORT);
    EXPECT_EQ(callback->OnResponse(200, L"HTTP/1.1 200 OK\r\nServer: loopback\r\n\r\n", nullptr, nullptr),
              E_ABORT);
    EXPECT_EQ(callback->OnStopBinding(S_OK, nullptr), S_OK);
    EXPECT_EQ(callback->Result(), WinDownloadFileCallbackImpl::Outcome::Aborted);
    EXPECT_TRUE(log.events.empty());
}

#endif

} // namespace
