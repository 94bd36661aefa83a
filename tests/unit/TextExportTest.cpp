// The text export's pieces: the name check, the lines of this build in each
// language, and the writing of the lines into a real file of a temporary folder.
#include <gtest/gtest.h>

#include "AddonModuleFixture.hpp"

#include <filesystem>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <csignal>
#include <sys/resource.h>
#endif

#include "TestSupport.hpp"
#include "core/TS_List.hpp"
#include "dialogs/InfoLines.hpp"
#include "dialogs/TextExport.hpp"
#include "dialogs/TextExportFile.hpp"
#include "hostapi/AddOnIdentity.hpp"
#include "language/Language.hpp"
#include "shell/Module.hpp"

using namespace velmora::core;
using namespace velmora::language;
using namespace velmora::dialogs;
using namespace velmora::shell;

namespace fs = std::filesystem;

namespace {

using velmora::test::ReadFileBytes;
using velmora::test::TempFolder;
using velmora::test::WriteFileBytes;

TS_String Utf8Text(const std::string& utf8)
{
    return TS_String(utf8.c_str(), TextEncoding::Utf8);
}

std::string Utf8Of(const TS_String& text)
{
    return velmora::test::Utf8(text.ToUniString());
}

// The save dialog's answer to a refused name is tried end to end; the names here.
TEST(TextExportName, OnlyATxtExtensionOfTheFileNameIsAccepted)
{
    struct Row {
        const char* name;
        const char* path;
        bool accepted;
    };
    const Row rows[] = {
        {"upper case", "C:\\Docs\\Info.TXT", true},
        {"lower case", "C:\\Docs\\info.txt", true},
        {"several full stops, mixed case", "C:\\Docs\\build.19.0.TxT", true},
        {"no full stop", "C:\\Docs\\Info", false},
        {"a final full stop", "C:\\Docs\\Info.", false},
        {"another extension after .txt", "C:\\Docs\\Info.txt.bak", false},
        {"a full stop only in a folder name", "C:\\notes.txt\\Info", false},
        {"a longer extension that starts with txt", "C:\\Docs\\Info.txts", false},
        {"a shorter extension", "C:\\Docs\\Info.tx", false},
        {"empty", "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(HasTextExtension(TS_String(row.path)), row.accepted);
    }
    EXPECT_FALSE(HasTextExtension(TS_String()));
}

class InfoLinesTest : public velmora::test::AddonModuleTest {
protected:
    void SetUp() override
    {
        AddonModuleTest::SetUp();
        ResetVersionRecord(record.version);
        ParseVersionLine(TS_String(velmora::hostapi::AddOnVersionLine), record.version);
    }
    InfoRecord record;
};

TEST_F(InfoLinesTest, TheExportLinesOfEachLanguage)
{
    struct Row {
        Int16 language;
        const char* version;
        const char* date;
        const char* system;
    };
    const Row rows[] = {
        {3, "Version: 19.0.4.2200", "Datum: 03/08/2018", "Betriebssystem: Win64"},
        {4, "Versión: 19.0.4.2200", "Fecha: 03/08/2018", "Sistema: Win64"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.language);
        CurrentLanguage = row.language;
        TS_List<TS_String> lines;
        lines.Insert(TS_String("left over from before"));
        BuildInfoLines(record, lines);
        ASSERT_EQ(lines.GetCount(), 8);
        const std::string expected[] = {
            "VelmoraLibrary\r\n",
            std::string(row.version) + "\r\n",
            std::string(row.date) + "\r\n",
            std::string(row.system) + "\r\n",
            "ArchiCAD 19\r\n",
            "\r\n",
            "\r\n",
            "\r\n",
        };
        for (Int32 i = 0; i < 8; ++i)
            EXPECT_EQ(Utf8Of(lines[i]), expected[i]) << "line " << i + 1;
    }
}

class WriteTextLinesTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return folder.WindowsFile(name); }
    static void Fill(TS_List<TS_String>& list, std::initializer_list<const char*> utf8Lines)
    {
        for (const char* line : utf8Lines)
            list.Insert(Utf8Text(line));
    }
    TempFolder folder;
};

// New files and files longer than the export are written end to end; here the rest.
TEST_F(WriteTextLinesTest, TheFileHoldsExactlyTheLinesInUtf8)
{
    struct Row {
        const char* name;
        std::string before; // the file's content before; "-" for no file
        std::initializer_list<const char*> lines;
        std::string after;
    };
    const Row rows[] = {
        {"over a shorter file", "ab", {"longer text\r\n"}, "longer text\r\n"},
        {"letters beyond ASCII and beyond the first plane",
         "-",
         {"è Ж 日本 \xF0\x9F\x93\x84\r\n"},
         "è Ж 日本 \xF0\x9F\x93\x84\r\n"},
        {"empty lines add nothing", "old content", {"", "x", ""}, "x"},
        {"no lines empty the file", "old content", {}, ""},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string name = "export" + std::to_string(++n) + ".txt";
        if (row.before != "-")
            WriteFileBytes(folder.File(name), row.before);
        TS_List<TS_String> lines;
        Fill(lines, row.lines);
        EXPECT_TRUE(WriteTextLines(TS_String(Path(name).c_str()), lines));
        EXPECT_EQ(ReadFileBytes(folder.File(name)), row.after);
    }
}

TEST_F(WriteTextLinesTest, APlaceThatTakesNoFileGivesFailure)
{
    // Folders in the way are met end to end, through the save dialog.
    TS_List<TS_String> lines;
    Fill(lines, {"line\r\n"});
    EXPECT_FALSE(WriteTextLines(TS_String(""), lines));
    EXPECT_FALSE(WriteTextLines(TS_String(), lines));
}

#if !defined(_WIN32)
TEST_F(WriteTextLinesTest, AFailedWriteLeavesTheOldFileWholeAndNothingBesideIt)
{
    const std::string old = "the export of an older build\r\n";
    const std::string longLine(8192, 'x');
    const struct {
        const char* name;
        bool sizeLimit; // the write stops part way, as on a full disk
        bool readOnly;
    } rows[] = {
        {"the disk takes only part of the new bytes", true, false},
        {"a read-only file", false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = folder.File("info.txt");
        fs::remove(file);
        WriteFileBytes(file, old);
        if (row.readOnly)
            fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
        TS_List<TS_String> lines;
        Fill(lines, {"VelmoraLibrary\r\n", longLine.c_str(), "\r\n"});

        // The size limit holds for every user, the system's administrator too; with
        // its signal ignored a write past it fails as a full disk's does.
        struct rlimit saved {};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        struct sigaction ignore {};
        struct sigaction previous {};
        ignore.sa_handler = SIG_IGN;
        ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &previous), 0);
        struct rlimit limited = saved;
        if (row.sizeLimit)
            limited.rlim_cur = 4096;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const bool written = WriteTextLines(TS_String(Path("info.txt").c_str()), lines);
        setrlimit(RLIMIT_FSIZE, &saved);
        sigaction(SIGXFSZ, &previous, nullptr);

        EXPECT_FALSE(written);
        EXPECT_EQ(ReadFileBytes(file), old);
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(fs::path(folder.Native())))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"info.txt"});
        fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    }
}
#endif

} // namespace
