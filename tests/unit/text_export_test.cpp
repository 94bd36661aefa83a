// The text export's pieces: the name check, the lines of this build in each
// language, and the writing of the lines into a real file of a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <csignal>
#include <sys/resource.h>
#endif

#include "core/TS_List.hpp"
#include "dialogs/InfoLines.hpp"
#include "dialogs/TextExport.hpp"
#include "dialogs/TextExportFile.hpp"
#include "hostapi/AddOnIdentity.hpp"
#include "language/Language.hpp"
#include "shell/Module.hpp"
#include "test_support.hpp"

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
        {"mixed case", "C:\\Docs\\Info.Txt", true},
        {"several full stops, .txt last", "C:\\Docs\\build.19.0.txt", true},
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

class InfoLinesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        velmora::shell::OnModuleLoad(velmora::test::TestProgramModule());
        ResetVersionRecord(record.version);
        ParseVersionLine(TS_String(velmora::hostapi::AddOnVersionLine), record.version);
    }
    void TearDown() override
    {
        velmora::shell::OnModuleUnload();
        CurrentLanguage = 1;
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
        {0, "Versione: 19.0.4.2200", "Data: 03/08/2018", "Sistema: Win64"},
        {1, "Version: 19.0.4.2200", "Date: 03/08/2018", "System: Win64"},
        {2, "Version: 19.0.4.2200", "Date: 03/08/2018", "Système: Win64"},
        {3, "Version: 19.0.4.2200", "Datum: 03/08/2018", "Betriebssystem: Win64"},
        {4, "Versión: 19.0.4.2200", "Fecha: 03/08/2018", "Sistema: Win64"},
        {5, "Version: 19.0.4.2200", "Date: 03/08/2018", "System: Win64"}, // no library list of its own
        {6, "Version: 19.0.4.2200", "Date: 03/08/2018", "System: Win64"},
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

TEST_F(WriteTextLinesTest, TheFileHoldsExactlyTheLinesInUtf8)
{
    struct Row {
        const char* name;
        std::string before; // the file's content before; "-" for no file
        std::initializer_list<const char*> lines;
        std::string after;
    };
    const Row rows[] = {
        {"a new file", "-", {"one\r\n", "two\r\n"}, "one\r\ntwo\r\n"},
        {"over a longer file", std::string(4096, 'o'), {"short\r\n"}, "short\r\n"},
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
    fs::create_directory(fs::path(folder.File("a folder.txt")));
    WriteFileBytes(folder.File("plain"), "x");
    struct Row {
        const char* name;
        TS_String path;
    };
    const Row rows[] = {
        {"a folder in the file's place", TS_String(Path("a folder.txt").c_str())},
        {"a missing folder", TS_String(Path("missing\\out.txt").c_str())},
        {"a file in the folder's place", TS_String(Path("plain\\out.txt").c_str())},
        {"an empty path", TS_String("")},
        {"no path", TS_String()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TS_List<TS_String> lines;
        Fill(lines, {"line\r\n"});
        EXPECT_FALSE(WriteTextLines(row.path, lines));
    }
    EXPECT_EQ(ReadFileBytes(folder.File("plain")), "x");
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
