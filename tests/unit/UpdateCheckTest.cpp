// The update check's rules: which check may act, when a new check must wait for an
// earlier one's window section or transfer, that a Cancel is kept, that the end of a
// transfer always ends its check; and the automatic check's decisions before
// anything is fetched (the setting, the 14-day period). The window and the real
// transfer meet these rules in the end-to-end tests of the update check.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>
#include <tuple>

#include "SettingsFixture.hpp"
#include "prefs/Settings.hpp"
#include "shell/Module.hpp"
#include "update/CheckMachine.hpp"
#include "update/CheckPeriod.hpp"
#include "update/Downloader.hpp"
#include "update/ResultWindow.hpp"
#include "update/UpdateCheck.hpp"
#include "update/VersionList.hpp"

namespace {

using namespace velmora::core;
using namespace velmora::prefs;
using namespace velmora::update;
using Begun = CheckRules::Begun;

const TS_String Installed("VelmoraLibrary 19.0.4.2200 (DA190) 03/08/2018");
constexpr Int16 WindowId = ResultWindowId;

// Each check with a list file of its own, "Z:\tmp\list-N.tmp".
CheckRequest Request(bool manual, CheckClock::duration timeLeft = CheckTimeLimit)
{
    static int count = 0;
    const std::string path = "Z:\\tmp\\list-" + std::to_string(++count) + ".tmp";
    return {manual,
            TS_String("Velmora"),
            Installed,
            TS_String("http://127.0.0.1:1/"),
            TS_String(path.c_str()),
            CheckClock::now() + timeLeft};
}

std::string TransferFile(const CheckRules& rules, UInt32 serial)
{
    TS_String path;
    return rules.RunningTransfer(serial, nullptr, &path) ? velmora::test::Utf8(path.ToUniString()) : "(none)";
}

TEST(CheckRulesTest, ABeginWhileTheCurrentWindowIsOpenIsRefusedOrShowsASilentCheck)
{
    // name, the first check manual, its outcome decided, the second manual, what it does, manual after
    const std::tuple<const char*, bool, bool, bool, Begun, bool> rows[] = {
        {"manual, then manual", true, false, true, Begun::Refused, true},
        {"manual, then automatic", true, false, false, Begun::Refused, true},
        {"manual with its result, then manual", true, true, true, Begun::Refused, true},
        {"automatic still checking, then manual", false, false, true, Begun::MadeManual, true},
        {"automatic, then automatic", false, false, false, Begun::Refused, false},
        {"automatic with its result, then manual", false, true, true, Begun::Refused, false},
    };
    for (const auto& [name, firstManual, decided, secondManual, begun, manualAfter] : rows) {
        CheckRules rules;
        const CheckRules::Start first = rules.Begin(Request(firstManual));
        ASSERT_EQ(first.begun, Begun::Started) << name;
        EXPECT_EQ(first.followUp.createWindow, first.serial) << name;
        EXPECT_EQ(first.followUp.startTransfer, first.serial) << name;
        rules.WindowOpened(first.serial, WindowId);
        EXPECT_EQ(decided && rules.Decide(first.serial, Finding::UpdateAvailable), decided) << name;
        const CheckRules::Start second = rules.Begin(Request(secondManual));
        EXPECT_EQ(second.begun, begun) << name;
        EXPECT_EQ(second.followUp.createWindow + second.followUp.startTransfer, 0u) << name;
        EXPECT_EQ(second.dialId, begun == Begun::MadeManual ? WindowId : 0) << name;
        EXPECT_EQ(rules.Begin(Request(secondManual)).begun, Begun::Refused) << name << ": asked again";
        EXPECT_EQ(rules.Current().serial, first.serial) << name;
        EXPECT_EQ(rules.Current().manual, manualAfter) << name;
        EXPECT_FALSE(rules.Cancelled(first.serial)) << name;
        EXPECT_EQ(rules.Current().addOn, decided ? Finding::UpdateAvailable : Finding::Checking) << name;
    }
}

TEST(CheckRulesTest, CancelIsKeptAndClosingTheWindowWhileCheckingCancels)
{
    // name, Cancel clicked, the outcome decided first, cancelled after
    const std::tuple<const char*, bool, bool, bool> rows[] = {
        {"Cancel before the first data", true, false, true},
        {"window closed while checking", false, false, true},
        {"window closed after the outcome", false, true, false},
    };
    for (const auto& [name, cancel, decideFirst, cancelled] : rows) {
        CheckRules rules;
        const UInt32 serial = rules.Begin(Request(true)).serial;
        rules.WindowOpened(serial, WindowId);
        EXPECT_EQ(decideFirst && rules.Decide(serial, Finding::UpToDate), decideFirst) << name;
        if (cancel)
            rules.Cancel(serial);
        rules.WindowClosed(serial);
        // The first data arriving, then progress: the request stays.
        EXPECT_EQ(rules.Cancelled(serial), cancelled) << name;
        EXPECT_EQ(rules.Cancelled(serial), cancelled) << name;
        EXPECT_EQ(rules.Decide(serial, Finding::UpToDate), !cancelled && !decideFirst) << name;
        Int16 dialId = 0;
        EXPECT_FALSE(rules.TakeWindow(serial, &dialId)) << name;
    }
}

TEST(CheckRulesTest, ACheckAfterCancelWaitsForTheCancelledTransferAndIsUntouchedByIt)
{
    CheckRules rules;
    const UInt32 first = rules.Begin(Request(true)).serial;
    rules.WindowOpened(first, WindowId);
    rules.Cancel(first);
    rules.WindowClosed(first);

    const CheckRules::Start second = rules.Begin(Request(true));
    ASSERT_EQ(second.begun, Begun::Started);
    EXPECT_NE(second.serial, first);
    EXPECT_EQ(second.followUp.createWindow, second.serial);
    EXPECT_EQ(second.followUp.startTransfer, 0u) << "one transfer at a time";
    rules.WindowOpened(second.serial, WindowId);
    const std::string firstFile = TransferFile(rules, first);
    EXPECT_EQ(TransferFile(rules, second.serial), "(none)");

    // Late reports of the first check: asked to stop, no outcome, no window.
    Int16 dialId = 0;
    EXPECT_TRUE(rules.Cancelled(first));
    EXPECT_FALSE(rules.Decide(first, Finding::UpdateAvailable));
    EXPECT_FALSE(rules.TakeWindow(first, &dialId));
    rules.WindowClosed(first);
    rules.Cancel(first);
    EXPECT_FALSE(rules.Cancelled(second.serial));
    EXPECT_EQ(rules.Current().addOn, Finding::Checking);

    // Its last report hands the transfer over to the second check.
    EXPECT_EQ(rules.TransferEnded(first).startTransfer, second.serial);
    EXPECT_EQ(rules.TransferEnded(first).startTransfer, 0u) << "only once";
    EXPECT_EQ(TransferFile(rules, first), "(none)");
    EXPECT_NE(TransferFile(rules, second.serial), firstFile) << "each check writes a file of its own";
    EXPECT_NE(TransferFile(rules, second.serial), "(none)");
    EXPECT_TRUE(rules.TakeWindow(second.serial, &dialId));
    EXPECT_EQ(dialId, WindowId);

    // A check cancelled while its transfer waits never starts it.
    rules.ReleaseWindow();
    rules.WindowClosed(second.serial);
    const UInt32 third = rules.Begin(Request(true)).serial;
    rules.WindowOpened(third, WindowId);
    rules.WindowClosed(third);
    EXPECT_EQ(rules.TransferEnded(second.serial).startTransfer, 0u);
    EXPECT_EQ(rules.Begin(Request(true)).followUp.startTransfer, third + 1);
}

TEST(CheckRulesTest, OnlyTheCurrentCheckPastItsDeadlineIsToEnd)
{
    CheckRules rules;
    const UInt32 late = rules.Begin(Request(true, -std::chrono::seconds(1))).serial;
    EXPECT_TRUE(rules.PastDeadline(late, CheckClock::now()));
    EXPECT_FALSE(rules.Cancelled(late)) << "a failure, not a Cancel";
    rules.WindowOpened(late, WindowId);
    rules.WindowClosed(late);
    const UInt32 next = rules.Begin(Request(true)).serial;
    EXPECT_FALSE(rules.PastDeadline(next, CheckClock::now()));
    EXPECT_FALSE(rules.PastDeadline(late, CheckClock::now())) << "replaced: it ends silently";
}

TEST(CheckRulesTest, ANewWindowWaitsUntilTheOldWindowsSectionIsOver)
{
    // The worker holds the first window when the user closes it and checks again:
    // the new window would get the same identifier, so it is created after the
    // worker's section.
    CheckRules rules;
    const UInt32 first = rules.Begin(Request(true)).serial;
    rules.WindowOpened(first, WindowId);
    Int16 dialId = 0;
    ASSERT_TRUE(rules.TakeWindow(first, &dialId));
    rules.WindowClosed(first);
    const CheckRules::Start second = rules.Begin(Request(true));
    ASSERT_EQ(second.begun, Begun::Started);
    EXPECT_EQ(second.followUp.createWindow, 0u);
    EXPECT_EQ(rules.Begin(Request(true)).begun, Begun::Refused) << "the waiting window counts as open";
    EXPECT_EQ(rules.ReleaseWindow().createWindow, second.serial);
    EXPECT_EQ(rules.ReleaseWindow().createWindow, 0u);
}

// The events run the rules from two threads at once: a Cancel on the UI thread
// reaches a transfer reporting progress on its worker.
TEST(CheckMachineTest, CancelWhileATransferReportsProgressIsSeenAndRaceFree)
{
    CheckRules rules;
    const UInt32 serial = rules.Begin(Request(true)).serial;
    rules.WindowOpened(serial, WindowId);
    ReplaceChecks(rules);
    std::atomic<bool> stopped{false};
    std::thread worker([&] {
        for (long i = 0; i < 100000000 && !stopped; ++i) {
            stopped = TransferReport(DownloadProgress, 0.5, SerialAsData(serial)) == 1;
        }
    });
    // Cancel while the reports run, or before the first: either way the next report stops.
    CancelCheck(serial);
    CheckWindowClosed(serial);
    worker.join();
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(CopyOfChecks().Decide(serial, Finding::UpdateAvailable));
    ReplaceChecks(CheckRules());
}

// One allocation of the host failing anywhere while a transfer's end is reported
// (the list read and compared, the window filled, the alert worded): the check still
// ends. Its outcome is decided, its transfer slot and window section are free for
// the next check, and its list file is gone.
TEST(CheckMachineTest, AnAllocationFailingAtTheEndOfATransferStillEndsTheCheck)
{
    velmora::test::TempFolder folder;
    kit::SetSpecialFolder(14, folder.Native());
    velmora::shell::OnModuleLoad(velmora::test::TestProgramModule());
    bool completed = false;
    for (long allowed = 0; allowed < 5000 && !completed; ++allowed) {
        CheckRules rules;
        CheckRequest request = Request(true);
        ASSERT_TRUE(FreshVersionListPath(&request.listPath));
        const UInt32 serial = rules.Begin(request).serial;
        rules.WindowOpened(serial, WindowId);
        ReplaceChecks(rules);
        const std::string file = folder.File(
            velmora::test::Utf8(request.listPath.ToUniString()).substr(folder.Windows().size() + 1));
        velmora::test::WriteFileBytes(file, "VelmoraLibrary 19.1.0.100 (DA190) 04/08/2018\r\n");

        kit::FailAllocationsAfter(allowed, false);
        TransferReport(DownloadDone, 0.0, SerialAsData(serial));
        kit::StopFailingAllocations();

        CheckRules after = CopyOfChecks();
        completed = after.Current().addOn == Finding::UpdateAvailable;
        EXPECT_FALSE(after.Decide(serial, Finding::UpToDate)) << allowed << ": decided once";
        EXPECT_FALSE(after.RunningTransfer(serial, nullptr, nullptr)) << allowed;
        EXPECT_FALSE(velmora::test::FileExists(file)) << allowed;
        after.WindowClosed(serial);
        const CheckRules::Start next = after.Begin(Request(true));
        EXPECT_NE(next.followUp.createWindow, 0u) << allowed << ": a window section was left open";
        EXPECT_NE(next.followUp.startTransfer, 0u) << allowed;
    }
    EXPECT_TRUE(completed);
    ReplaceChecks(CheckRules());
    velmora::shell::OnModuleUnload();
    kit::SetSpecialFolder(14, "");
}

using velmora::test::Utf8Of;
using AutomaticCheckTest = velmora::test::SettingsFixture;
constexpr Int64 Day = 86400;

TEST_F(AutomaticCheckTest, NothingIsCheckedAndOnlyAFirstUseStoresTheSetting)
{
    const Int64 now = static_cast<Int64>(std::time(nullptr));
    // name, "AutoUpdate" (null: none), seconds since the last check (0: none), kind, then the settings after
    // it
    const std::tuple<const char*, const char*, Int64, int, const char*, const char*> rows[] = {
        {"first use turns it on", nullptr, 0, 3, "1", ""},
        {"switched off", "0", 0, 3, "0", ""},
        {"a value other than 1", "2", 0, 3, "2", ""},
        {"13 days after the last check", "1", 13 * Day, 3, "1", "same"},
        {"a moment after the last check", "1", 60, 3, "1", "same"},
        {"kind 2 does nothing", nullptr, 0, 2, "", ""},
    };
    for (const auto& [name, autoUpdate, lastCheckAgo, kind, storedAutoUpdate, storedLastCheck] : rows) {
        Reset();
        std::remove(OwnFile().c_str());
        ReplaceChecks(CheckRules());
        std::string last;
        if (autoUpdate != nullptr)
            StoreSetting(OwnConfig, AutoUpdateKey, autoUpdate, true);
        if (lastCheckAgo != 0) {
            last = std::to_string(static_cast<Int32>(now - lastCheckAgo));
            StoreSetting(OwnConfig, LastUpdateCheckKey(), last.c_str(), true);
        }
        Reset();
        EXPECT_TRUE(AutoCheckForUpdates(kind, Installed, TS_String("Velmora"))) << name;
        EXPECT_EQ(CurrentCheck().serial, 0u) << name << ": no check started";
        Reset();
        EXPECT_EQ(Utf8Of(GetSetting(OwnConfig, AutoUpdateKey, true)), storedAutoUpdate) << name;
        EXPECT_EQ(Utf8Of(GetSetting(OwnConfig, LastUpdateCheckKey(), true)),
                  std::string(storedLastCheck) == "same" ? last : storedLastCheck)
            << name;
    }
}

TEST_F(AutomaticCheckTest, NoVersionLineOrNoFolderEndsTheCheckWithoutAnything)
{
    const TS_String family("Velmora");
    EXPECT_FALSE(CheckForUpdates(3, true, TS_String(""), family));
    EXPECT_FALSE(CheckForUpdates(3, true, TS_String(), family));
    kit::SetSpecialFolder(14, "");
    Reset();
    EXPECT_FALSE(CheckForUpdates(3, true, Installed, family));
    EXPECT_EQ(CurrentCheck().serial, 0u);
    EXPECT_TRUE(CheckForUpdates(2, true, Installed, family));
}

TEST(CheckPeriodTest, TheTimeSinceTheLastCheckStaysRightPast2038And2106)
{
    constexpr Int64 Limit = 2147483648; // 2038-01-19 03:14:08 UTC, the first time 32 bits cannot hold
    // name, the time of the last check (stored as the setting stores it), now, too early
    const std::tuple<const char*, Int64, Int64, bool> rows[] = {
        {"13 days ago, in 2026", 1796000000 - 13 * Day, 1796000000, true},
        {"14 days ago, in 2026", 1796000000 - 14 * Day, 1796000000, false},
        {"a minute before 2038, now a minute after", Limit - 60, Limit + 60, true},
        {"13 days before 2038, now a day after", Limit - 13 * Day, Limit + Day, false},
        {"a day before 2038, now 12 days after", Limit - Day, Limit + 12 * Day, true},
        {"both after 2038, a day apart", Limit + 100 * Day, Limit + 101 * Day, true},
        {"both after 2038, 20 days apart", Limit + 100 * Day, Limit + 120 * Day, false},
        {"both after 2106, a day apart", 2 * 2 * Limit + 5 * Day, 2 * 2 * Limit + 6 * Day, true},
        {"in the future: a clock set back", Limit + Day, Limit - Day, false},
        {"a value without digits (2038) seen in 2026", 2147483647, 1796000000, false},
    };
    for (const auto& [name, lastCheck, now, tooEarly] : rows) {
        const auto stored = static_cast<Int32>(static_cast<UInt32>(static_cast<UInt64>(lastCheck)));
        EXPECT_EQ(TooEarlyForAutomaticCheck(stored, now), tooEarly) << name;
    }
    EXPECT_FALSE(TooEarlyForAutomaticCheck(0, Limit + 60)) << "no check so far";
}

} // namespace
