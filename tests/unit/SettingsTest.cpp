// The settings store and the language stored in it, with real files in a
// temporary per-user folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "SettingsFixture.hpp"
#include "prefs/Settings.hpp"

using namespace velmora::core;
using namespace velmora::prefs;

namespace {

using velmora::test::Utf8Of;
using SettingsTest = velmora::test::SettingsFixture;

TEST_F(SettingsTest, WholeNumbersReadAsTheirFirstNumber)
{
    PutSetting(OwnConfig, "neg", "-5", true);
    PutSetting(OwnConfig, "tail", "12abc", true);
    PutSetting(OwnConfig, "none", "abc", true);
    PutSetting(OwnConfig, "empty", "", true);
    OwnLoaded = true;
    EXPECT_EQ(GetSettingInt(OwnConfig, "neg", true), -5);
    EXPECT_EQ(GetSettingInt(OwnConfig, "tail", true), 12);
    EXPECT_EQ(GetSettingInt(OwnConfig, "none", true), 2147483647);
    EXPECT_EQ(GetSettingInt(OwnConfig, "empty", true), 0);
    EXPECT_EQ(GetSettingInt(OwnConfig, "missing", true), 0);
}

TEST_F(SettingsTest, KeysDifferByCaseAndPutWithoutCreateAddsNothing)
{
    EXPECT_TRUE(PutSetting(OwnConfig, "AutoUpdate", "1", true));
    EXPECT_TRUE(PutSetting(OwnConfig, "autoupdate", "0", false));
    EXPECT_EQ(OwnSettings.GetCount(), 1);
    EXPECT_FALSE(FindSetting(OwnConfig, "autoupdate", nullptr, false));
    TS_String value("untouched");
    EXPECT_FALSE(FindSetting(OwnConfig, "Missing", &value, false));
    EXPECT_EQ(Utf8Of(value), "untouched");
    EXPECT_TRUE(FindSetting(OwnConfig, "AutoUpdate", &value, false));
    EXPECT_EQ(Utf8Of(value), "1");
}

TEST_F(SettingsTest, StoredTimeUsesTheLastUpdateCheckKey)
{
    EXPECT_EQ(Utf8Of(LastUpdateCheckKey()), "LastUpdateCheck_190");
    ASSERT_TRUE(LoadConfig(OwnConfig, true));
    PutSettingInt(OwnConfig, LastUpdateCheckKey(), static_cast<Int32>(static_cast<UInt32>(4294967295u)),
                  true);
    ASSERT_TRUE(SaveConfig(OwnConfig));
    Reset();
    EXPECT_EQ(GetSettingInt(OwnConfig, LastUpdateCheckKey(), true), -1);
    EXPECT_EQ(Utf8Of(GetSetting(OwnConfig, LastUpdateCheckKey(), true)), "-1");
}

TEST_F(SettingsTest, LanguageCodesCompareWithoutCase)
{
    struct Case {
        const char* key;
        const char* value;
        Int16 language;
    } cases[] = {
        {"Language_str", "INT", 1}, {"Language_str", "jap", 5}, {"Language_str", "ger", 3},
        {"Language_str", "xyz", 1}, {"Language", "3", 3},       {"Language", "6", 1},
        {"Language", "2,5", 2},     {"Language", "x", 1},       {"Language", "0", 0},
    };
    for (const Case& c : cases) {
        Reset();
        std::remove(OwnFile().c_str());
        ASSERT_TRUE(StoreSetting(OwnConfig, c.key, c.value, true));
        Reset();
        CurrentLanguage = 4;
        EXPECT_TRUE(LoadLanguage(SharedFile::ReadAgain)) << c.key << "=" << c.value;
        EXPECT_EQ(CurrentLanguage, c.language) << c.key << "=" << c.value;
    }
}

TEST_F(SettingsTest, CodeKeyWinsOverTheNumericKey)
{
    StoreSetting(OwnConfig, "Language", "3", true);
    StoreSetting(OwnConfig, "Language_str", "fra", true);
    LoadLanguage(SharedFile::ReadAgain);
    EXPECT_EQ(CurrentLanguage, 2);
}

TEST_F(SettingsTest, NoLanguageKeyMeansEnglish)
{
    CurrentLanguage = 0;
    EXPECT_FALSE(LoadLanguage(SharedFile::ReadAgain));
    EXPECT_EQ(CurrentLanguage, 1);
    // The language lives in the own file, not in the shared one.
    StoreSetting(SharedConfig, "Language_str", "ita", true);
    EXPECT_FALSE(LoadLanguage(SharedFile::ReadAgain));
    EXPECT_EQ(CurrentLanguage, 1);
}

TEST_F(SettingsTest, SaveLanguageStoresTheCodeInTheOwnFile)
{
    CurrentLanguage = 0;
    SaveLanguage();
    EXPECT_EQ(Utf8Of(GetSetting(OwnConfig, "Language_str", true)), "ita");
    CurrentLanguage = 9;
    SaveLanguage();
    EXPECT_EQ(CurrentLanguage, 1);
    Reset();
    EXPECT_EQ(Utf8Of(GetSetting(OwnConfig, "Language_str", true)), "int");
    EXPECT_FALSE(velmora::test::FileExists(folder.File("VelmoraPlugins.cfg")));
}

TEST_F(SettingsTest, AFileThatCannotBeReadIsNeverReplaced)
{
    namespace fs = std::filesystem;
    const std::string plain = "$AutoUpdate: 0\r\n$Language_str: ger\r\n";
    const std::string stored = velmora::test::NibbleSwapped(plain);
    const struct {
        const char* name;
        kit::FileFault fault;
        bool folder; // a folder in the file's place instead of the file
    } rows[] = {
        {"the length query fails", kit::FileFault::Length, false},
        {"the positioning fails", kit::FileFault::Position, false},
        {"the reading fails", kit::FileFault::Read, false},
        {"a folder in the file's place", kit::FileFault::None, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Reset();
        fs::remove_all(OwnFile());
        if (row.folder)
            fs::create_directory(OwnFile());
        else
            velmora::test::WriteFileBytes(OwnFile(), stored);
        kit::InjectFileFault(row.fault);
        // Reads give the defaults, as for a damaged file, and a store changes memory only.
        EXPECT_EQ(Utf8Of(GetSetting(OwnConfig, "Language_str", true)), "");
        EXPECT_FALSE(OwnLoaded);
        EXPECT_FALSE(StoreSetting(OwnConfig, "AutoUpdate", "1", true));
        EXPECT_FALSE(SaveConfig(OwnConfig));
        if (row.folder)
            EXPECT_TRUE(fs::is_directory(OwnFile()));
        else
            EXPECT_EQ(velmora::test::ReadFileBytes(OwnFile()), stored);

        // Once the file reads again, the next store reads it before writing it.
        kit::InjectFileFault(kit::FileFault::None);
        if (row.folder) {
            fs::remove(OwnFile());
            velmora::test::WriteFileBytes(OwnFile(), stored);
        }
        EXPECT_EQ(Utf8Of(GetSetting(OwnConfig, "Language_str", true)), "ger");
        EXPECT_TRUE(StoreSetting(OwnConfig, "AutoUpdate", "1", true));
        EXPECT_EQ(velmora::test::NibbleSwapped(velmora::test::ReadFileBytes(OwnFile())),
                  "$AutoUpdate: 1\r\n$Language_str: ger\r\n");
    }
}

} // namespace
