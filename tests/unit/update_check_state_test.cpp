// The rules that keep checks apart: which check may act, when a new check must wait
// for an earlier one's window section or transfer, and that a Cancel is kept; and
// that the end of a transfer always ends its check. The threads are played by the
// test; the real download thread meets these rules in the update check's network
// tests.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "TestSupport.hpp"
#include "kit/DialogDriver.hpp"
#include "kit/Host.hpp"
#include "shell/Module.hpp"
#include "update/Downloader.hpp"
#include "update/UpdateCheck.hpp"
#include "update/UpdateCheckState.hpp"
#include "update/UpdateCheckSteps.hpp"
#include "update/VersionList.hpp"

using namespace velmora::core;
using namespace velmora::shell;

namespace {

using namespace velmora::update;

class UpdateCheckStateTest : public ::testing::Test {
protected:
    void SetUp() override { ResetChecks(); }
    void TearDown() override { ResetChecks(); }

    // Each check with a list file of its own, "Z:\tmp\list-N.tmp".
    static CheckStart Begin(bool manual, CheckClock::duration timeLeft = CheckTimeLimit)
    {
        static int count = 0;
        const std::string path = "Z:\\tmp\\list-" + std::to_string(++count) + ".tmp";
        return BeginCheck(manual, TS_String("Velmora"),
                          TS_String("VelmoraLibrary 19.0.4.2200 (DA190) 03/08/2018"),
                          TS_String("http://127.0.0.1:1/update_plugins/versions16.txt"),
                          TS_String(path.c_str()), CheckClock::now() + timeLeft);
    }
    static std::string TransferFile(UInt32 serial)
    {
        TS_String path;
        return RunningTransfer(serial, nullptr, &path) ? velmora::test::Utf8(path.ToUniString()) : "(none)";
    }
};

TEST_F(UpdateCheckStateTest, AFirstCheckStartsItsWindowAndTransferAtOnce)
{
    const CheckStart start = Begin(true);
    EXPECT_EQ(start.outcome, CheckStart::Started);
    EXPECT_TRUE(start.createWindow);
    EXPECT_TRUE(start.startTransfer);
    const CheckView check = CurrentCheck();
    EXPECT_EQ(check.serial, start.serial);
    EXPECT_EQ(check.updateState, StateChecking);
    EXPECT_TRUE(check.manual);
    EXPECT_TRUE(check.libraryKnown);
    EXPECT_FALSE(check.abortRequested);
}

TEST_F(UpdateCheckStateTest, ASecondCheckIsRefusedWhileTheFirstWindowIsOpen)
{
    const CheckStart first = Begin(true);
    WindowOpened(first.serial, 32755);
    for (bool manual : {true, false}) {
        const CheckStart second = Begin(manual);
        EXPECT_EQ(second.outcome, CheckStart::Refused) << "manual " << manual;
        EXPECT_EQ(CurrentCheck().serial, first.serial);
        EXPECT_FALSE(AbortRequested(first.serial));
    }
    // Also once the result is shown: the window stays, nothing else happens.
    ASSERT_TRUE(DecideOutcome(first.serial, StateUpdateAvailable));
    EXPECT_EQ(Begin(true).outcome, CheckStart::Refused);
    EXPECT_EQ(CurrentCheck().updateState, StateUpdateAvailable);
}

TEST_F(UpdateCheckStateTest, AManualRequestShowsARunningAutomaticCheck)
{
    const CheckStart automatic = Begin(false);
    WindowOpened(automatic.serial, 32755);
    const CheckStart manual = Begin(true);
    EXPECT_EQ(manual.outcome, CheckStart::MadeManual);
    EXPECT_EQ(manual.serial, automatic.serial);
    EXPECT_EQ(manual.dialId, 32755);
    EXPECT_TRUE(CurrentCheck().manual);
    EXPECT_EQ(Begin(true).outcome, CheckStart::Refused);
}

TEST_F(UpdateCheckStateTest, AnAutomaticCheckWhoseOutcomeIsDecidedStaysSilent)
{
    const CheckStart automatic = Begin(false);
    WindowOpened(automatic.serial, 32755);
    ASSERT_TRUE(DecideOutcome(automatic.serial, StateUpToDate));
    EXPECT_EQ(Begin(true).outcome, CheckStart::Refused);
    EXPECT_FALSE(CurrentCheck().manual);
}

TEST_F(UpdateCheckStateTest, CancelIsKeptAndClosingTheWindowWhileCheckingCancels)
{
    struct Case {
        const char* name;
        bool cancel;
        bool decideFirst;
        bool expectAbort;
    } cases[] = {
        {"Cancel before the first data", true, false, true},
        {"window closed while checking", false, false, true},
        {"window closed after the outcome", false, true, false},
    };
    for (const Case& c : cases) {
        ResetChecks();
        const CheckStart start = Begin(true);
        WindowOpened(start.serial, 32755);
        if (c.decideFirst) {
            ASSERT_TRUE(DecideOutcome(start.serial, StateUpToDate)) << c.name;
        }
        if (c.cancel)
            RequestAbort(start.serial);
        WindowClosed(start.serial);
        // The first data arriving, then progress: the request stays.
        EXPECT_EQ(AbortRequested(start.serial), c.expectAbort) << c.name;
        EXPECT_EQ(AbortRequested(start.serial), c.expectAbort) << c.name;
        EXPECT_EQ(DecideOutcome(start.serial, StateUpToDate), !c.expectAbort && !c.decideFirst) << c.name;
        Int16 dialId = 0;
        EXPECT_FALSE(TakeWindow(start.serial, &dialId)) << c.name;
    }
}

TEST_F(UpdateCheckStateTest, ACheckAfterCancelWaitsForTheCancelledTransferAndIsUntouchedByIt)
{
    const CheckStart first = Begin(true);
    WindowOpened(first.serial, 32755);
    RequestAbort(first.serial);
    WindowClosed(first.serial);

    const CheckStart second = Begin(true);
    ASSERT_EQ(second.outcome, CheckStart::Started);
    EXPECT_NE(second.serial, first.serial);
    EXPECT_TRUE(second.createWindow);
    EXPECT_FALSE(second.startTransfer) << "one transfer at a time";
    WindowOpened(second.serial, 32755);
    const std::string firstFile = TransferFile(first.serial);
    EXPECT_EQ(TransferFile(second.serial), "(none)");

    // Late reports of the first check: asked to stop, no outcome, no window.
    Int16 dialId = 0;
    EXPECT_TRUE(AbortRequested(first.serial));
    EXPECT_FALSE(DecideOutcome(first.serial, StateUpdateAvailable));
    EXPECT_FALSE(TakeWindow(first.serial, &dialId));
    WindowClosed(first.serial);
    RequestAbort(first.serial);
    EXPECT_FALSE(AbortRequested(second.serial));
    EXPECT_EQ(CurrentCheck().updateState, StateChecking);

    // Its last report hands the transfer over to the second check.
    const PendingWork work = TransferEnded(first.serial);
    EXPECT_TRUE(work.startTransfer);
    EXPECT_EQ(work.serial, second.serial);
    EXPECT_FALSE(TransferEnded(first.serial).startTransfer) << "only once";
    EXPECT_EQ(TransferFile(first.serial), "(none)");
    EXPECT_NE(TransferFile(second.serial), firstFile) << "each check writes a file of its own";
    EXPECT_NE(TransferFile(second.serial), "(none)");
    EXPECT_TRUE(TakeWindow(second.serial, &dialId));
    EXPECT_EQ(dialId, 32755);
    ReleaseWindow();
}

TEST_F(UpdateCheckStateTest, ACheckCancelledWhileItsTransferWaitsNeverStartsIt)
{
    const CheckStart first = Begin(true);
    WindowOpened(first.serial, 32755);
    WindowClosed(first.serial);
    const CheckStart second = Begin(true);
    WindowOpened(second.serial, 32755);
    WindowClosed(second.serial);
    EXPECT_FALSE(TransferEnded(first.serial).startTransfer);
    const CheckStart third = Begin(true);
    EXPECT_TRUE(third.startTransfer);
}

TEST_F(UpdateCheckStateTest, OnlyTheCurrentCheckPastItsDeadlineIsToEnd)
{
    const CheckStart late = Begin(true, -std::chrono::seconds(1));
    EXPECT_TRUE(PastDeadline(late.serial));
    EXPECT_FALSE(AbortRequested(late.serial)) << "a failure, not a Cancel";
    WindowOpened(late.serial, 32755);
    WindowClosed(late.serial);
    const CheckStart next = Begin(true);
    EXPECT_FALSE(PastDeadline(next.serial));
    EXPECT_FALSE(PastDeadline(late.serial)) << "replaced: it ends silently";
}

TEST_F(UpdateCheckStateTest, ANewWindowWaitsUntilTheOldWindowsSectionIsOver)
{
    // The worker holds the first window when the user closes it and checks again:
    // the new window would get the same identifier, so the worker creates it after
    // its section.
    const CheckStart first = Begin(true);
    WindowOpened(first.serial, 32755);
    Int16 dialId = 0;
    ASSERT_TRUE(TakeWindow(first.serial, &dialId));
    WindowClosed(first.serial);
    const CheckStart second = Begin(true);
    ASSERT_EQ(second.outcome, CheckStart::Started);
    EXPECT_FALSE(second.createWindow);
    EXPECT_EQ(Begin(true).outcome, CheckStart::Refused) << "the waiting window counts as open";
    const PendingWork work = ReleaseWindow();
    EXPECT_TRUE(work.createWindow);
    EXPECT_EQ(work.serial, second.serial);
    EXPECT_TRUE(work.manual);
    EXPECT_FALSE(ReleaseWindow().createWindow);
}

TEST_F(UpdateCheckStateTest, CancelWhileAWorkerReportsProgressIsSeenAndRaceFree)
{
    const CheckStart start = Begin(true);
    WindowOpened(start.serial, 32755);
    std::atomic<bool> stop{false};
    std::atomic<long> reports{0};
    std::thread worker([&] {
        // Progress reports as the download thread makes them, until asked to abort.
        while (!stop.load()) {
            reports.fetch_add(1);
            if (AbortRequested(start.serial))
                break;
            const CheckView view = CurrentCheck();
            if (view.serial != start.serial)
                break;
        }
    });
    while (reports.load() < 100) {
        std::this_thread::yield();
    }
    RequestAbort(start.serial);
    WindowClosed(start.serial);
    worker.join();
    stop = true;
    EXPECT_TRUE(AbortRequested(start.serial));
    EXPECT_FALSE(DecideOutcome(start.serial, StateUpdateAvailable));
}

// One allocation of the host failing anywhere while a transfer's end is reported
// (the list read and compared, the window filled, the alert worded): the check still
// ends. Its outcome is decided, its transfer slot and window section are free for
// the next check, and its list file is gone.
TEST_F(UpdateCheckStateTest, AnAllocationFailingAtTheEndOfATransferStillEndsTheCheck)
{
    class Alerts final : public kit::DialogDriver {
    public:
        void RunModal(Int16) override {}
        Int16 OnAlert(const kit::AlertRequest&) override { return 1; }
        bool OnFileDialog(const kit::FileDialogRequest&, std::string*, UInt32*) override { return false; }
    } alerts;
    velmora::test::TempFolder folder;
    kit::SetSpecialFolder(14, folder.Native());
    velmora::shell::OnModuleLoad(velmora::test::TestProgramModule());
    kit::SetDialogDriver(&alerts);
    bool completed = false;
    for (long allowed = 0; allowed < 5000 && !completed; ++allowed) {
        ResetChecks();
        TS_String path;
        ASSERT_TRUE(FreshVersionListPath(&path));
        const CheckStart start =
            BeginCheck(true, TS_String("Velmora"), TS_String("VelmoraLibrary 19.0.4.2200 (DA190) 03/08/2018"),
                       TS_String("http://127.0.0.1:1/"), path, CheckClock::now() + CheckTimeLimit);
        WindowOpened(start.serial, UpdateDialogId);
        const std::string file =
            folder.File(velmora::test::Utf8(path.ToUniString()).substr(folder.Windows().size() + 1));
        velmora::test::WriteFileBytes(file, "VelmoraLibrary 19.1.0.100 (DA190) 04/08/2018\r\n");

        kit::FailAllocationsAfter(allowed, false);
        UpdateCheckCallback(DownloadDone, 0.0, SerialAsData(start.serial));
        kit::StopFailingAllocations();

        completed = CurrentCheck().updateState == StateUpdateAvailable;
        EXPECT_FALSE(DecideOutcome(start.serial, StateUpToDate)) << allowed << ": decided once";
        EXPECT_FALSE(RunningTransfer(start.serial, nullptr, nullptr)) << allowed;
        EXPECT_FALSE(velmora::test::FileExists(file)) << allowed;
        WindowClosed(start.serial);
        const CheckStart next = Begin(true);
        EXPECT_TRUE(next.createWindow) << allowed << ": a window section was left open";
        EXPECT_TRUE(next.startTransfer) << allowed;
    }
    EXPECT_TRUE(completed);
    kit::SetDialogDriver(nullptr);
    velmora::shell::OnModuleUnload();
    kit::SetSpecialFolder(14, "");
}

} // namespace
