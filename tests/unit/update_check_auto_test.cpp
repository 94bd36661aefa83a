// The automatic check's decisions that end before anything is fetched: the first
// use, the setting, the 14-day period. Real configuration files in a temporary
// per-user folder.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "prefs/Settings.hpp"
#include "settings_fixture.hpp"
#include "update/UpdateCheck.hpp"
#include "update/UpdateCheckState.hpp"

using namespace velmora::core;
using namespace velmora::prefs;

namespace {

using velmora::test::Utf8Of;
using UpdateCheckAutoTest = velmora::test::SettingsFixture;

const TS_String VersionLine("VelmoraLibrary 19.0.4.2200 (DA190) 03/08/2018");
const TS_String Family("Velmora");
constexpr Int64 Day = 86400;

TEST_F(UpdateCheckAutoTest, NothingIsCheckedAndOnlyAFirstUseStoresTheSetting)
{
    const Int64 now = static_cast<Int64>(std::time(nullptr));
    struct Case {
        const char* name;
        const char* autoUpdate; // null: missing
        Int64 lastCheckAgo;     // 0: missing
        int kind;
        const char* storedAutoUpdate;
        const char* storedLastCheck;
    } cases[] = {
        {"first use turns it on", nullptr, 0, 3, "1", ""},
        {"switched off", "0", 0, 3, "0", ""},
        {"a value other than 1", "2", 0, 3, "2", ""},
        {"13 days after the last check", "1", 13 * Day, 3, "1", "same"},
        {"a moment after the last check", "1", 60, 3, "1", "same"},
        {"kind 2 does nothing", nullptr, 0, 2, "", ""},
    };
    for (const Case& c : cases) {
        Reset();
        std::remove(OwnFile().c_str());
        velmora::update::ResetChecks();
        std::string last;
        if (c.autoUpdate != nullptr)
            StoreSetting(OwnConfig, AutoUpdateKey, c.autoUpdate, true);
        if (c.lastCheckAgo != 0) {
            last = std::to_string(static_cast<Int32>(now - c.lastCheckAgo));
            StoreSetting(OwnConfig, LastUpdateCheckKey(), last.c_str(), true);
        }
        Reset();
        EXPECT_TRUE(AutoCheckForUpdates(c.kind, VersionLine, Family)) << c.name;
        EXPECT_EQ(velmora::update::CurrentCheck().serial, 0u) << c.name << ": no check started";
        Reset();
        EXPECT_EQ(Utf8Of(GetSetting(OwnConfig, AutoUpdateKey, true)), c.storedAutoUpdate) << c.name;
        EXPECT_EQ(Utf8Of(GetSetting(OwnConfig, LastUpdateCheckKey(), true)),
                  std::string(c.storedLastCheck) == "same" ? last : c.storedLastCheck)
            << c.name;
    }
}

TEST(UpdateCheckPeriod, TheTimeSinceTheLastCheckStaysRightPast2038)
{
    constexpr Int64 Limit = 2147483648; // 2038-01-19 03:14:08 UTC, the first time 32 bits cannot hold
    const struct {
        const char* name;
        Int64 lastCheck; // the time of the last check, stored as the setting stores it
        Int64 now;
        bool tooEarly;
    } rows[] = {
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
    for (const auto& row : rows) {
        const auto stored = static_cast<Int32>(static_cast<UInt32>(static_cast<UInt64>(row.lastCheck)));
        EXPECT_EQ(TooEarlyForAutomaticCheck(stored, row.now), row.tooEarly) << row.name;
    }
    EXPECT_FALSE(TooEarlyForAutomaticCheck(0, Limit + 60)) << "no check so far";
}

TEST_F(UpdateCheckAutoTest, NoVersionLineOrNoFolderEndsTheCheckWithoutAnything)
{
    EXPECT_FALSE(CheckForUpdates(3, true, TS_String(""), Family));
    EXPECT_FALSE(CheckForUpdates(3, true, TS_String(), Family));
    kit::SetSpecialFolder(14, "");
    Reset();
    EXPECT_FALSE(CheckForUpdates(3, true, VersionLine, Family));
    EXPECT_EQ(velmora::update::CurrentCheck().serial, 0u);
    EXPECT_TRUE(CheckForUpdates(2, true, VersionLine, Family));
}

} // namespace
