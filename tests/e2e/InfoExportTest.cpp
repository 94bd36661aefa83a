// The information dialog and its text export as a user meets them: velmora-host
// runs the built add-on, the dialog shows this build's lines in the user's
// language, and "Save as Text..." writes them into a real file of the per-user
// folder, after the name check, or reports why it cannot.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "E2eSupport.hpp"

namespace fs = std::filesystem;

namespace {

using velmora::e2e::CountOf;
using velmora::e2e::ScriptText;
using velmora::test::FileExists;
using velmora::test::ReadFileBytes;
using velmora::test::WriteFileBytes;

const std::string EnglishExport = "VelmoraLibrary\r\n"
                                  "Version: 19.0.4.2200\r\n"
                                  "Date: 03/08/2018\r\n"
                                  "System: Win64\r\n"
                                  "ArchiCAD 19\r\n"
                                  "\r\n\r\n\r\n";

class InfoExportTest : public velmora::e2e::HostTest {
protected:
    void SetUp() override { ChooseLanguage("int"); }

    // Opens the information dialog, presses "Save as Text..." and answers the save
    // dialog with `answers` (script commands), then closes the dialog with OK.
    velmora::e2e::ProgramRun Export(const std::string& answers)
    {
        return Host(
            "menu 5\nclick 15\n" + answers +
            "\nexpect-dialog 32501\nexpect-title \"VelmoraLibrary\"\nclick 1\nexpect-no-dialog\nquit");
    }
    static std::string Choose(const std::string& path) { return "file " + ScriptText(path); }
};

TEST_F(InfoExportTest, TheDialogShowsTheBuildInTheUsersLanguage)
{
    ChooseLanguage("ita");
    auto run = Host(R"(
        menu 5
        expect-title "VelmoraLibrary"
        expect-text 1 "OK"
        expect-text 2 "Annulla"
        expect-text 4 "VelmoraLibrary"
        expect-text 5 "Versione: 19.0.4.2200"
        expect-text 6 "Data: 03/08/2018"
        expect-text 7 "Sistema: Win64"
        expect-text 8 "ArchiCAD 19"
        expect-text 9 ""
        expect-text 10 ""
        expect-text 13 ""
        expect-text 15 "Salva come Testo..."
        close
        expect-no-dialog
        quit)");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string& out = run.output;
    EXPECT_EQ(CountOf(out, "+-- dialog 32501 \"VelmoraLibrary\"  705 x 503  modal"), 1u) << out;
    EXPECT_NE(out.find("|   3 picture   [an office building under a blue sky with the Velmora badge]"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("|  14 picture   [photographs of library objects above the name Libreria Velmora]"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("|   4 text      \"VelmoraLibrary\" (large)"), std::string::npos) << out;
}

TEST_F(InfoExportTest, TheExportLeavesExactlyTheNewBytesOverALongerFile)
{
    const std::string file = userFolder.File("Build information.txt");
    WriteFileBytes(file, std::string(500, 'x') + "\r\nthe end of an older, longer file\r\n");
    auto run = Export(Choose(file));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadFileBytes(file), EnglishExport);
    EXPECT_EQ(CountOf(run.output, "+-- alert"), 0u) << run.output;
}

TEST_F(InfoExportTest, TheSaveDialogComesBackUntilTheNameIsRight)
{
    // The extension in any case; the refused names bring the save dialog back.
    const std::string good = userFolder.File("info.TXT");
    auto run = Export(Choose(userFolder.File("info")) + "\n" + Choose(userFolder.File("info.doc")) + "\n" +
                      Choose(good));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(CountOf(run.output, "+-- file dialog \"Save as Text...\" (save)\n| file name: Untitled\n"), 3u)
        << run.output;
    EXPECT_EQ(CountOf(run.output, "+-- alert \"Error\" (type -1)\n| Incorrect name!\n| [1] OK\n"), 2u)
        << run.output;
    EXPECT_EQ(ReadFileBytes(good), EnglishExport);
    EXPECT_FALSE(FileExists(userFolder.File("info")));
}

TEST_F(InfoExportTest, CancellingWritesNothingAndSaysNothing)
{
    auto run = Export("file-cancel");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("[host] file dialog cancelled"), std::string::npos) << run.output;
    EXPECT_EQ(CountOf(run.output, "+-- alert"), 0u) << run.output;
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(fs::path(userFolder.Native())))
        ++files;
    EXPECT_EQ(files, 1u); // the configuration file of the fixture only
}

TEST_F(InfoExportTest, AFileThatCannotBeWrittenIsReportedAndTheDialogStaysOpen)
{
    fs::create_directory(fs::path(work.File("Info.txt")));
    WriteFileBytes(work.File("Older.txt"), "an older export\r\n");
    fs::permissions(fs::path(work.File("Older.txt")),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
#if defined(_WIN32)
    const std::string systemFolder = "Z:\\sys\\velmora-info.txt";
#else
    const std::string systemFolder = "/sys/velmora-info.txt";
#endif
    struct Row {
        const char* name;
        std::string file;
    };
    const Row rows[] = {
        {"a folder in the file's place", work.File("Info.txt")},
        {"a folder that does not exist", work.File("missing") + "/Info.txt"},
        {"a read-only file", work.File("Older.txt")},
        // Refuses new files to every user, the system's administrator included.
        {"a read-only folder of the system", systemFolder},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto run = Export(Choose(row.file));
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(
            CountOf(run.output,
                    "+-- alert \"Error\" (type -1)\n| Unable to update information in file!\n| [1] OK\n"),
            1u)
            << run.output;
        EXPECT_EQ(CountOf(run.output, "+-- file dialog"), 1u) << run.output;
    }
    EXPECT_TRUE(fs::is_directory(fs::path(work.File("Info.txt"))));
    EXPECT_EQ(ReadFileBytes(work.File("Older.txt")), "an older export\r\n");
    // Nothing written part way is left behind.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(work.Native())))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Info.txt", "Older.txt", "output.txt", "script.vhs"}));
    fs::permissions(fs::path(work.File("Older.txt")), fs::perms::owner_write, fs::perm_options::add);
}

} // namespace
