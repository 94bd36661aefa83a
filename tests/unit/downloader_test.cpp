// The mapping from transfer events to download states, shared by both transfers,
// and (on Windows) the status callback object that urlmon calls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update/TransferReporter.hpp"

#ifdef _WIN32
#include "WinDownloadFileCallbackImpl.hpp"
#endif

namespace {

using velmora::platform::TransferResult;

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
        {"nothing yet of a total", Data, 0, 200, DownloadProgress, 0.0},
        {"no total", Data, 4096, 0, DownloadProgress, 0.5},
        {"nothing and no total", Data, 0, 0, DownloadProgress, 0.5},
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

TEST(TransferReporterTest, OnlyAnAnswerOfExactlyOneAborts)
{
    struct Row {
        Int32 answer;
        bool aborts;
    } rows[] = {{1, true}, {0, false}, {2, false}, {-1, false}, {0x101, false}};
    for (const Row& row : rows) {
        Script script;
        script.answer = row.answer;
        TransferReporter reporter(Scripted, &script);
        EXPECT_EQ(reporter.OnBeginData(), row.aborts) << row.answer;
        EXPECT_EQ(reporter.OnData(1, 2), row.aborts) << row.answer;
        EXPECT_EQ(reporter.OnEndData(), row.aborts) << row.answer;
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

// Records the events urlmon's status reports turn into.
class EventLog final : public velmora::platform::TransferObserver {
public:
    bool OnBeginData() override { return Add("begin"); }
    bool OnData(unsigned long long received, unsigned long long total) override
    {
        return Add("data " + std::to_string(received) + "/" + std::to_string(total));
    }
    bool OnEndData() override { return Add("end"); }
    bool answer = false;
    std::vector<std::string> events;

private:
    bool Add(const std::string& event)
    {
        events.push_back(event);
        return answer;
    }
};

TEST(WinDownloadFileCallbackImplTest, AnswersOnlyItsOwnInterfaces)
{
    EventLog log;
    WinDownloadFileCallbackImpl callback(log, 1024);
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
    ULONG count = callback.AddRef();
    for (const Row& row : rows) {
        void* out = reinterpret_cast<void*>(1);
        const HRESULT result = callback.QueryInterface(row.iid, &out);
        if (row.known) {
            EXPECT_EQ(result, S_OK) << row.name;
            EXPECT_NE(out, nullptr) << row.name;
            EXPECT_EQ(callback.AddRef(), count + 2) << row.name << ": QueryInterface adds a reference";
            count = callback.Release();
            count = callback.Release();
        } else {
            EXPECT_EQ(result, static_cast<HRESULT>(0x80004002)) << row.name;
            EXPECT_EQ(out, nullptr) << row.name;
        }
    }
    void* self = nullptr;
    ASSERT_EQ(callback.QueryInterface(IID_IBindStatusCallback, &self), S_OK);
    EXPECT_EQ(self, static_cast<IBindStatusCallback*>(&callback));
    callback.Release();
    EXPECT_EQ(callback.QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST(WinDownloadFileCallbackImplTest, CountsReferencesWithoutEverFreeingItself)
{
    EventLog log;
    WinDownloadFileCallbackImpl callback(log, 1024);
    const ULONG first = callback.AddRef();
    EXPECT_EQ(callback.AddRef(), first + 1);
    EXPECT_EQ(callback.Release(), first);
    EXPECT_EQ(callback.Release(), first - 1);
    // Down to zero and below: the object lives on (it is on the worker's stack).
    while (callback.Release() != 0) {
    }
    EXPECT_EQ(callback.AddRef(), 1u);
}

TEST(WinDownloadFileCallbackImplTest, FixedSlotsAnswerAsUrlmonExpects)
{
    EventLog log;
    WinDownloadFileCallbackImpl callback(log, 1024);
    LONG priority = 7;
    EXPECT_EQ(callback.OnStartBinding(0, nullptr), S_OK);
    EXPECT_EQ(callback.GetPriority(&priority), E_NOTIMPL);
    EXPECT_EQ(priority, 7);
    EXPECT_EQ(callback.OnLowResource(0), S_OK);
    EXPECT_EQ(callback.OnStopBinding(S_OK, nullptr), S_OK);
    DWORD flags = 0x55;
    EXPECT_EQ(callback.GetBindInfo(&flags, nullptr), S_OK);
    EXPECT_EQ(flags, 0x55u);
    EXPECT_EQ(callback.OnDataAvailable(0, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(callback.OnObjectAvailable(IID_IUnknown, nullptr), S_OK);
    EXPECT_TRUE(log.events.empty());
}

TEST(WinDownloadFileCallbackImplTest, ProgressReportsBecomeEvents)
{
    struct Row {
        const char* name;
        ULONG progress, progressMax, status;
        std::vector<std::string> events;
    } rows[] = {
        {"begin of the data", 0, 100, BINDSTATUS_BEGINDOWNLOADDATA, {"begin"}},
        {"data with a total", 40, 100, BINDSTATUS_DOWNLOADINGDATA, {"data 40/100"}},
        {"data without a total", 40, 0, BINDSTATUS_DOWNLOADINGDATA, {"data 40/0"}},
        {"end of the data", 3, 9, BINDSTATUS_ENDDOWNLOADDATA, {"end"}},
        {"connecting", 0, 0, BINDSTATUS_CONNECTING, {}},
        {"redirecting", 0, 0, BINDSTATUS_REDIRECTING, {}},
        {"MIME type", 0, 0, BINDSTATUS_MIMETYPEAVAILABLE, {}},
        {"sending the request", 0, 0, BINDSTATUS_SENDINGREQUEST, {}},
    };
    for (const Row& row : rows) {
        for (bool abort : {false, true}) {
            EventLog log;
            log.answer = abort;
            WinDownloadFileCallbackImpl callback(log, 1024);
            const HRESULT result = callback.OnProgress(row.progress, row.progressMax, row.status, L"text");
            EXPECT_EQ(log.events, row.events) << row.name;
            EXPECT_EQ(result, abort && !row.events.empty() ? E_ABORT : S_OK) << row.name;
        }
    }
}

TEST(WinDownloadFileCallbackImplTest, AfterAnAbortNothingMoreIsReported)
{
    EventLog log;
    log.answer = true;
    WinDownloadFileCallbackImpl callback(log, 1024);
    EXPECT_EQ(callback.OnProgress(10, 100, BINDSTATUS_BEGINDOWNLOADDATA, L""), E_ABORT);
    EXPECT_TRUE(callback.AbortAsked());
    log.answer = false;
    EXPECT_EQ(callback.OnProgress(50, 100, BINDSTATUS_DOWNLOADINGDATA, L""), E_ABORT);
    EXPECT_EQ(callback.OnProgress(100, 100, BINDSTATUS_ENDDOWNLOADDATA, L""), E_ABORT);
    EXPECT_EQ(log.events, std::vector<std::string>{"begin"});
    EXPECT_FALSE(callback.Failed());
}

TEST(WinDownloadFileCallbackImplTest, AnErrorStatusOrTooMuchDataStopsWithoutReports)
{
    struct Row {
        const char* name;
        DWORD httpStatus;
        ULONG progress, progressMax;
        bool stops;
    } rows[] = {
        {"200", 200, 10, 100, false},
        {"404", 404, 10, 100, true},
        {"500", 500, 10, 100, true},
        {"more than the bound", 200, 1025, 0, true},
        {"announced more than the bound", 200, 10, 1025, true},
        {"exactly the bound", 200, 1024, 1024, false},
    };
    for (const Row& row : rows) {
        EventLog log;
        WinDownloadFileCallbackImpl callback(log, 1024);
        EXPECT_EQ(callback.OnResponse(row.httpStatus, L"", nullptr, nullptr), S_OK) << row.name;
        const HRESULT result =
            callback.OnProgress(row.progress, row.progressMax, BINDSTATUS_DOWNLOADINGDATA, L"");
        EXPECT_EQ(result, row.stops ? E_ABORT : S_OK) << row.name;
        EXPECT_EQ(log.events.empty(), row.stops) << row.name;
        EXPECT_EQ(callback.Failed(), row.stops) << row.name;
    }
}

#endif

} // namespace
