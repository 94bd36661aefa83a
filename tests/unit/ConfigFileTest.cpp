// The configuration files, with real files in a temporary per-user folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "SettingsFixture.hpp"
#include "prefs/ConfigFile.hpp"
#include "prefs/Settings.hpp"

using namespace velmora::core;
using namespace velmora::prefs;

using velmora::test::FileExists;
using velmora::test::ReadFileBytes;
using velmora::test::WriteFileBytes;

namespace {

using velmora::test::Utf8Of;

class ConfigFileTest : public velmora::test::SettingsFixture {
protected:
    // Writes a file whose plain content is `plain`.
    void WriteOwn(const std::string& plain) const
    {
        WriteFileBytes(OwnFile(), velmora::test::NibbleSwapped(plain));
    }
    std::string ReadOwn() const { return velmora::test::NibbleSwapped(ReadFileBytes(OwnFile())); }
    // Forgets what was read and reads the file again.
    static bool Reload()
    {
        Reset();
        return LoadConfig(OwnConfig, true);
    }
};

TEST_F(ConfigFileTest, WorkedExampleIsStoredAsItsSixteenSwappedBytes)
{
    PutSetting(OwnConfig, "AutoUpdate", "1", true);
    ASSERT_TRUE(SaveConfig(OwnConfig));
    const unsigned char expected[] = {0x42, 0x14, 0x57, 0x47, 0xF6, 0x55, 0x07, 0x46,
                                      0x16, 0x47, 0x56, 0xA3, 0x02, 0x13, 0xD0, 0xA0};
    EXPECT_EQ(ReadFileBytes(OwnFile()),
              std::string(reinterpret_cast<const char*>(expected), sizeof expected));

    ASSERT_TRUE(Reload());
    ASSERT_EQ(OwnSettings.GetCount(), 1);
    EXPECT_EQ(Utf8Of(OwnSettings[0].key), "AutoUpdate");
    EXPECT_EQ(Utf8Of(OwnSettings[0].value), "1");
}

TEST_F(ConfigFileTest, MissingFileLoadsEmptyAndTheFirstSaveCreatesIt)
{
    ASSERT_TRUE(LoadConfig(OwnConfig, true));
    EXPECT_TRUE(OwnLoaded);
    EXPECT_EQ(OwnSettings.GetCount(), 0);
    EXPECT_FALSE(FileExists(OwnFile()));
    ASSERT_TRUE(SaveConfig(OwnConfig));
    EXPECT_TRUE(FileExists(OwnFile()));
    EXPECT_EQ(ReadFileBytes(OwnFile()), "");
    EXPECT_TRUE(Reload());
    EXPECT_EQ(OwnSettings.GetCount(), 0);
}

TEST_F(ConfigFileTest, ValuesWithLineBreaksSurviveASaveAndALoad)
{
    const char* values[] = {"a\r\nb", "a\n\nb", "a\r\n", "a\rb", "", "\n", "caf\xC3\xA9"};
    int n = 0;
    for (const char* v : values) {
        TS_String key("K");
        key += TS_String::FromNumber(n, 0);
        PutSetting(OwnConfig, key, TS_String(v, TextEncoding::Utf8), true);
        ++n;
    }
    ASSERT_TRUE(SaveConfig(OwnConfig));
    std::string plain = ReadOwn();
    EXPECT_NE(plain.find("$K0: a\r\n#b\r\n"), std::string::npos);
    EXPECT_NE(plain.find("$K1: a\n#\n#b\r\n"), std::string::npos);
    EXPECT_NE(plain.find("$K4: \r\n$K5"), std::string::npos);
    EXPECT_NE(plain.find("$K6: caf\xE9\r\n"), std::string::npos); // stored in the ANSI code page

    ASSERT_TRUE(Reload());
    ASSERT_EQ(OwnSettings.GetCount(), n);
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(Utf8Of(OwnSettings[i].value), values[i]) << "value " << i;
}

TEST_F(ConfigFileTest, ReaderFollowsTheRecordRules)
{
    struct Case {
        std::string plain;
        bool loads;
        int records;
        const char* firstKeyAndValue = nullptr;
    } cases[] = {
        {"$K:1\r\n", true, 1, "K="},          // no space: the byte after ':' is skipped
        {"$A: 1\r\n$B: 2", true, 1},          // a last record without line break is dropped
        {"$A: 1\r\n\r\n$B: 2\r\n", false, 0}, // a blank line between records
        {"$A: 1\r\n\r\n", false, 0},          // a blank line at the end
        {"$A: 1\r\n$B: 2\r\n\r\n", false, 1}, // the records before the fault stay
        {"A: 1\r\n", false, 0},               // no record mark
        {"$: 1\r\n", false, 0},               // empty key
        {"$A 1\r\n", false, 0},               // no colon
        {"$A: 1\r\nX\r\n", false, 0},         // a line break followed by anything else
        {"$A: 1\n$B: 2\r$C: 3\r\n", true, 3}, // any line break ends a record
        {"$A: x\r\n#y\r\n$B: 2\r\n", true, 2},
        {"$a:b: v\r\n", true, 1, "a=: v"},                              // a key ends at its first colon
        {"$A: " + std::string(MaxConfigBytes, 'x') + "\r\n", false, 0}, // beyond the size limit
    };
    for (const Case& c : cases) {
        Reset();
        WriteOwn(c.plain);
        const std::string shown = c.plain.substr(0, 40);
        EXPECT_EQ(LoadConfig(OwnConfig, true), c.loads) << shown;
        EXPECT_EQ(OwnLoaded, c.loads) << shown;
        EXPECT_EQ(OwnSettings.GetCount(), c.records) << shown;
        if (c.firstKeyAndValue != nullptr && OwnSettings.GetCount() > 0) {
            EXPECT_EQ(Utf8Of(OwnSettings[0].key) + "=" + Utf8Of(OwnSettings[0].value), c.firstKeyAndValue);
        }
    }
}

TEST_F(ConfigFileTest, ZeroBytesInsideARecordSurviveASave)
{
    // A file damaged by zero bytes reads as records holding them; saving it again
    // must give a file that reads back, not one cut at the first zero byte.
    WriteOwn(std::string("$\0\0K: a\0b\r\n$B: 1\r\n", 18));
    ASSERT_TRUE(LoadConfig(OwnConfig, true));
    ASSERT_EQ(OwnSettings.GetCount(), 2);
    ASSERT_TRUE(StoreSetting(OwnConfig, "B", "2", true));
    EXPECT_EQ(ReadOwn(), std::string("$\0\0K: a\0b\r\n$B: 2\r\n", 18));
    ASSERT_TRUE(Reload());
    ASSERT_EQ(OwnSettings.GetCount(), 2);
    EXPECT_EQ(OwnSettings[0].key.GetLength(), 3u);
    EXPECT_EQ(OwnSettings[0].value.GetLength(), 3u);
}

TEST_F(ConfigFileTest, SameKeyTwiceLookupsSeeTheFirstAndSavingWritesBoth)
{
    WriteOwn("$K: first\r\n$K: second\r\n");
    EXPECT_EQ(Utf8Of(GetSetting(OwnConfig, "K", true)), "first");
    ASSERT_TRUE(StoreSetting(OwnConfig, "K", "changed", true));
    EXPECT_EQ(ReadOwn(), "$K: changed\r\n$K: second\r\n");
}

TEST_F(ConfigFileTest, DamagedFileReadsAsMissingUntilAStoreRewritesIt)
{
    WriteOwn("$A: 1\r\n$B: 2\r\n$C: 3\r\nbroken\r\n$E: 5\r\n");
    EXPECT_FALSE(FindSetting(OwnConfig, "A", nullptr, true));
    EXPECT_FALSE(OwnLoaded);
    EXPECT_EQ(GetSettingInt(OwnConfig, "B", true), 0);

    EXPECT_TRUE(StoreSetting(OwnConfig, "D", "4", true));
    // The records read before the fault stay; the damaged rest is gone.
    EXPECT_EQ(ReadOwn(), "$A: 1\r\n$B: 2\r\n$D: 4\r\n");
    EXPECT_TRUE(Reload());
    EXPECT_EQ(Utf8Of(GetSetting(OwnConfig, "B", true)), "2");
}

TEST_F(ConfigFileTest, ForcedLoadRereadsALoadedFile)
{
    WriteOwn("$A: 1\r\n");
    ASSERT_TRUE(LoadConfig(OwnConfig, true));
    WriteOwn("$A: 2\r\n");
    ASSERT_TRUE(LoadConfig(OwnConfig, true));
    EXPECT_EQ(Utf8Of(GetSetting(OwnConfig, "A", true)), "1"); // skipped: already loaded
    ASSERT_TRUE(LoadConfig(OwnConfig, false));
    EXPECT_EQ(Utf8Of(GetSetting(OwnConfig, "A", true)), "2");
}

TEST_F(ConfigFileTest, NoUserFolderFailsLoadAndSave)
{
    kit::SetSpecialFolder(14, "");
    TS_String path("unchanged");
    EXPECT_NE(ConfigPath(OwnConfig, path), NoError);
    EXPECT_EQ(Utf8Of(path), "unchanged");
    EXPECT_FALSE(LoadConfig(OwnConfig, true));
    EXPECT_FALSE(FindSetting(OwnConfig, "AutoUpdate", nullptr, true));
    EXPECT_FALSE(StoreSetting(OwnConfig, "AutoUpdate", "1", true));
    EXPECT_EQ(Utf8Of(GetSetting(OwnConfig, "AutoUpdate", false)), "1"); // the change lives in memory
}

// The names in the user folder: a save leaves nothing behind but the file itself.
std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ConfigFileTest, ReadOnlyFileIsNotSavedAndTheChangeStaysInMemory)
{
    namespace fs = std::filesystem;
    WriteOwn("$A: 1\r\n$B: 2\r\n");
    ASSERT_TRUE(LoadConfig(OwnConfig, true));
    fs::permissions(OwnFile(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(StoreSetting(OwnConfig, "A", "changed", true));
    EXPECT_EQ(
        WriteFileBytes(TS_String(folder.WindowsFile("VelmoraLibrary_190.cfg").c_str(), TextEncoding::Utf8),
                       "x", 1),
        2); // access denied
    EXPECT_EQ(ReadOwn(), "$A: 1\r\n$B: 2\r\n");
    EXPECT_EQ(Utf8Of(GetSetting(OwnConfig, "A", true)), "changed");
    EXPECT_EQ(NamesIn(folder.Native()), std::vector<std::string>{"VelmoraLibrary_190.cfg"});
    fs::permissions(OwnFile(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(SaveConfig(OwnConfig));
    EXPECT_EQ(ReadOwn(), "$A: changed\r\n$B: 2\r\n");
}

TEST_F(ConfigFileTest, TwoWritersAtOnceEachLeaveAWholeFile)
{
    const TS_String path(folder.WindowsFile("VelmoraLibrary_190.cfg").c_str(), TextEncoding::Utf8);
    const std::string first(5000, 'a');
    const std::string second(7000, 'b');
    std::atomic<int> failures{0};
    std::atomic<int> lastFailure{0};
    const auto writer = [&](const std::string& bytes) {
        for (int i = 0; i < 100; ++i) {
            const int result = WriteFileBytes(path, bytes.data(), static_cast<UInt32>(bytes.size()));
            if (result != 0) {
                ++failures;
                lastFailure = result;
            }
        }
    };
    std::thread a(writer, std::cref(first));
    std::thread b(writer, std::cref(second));
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0) << "the last failure: " << lastFailure.load();
    const std::string content = ReadFileBytes(OwnFile());
    EXPECT_TRUE(content == first || content == second) << content.size();
    EXPECT_EQ(NamesIn(folder.Native()), std::vector<std::string>{"VelmoraLibrary_190.cfg"});
}

TEST_F(ConfigFileTest, ReplacementsLeftByEndedWritersAreRemovedAtTheNextSave)
{
#if defined(_WIN32)
    const std::string self = std::to_string(GetCurrentProcessId());
#else
    const std::string self = std::to_string(::getpid());
#endif
    const struct {
        std::string name;
        bool stays;
    } cases[] = {
        {"VelmoraLibrary_190.cfg.999999992-0-17.new", false},   // no such process
        {"VelmoraLibrary_190.cfg." + self + "-4-17.new", true}, // a writer still running
        {"VelmoraLibrary_190.cfg.backup", true},
        {"VelmoraLibrary_190.cfg.old.new", true},
        {"VelmoraPlugins.cfg.999999992-0-17.new", true}, // another file's
    };
    for (const auto& c : cases)
        WriteFileBytes(folder.File(c.name), "half");
    ASSERT_TRUE(StoreSetting(OwnConfig, "A", "1", true));
    for (const auto& c : cases)
        EXPECT_EQ(FileExists(folder.File(c.name)), c.stays) << c.name;
}

#if !defined(_WIN32)
TEST_F(ConfigFileTest, SavingKeepsTheFilesPermissions)
{
    const mode_t modes[] = {0600, 0640, 0604, 0660, 0644, 0664};
    for (mode_t mode : modes) {
        WriteOwn("$A: 1\r\n");
        ASSERT_EQ(::chmod(OwnFile().c_str(), mode), 0);
        ASSERT_TRUE(StoreSetting(OwnConfig, "A", "2", true)) << std::oct << mode;
        struct stat info {};
        ASSERT_EQ(::stat(OwnFile().c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode) << std::oct << mode;
        EXPECT_EQ(ReadOwn(), "$A: 2\r\n");
    }
    // A new file gets the mode any new file gets (0666 less the process's mask).
    const mode_t mask = ::umask(022);
    ::umask(mask);
    std::filesystem::remove(OwnFile());
    ASSERT_TRUE(StoreSetting(OwnConfig, "A", "3", true));
    struct stat info {};
    ASSERT_EQ(::stat(OwnFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0666 & ~mask);
}

TEST_F(ConfigFileTest, SavingThroughALinkReplacesItsTarget)
{
    namespace fs = std::filesystem;
    const struct {
        const char* name;
        std::string link;   // what the link at the configuration file's name holds
        std::string target; // the file that must receive the new content
    } cases[] = {
        {"absolute link", folder.File("real/settings.cfg"), folder.File("real/settings.cfg")},
        {"relative link", "real/settings.cfg", folder.File("real/settings.cfg")},
        {"link to a link", "chain.cfg", folder.File("real/settings.cfg")},
        {"link to a missing file", "real/new.cfg", folder.File("real/new.cfg")},
    };
    fs::create_directory(folder.File("real"));
    fs::create_symlink("real/settings.cfg", folder.File("chain.cfg"));
    for (const auto& c : cases) {
        Reset();
        fs::remove(folder.File("real/new.cfg"));
        WriteFileBytes(folder.File("real/settings.cfg"), velmora::test::NibbleSwapped("$A: 1\r\n"));
        fs::remove(OwnFile());
        fs::create_symlink(c.link, OwnFile());
        ASSERT_TRUE(StoreSetting(OwnConfig, "A", c.name, true)) << c.name;
        EXPECT_TRUE(fs::is_symlink(OwnFile())) << c.name;
        EXPECT_EQ(fs::read_symlink(OwnFile()).string(), c.link) << c.name;
        EXPECT_EQ(velmora::test::NibbleSwapped(ReadFileBytes(c.target)),
                  std::string("$A: ") + c.name + "\r\n")
            << c.name;
        EXPECT_EQ(NamesIn(folder.File("real")).size(), c.target == folder.File("real/new.cfg") ? 2u : 1u)
            << c.name;
    }
}
#endif

TEST_F(ConfigFileTest, MissingFolderFailsTheSave)
{
    kit::SetSpecialFolder(14, folder.File("no-such-folder"));
    PutSetting(OwnConfig, "A", "1", true);
    EXPECT_FALSE(SaveConfig(OwnConfig));
    EXPECT_FALSE(FileExists(folder.File("no-such-folder")));
}

TEST_F(ConfigFileTest, ListBeyondTheLimitIsNotSaved)
{
    WriteOwn("$A: 1\r\n");
    ASSERT_TRUE(LoadConfig(OwnConfig, true));
    // "$B: " + value + CR LF: exactly the limit with the first record, then one byte more.
    std::string value(MaxConfigBytes - 7 - 6, 'x');
    PutSetting(OwnConfig, "B", value.c_str(), true);
    ASSERT_TRUE(SaveConfig(OwnConfig));
    EXPECT_EQ(ReadFileBytes(OwnFile()).size(), MaxConfigBytes);
    ASSERT_TRUE(Reload());
    EXPECT_EQ(GetSetting(OwnConfig, "B", true).GetLength(), value.size());

    PutSetting(OwnConfig, "B", (value + "y").c_str(), true);
    EXPECT_FALSE(SaveConfig(OwnConfig));
    EXPECT_EQ(ReadFileBytes(OwnFile()).size(), MaxConfigBytes);
}

TEST_F(ConfigFileTest, SharedAndOwnFilesAreSeparate)
{
    StoreSetting(SharedConfig, "Language_str", "ger", true);
    StoreSetting(OwnConfig, "AutoUpdate", "0", true);
    EXPECT_EQ(velmora::test::NibbleSwapped(ReadFileBytes(SharedFile())), "$Language_str: ger\r\n");
    EXPECT_EQ(ReadOwn(), "$AutoUpdate: 0\r\n");
}

} // namespace
