// The add-on's worker threads: counted until they have ended, asked to stop, and
// waited for within a bound, directly and through FreeData as the host calls it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "TestSupport.hpp"
#include "hostapi/HostTable.hpp"
#include "shell/EntryPoints.hpp"
#include "velmora/Platform.hpp"

using namespace velmora::shell;

namespace {

namespace platform = velmora::platform;
using Clock = std::chrono::steady_clock;
using velmora::test::WaitFor;

constexpr auto TestLimit = std::chrono::seconds(20); // no wait of this file is longer

// A worker's view of the test, owned by the test and outliving the worker.
struct Work {
    std::atomic<bool> started{false};
    std::atomic<bool> sawStop{false};
    std::atomic<bool> released{false}; // lets a worker that ignores the stop end
    std::atomic<bool> ended{false};
};

// Polls the stop request, as a transfer does, and ends when it is set.
unsigned PollsTheStopRequest(void* data)
{
    auto& work = *static_cast<Work*>(data);
    work.started.store(true);
    WaitFor([] { return platform::StopRequested(); });
    work.sawStop.store(platform::StopRequested());
    work.ended.store(true);
    return 0;
}

// Ignores the stop request until the test releases it.
unsigned IgnoresTheStopRequest(void* data)
{
    auto& work = *static_cast<Work*>(data);
    work.started.store(true);
    WaitFor([&work] { return work.released.load(); });
    work.ended.store(true);
    return 0;
}

void WaitUntilStarted(const Work& work)
{
    ASSERT_TRUE(WaitFor([&work] { return work.started.load(); }));
}

class WorkerThreads : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::StopWorkers(20000)) << "a worker of another test still runs";
    }
    void TearDown() override
    {
        for (Work* work : {&first, &second})
            work->released.store(true);
        EXPECT_TRUE(platform::StopWorkers(20000));
        EXPECT_EQ(platform::LiveWorkerCount(), 0);
    }

    Work first, second;
};

TEST_F(WorkerThreads, AWorkerCountsUntilItHasEnded)
{
    ASSERT_TRUE(platform::StartWorkerThread(IgnoresTheStopRequest, &first));
    ASSERT_TRUE(platform::StartWorkerThread(IgnoresTheStopRequest, &second));
    WaitUntilStarted(first);
    WaitUntilStarted(second);
    EXPECT_EQ(platform::LiveWorkerCount(), 2);

    first.released.store(true);
    WaitFor([] { return platform::LiveWorkerCount() <= 1; });
    EXPECT_TRUE(first.ended.load());
    EXPECT_EQ(platform::LiveWorkerCount(), 1);
    EXPECT_FALSE(platform::StopRequested()); // ending on its own asks nothing of the others
}

TEST_F(WorkerThreads, StopWaitsForAWorkerThatPollsTheRequest)
{
    ASSERT_TRUE(platform::StartWorkerThread(PollsTheStopRequest, &first));
    WaitUntilStarted(first);
    EXPECT_FALSE(platform::StopRequested());

    EXPECT_TRUE(platform::StopWorkers(10000));
    EXPECT_TRUE(first.sawStop.load());
    EXPECT_TRUE(first.ended.load()); // returned only once the worker had ended
    EXPECT_EQ(platform::LiveWorkerCount(), 0);
    EXPECT_FALSE(platform::StopRequested()); // withdrawn once none is left

    // New workers may start again.
    ASSERT_TRUE(platform::StartWorkerThread(PollsTheStopRequest, &second));
    WaitUntilStarted(second);
    EXPECT_FALSE(second.sawStop.load());
}

TEST_F(WorkerThreads, StopGivesUpAtItsBoundOnAWorkerThatIgnoresTheRequest)
{
    ASSERT_TRUE(platform::StartWorkerThread(IgnoresTheStopRequest, &first));
    WaitUntilStarted(first);

    const auto before = Clock::now();
    EXPECT_FALSE(platform::StopWorkers(300));
    const auto waited = Clock::now() - before;
    EXPECT_GE(waited, std::chrono::milliseconds(300));                 // it did wait
    EXPECT_LT(waited, std::chrono::milliseconds(300) + TestLimit / 2); // and gave up

    EXPECT_FALSE(first.ended.load());
    EXPECT_EQ(platform::LiveWorkerCount(), 1);
    EXPECT_TRUE(platform::StopRequested()); // the request stays for the one left
    EXPECT_FALSE(platform::StartWorkerThread(PollsTheStopRequest, &second)) << "no new worker while stopping";
    EXPECT_FALSE(second.started.load());

    first.released.store(true);
    EXPECT_TRUE(platform::StopWorkers(10000));
    EXPECT_TRUE(first.ended.load());
}

TEST_F(WorkerThreads, RefusedStartsRunNothing)
{
    EXPECT_FALSE(platform::StartWorkerThread(nullptr, &first));
    EXPECT_EQ(platform::LiveWorkerCount(), 0);
    EXPECT_TRUE(platform::StopWorkers(0)); // nothing to wait for
}

// FreeData, as the host calls it before unloading the add-on, asks the workers to
// stop and waits for them, within its bound, before the token goes.
class FreeDataWithWorkers : public WorkerThreads {
protected:
    void SetUp() override
    {
        WorkerThreads::SetUp();
        velmora::hostapi::ResetHostState();
        static const void* table[APIHostTableEntries] = {};
        ASSERT_EQ(SetImportedFuncAddrs(table), NoError);
        velmora::hostapi::SetHostToken(0x1234);
    }
    void TearDown() override
    {
        WorkerThreads::TearDown();
        velmora::hostapi::ResetHostState();
    }
};

TEST_F(FreeDataWithWorkers, WaitsForAWorkerThatStops)
{
    ASSERT_TRUE(platform::StartWorkerThread(PollsTheStopRequest, &first));
    WaitUntilStarted(first);

    EXPECT_EQ(velmora::shell::FreeData(), NoError);
    EXPECT_TRUE(first.ended.load());
    EXPECT_TRUE(first.sawStop.load());
    EXPECT_EQ(platform::LiveWorkerCount(), 0);
    EXPECT_EQ(velmora::hostapi::HostToken(), 0);
}

TEST_F(FreeDataWithWorkers, ReturnsWithinItsBoundWhenAWorkerDoesNotStop)
{
    ASSERT_TRUE(platform::StartWorkerThread(IgnoresTheStopRequest, &first));
    WaitUntilStarted(first);

    const auto before = Clock::now();
    EXPECT_EQ(velmora::shell::FreeData(), NoError);
    EXPECT_LT(Clock::now() - before, TestLimit / 2);
    EXPECT_FALSE(first.ended.load());
    EXPECT_EQ(platform::LiveWorkerCount(), 1);
    EXPECT_EQ(velmora::hostapi::HostToken(), 0);
}

} // namespace
