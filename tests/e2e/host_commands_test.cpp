// The commands of velmora-host: one table from which the interpreter, "help" and
// the README's list come; quoted texts and paths as written; how numbers are read;
// paths named in Cyrillic and Greek, and the quiet start at a terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "Commands.hpp"
#include "HostProgram.hpp"
#include "Numbers.hpp"
#include "Script.hpp"
#include "Utf8Paths.hpp"
#include "e2e_support.hpp"
#include "test_support.hpp"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;
using velmora::host::PathFromUtf8;

using velmora::host::CommandTable;

// The rows of the README's command list: the lines of its velmora-host section
// that start a table row with a command (options start with "-").
std::vector<std::string> ReadmeCommandRows()
{
    const std::string readme = velmora::test::ReadFileBytes(std::string(VELMORA_SOURCE_DIR) + "/README.md");
    const std::size_t begin = readme.find("\n## Using velmora-host");
    const std::size_t end = readme.find("\n## ", begin + 1);
    std::istringstream section(readme.substr(begin, end - begin));
    std::vector<std::string> rows;
    for (std::string line; std::getline(section, line);)
        if (line.rfind("| `", 0) == 0 && line.rfind("| `-", 0) != 0)
            rows.push_back(line);
    return rows;
}

TEST(HostCommands, TheReadmeListsEveryCommandOfTheTableInItsOrder)
{
    std::vector<std::string> expected;
    for (const velmora::host::CommandSpec& entry : CommandTable())
        expected.push_back("| `" + velmora::host::Usage(entry) + "` | " + entry.help + " |");
    EXPECT_EQ(ReadmeCommandRows(), expected);
}

TEST(HostCommands, HelpHasALineForEveryCommand)
{
    const std::string help = velmora::host::CommandHelp();
    std::size_t lines = 0;
    for (const velmora::host::CommandSpec& entry : CommandTable()) {
        EXPECT_NE(help.find("\n  " + velmora::host::Usage(entry) + " "), std::string::npos) << entry.name;
        EXPECT_NE(help.find(entry.help), std::string::npos) << entry.name;
        ++lines;
    }
    EXPECT_EQ(static_cast<std::size_t>(std::count(help.begin(), help.end(), '\n')), lines);
    // Names are unique, and every argument count fits its written form.
    for (const velmora::host::CommandSpec& entry : CommandTable()) {
        EXPECT_EQ(velmora::host::FindCommand(entry.name), &entry) << entry.name;
        EXPECT_LE(entry.leastArguments, entry.mostArguments) << entry.name;
    }
}

TEST(HostCommandLanguage, QuotedTextsStateExactBytesAndPathsAreReadAsWritten)
{
    struct Row {
        const char* what;
        const char* written;
        std::string text; // as "echo" reads it
        std::string path; // as "file" reads it
    };
    const Row rows[] = {
        {"Windows line ends", R"("one\r\ntwo\r\n")", "one\r\ntwo\r\n", R"(one\r\ntwo\r\n)"},
        {"a tab", R"("a\tb")", "a\tb", R"(a\tb)"},
        {"a backslash", R"("C:\\Users")", "C:\\Users", "C:\\Users"},
        {"a backslash before another letter", R"("C:\Users\me")", "C:\\Users\\me", "C:\\Users\\me"},
        {"a Windows path in double quotes", R"("C:\temp\new\info.txt")", "C:\temp\new\\info.txt",
         R"(C:\temp\new\info.txt)"},
        {"a Windows path in single quotes", R"('C:\temp\new\info.txt')", R"(C:\temp\new\info.txt)",
         R"(C:\temp\new\info.txt)"},
        {"a bare Windows path", R"(Z:\tmp\Отчёт\info.txt)", R"(Z:\tmp\Отчёт\info.txt)",
         R"(Z:\tmp\Отчёт\info.txt)"},
        {"quotes in single quotes", R"('say "hi"')", "say \"hi\"", "say \"hi\""},
        {"a quote", R"("say \"hi\"")", "say \"hi\"", "say \"hi\""},
        {"a semicolon", R"("a; b")", "a; b", "a; b"},
        {"a semicolon in single quotes", R"('a; b')", "a; b", "a; b"},
        {"an empty text", R"("")", "", ""},
        {"an empty literal", R"('')", "", ""},
    };
    for (const Row& row : rows) {
        for (const char* name : {"echo", "file"}) {
            std::vector<velmora::host::Command> commands;
            std::string error;
            ASSERT_TRUE(
                velmora::host::ParseCommands(std::string(name) + " " + row.written, 1, &commands, &error))
                << row.what << ": " << error;
            ASSERT_EQ(commands.size(), 1u) << row.what;
            const velmora::host::Command read = velmora::host::WithPathArguments(commands[0]);
            EXPECT_EQ(read.args, std::vector<std::string>{name == std::string("echo") ? row.text : row.path})
                << row.what << " (" << name << ")";
        }
    }
    std::vector<velmora::host::Command> commands;
    std::string error;
    EXPECT_FALSE(velmora::host::ParseCommands("file 'C:\\temp\nquit", 1, &commands, &error));
    EXPECT_EQ(error, "line 1: the quoted text is not closed");
}

TEST(HostCommands, HelpShowsAnExampleOfEachCommandAndAMistypedNameFindsTheNearest)
{
    for (const velmora::host::CommandSpec& entry : CommandTable()) {
        // The example is a command of that name with arguments it takes.
        std::vector<velmora::host::Command> example;
        ASSERT_TRUE(velmora::host::ParseCommands(entry.example, 1, &example, nullptr)) << entry.name;
        ASSERT_EQ(example.size(), 1u) << entry.name;
        EXPECT_EQ(example[0].name, entry.name);
        EXPECT_GE(example[0].args.size(), entry.leastArguments) << entry.name;
        EXPECT_LE(example[0].args.size(), entry.mostArguments) << entry.name;
        EXPECT_NE(velmora::host::CommandHelp(entry).find("for example: " + std::string(entry.example)),
                  std::string::npos);
    }
    struct Row {
        const char* typed;
        const char* nearest;
    };
    const Row rows[] = {
        {"clik", "click"},
        {"qiut", "quit"},
        {"expect-txt", "expect-text"},
        {"wait-dialg", "wait-dialog"},
        {"snapshoot", "snapshot"},
        {"expect-fil", "expect-file"},
        {"calls", "calls"},
        {"xyzzy", ""},
        {"frobnicate", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(velmora::host::NearestCommand(row.typed), row.nearest) << row.typed;
}

TEST(HostCommands, TabCompletesNamesAndTheNumbersACommandTakesFromTheMenuAndTheDialogs)
{
    velmora::host::CompletionContext context;
    context.menuItems = {1, 2, 3, 4, 5};
    context.dialogItems = {1, 2, 3, 14, 15};
    context.dialogResources = {32501, 32755};
    struct Row {
        const char* before;
        const char* word;
        std::vector<std::string> offered;
    };
    const Row rows[] = {
        {"", "expect-f", {"expect-file", "expect-file-contains"}},
        {"", "cl", {"click", "close"}},
        {"show; ", "wait-c", {"wait-closed"}},
        {"help ", "resta", {"restart"}},
        {"click ", "1", {"1", "14", "15"}},
        {"expect-text ", "", {"1", "2", "3", "14", "15"}},
        {"select ", "3", {"3"}},
        {"dialog ", "", {"32501", "32755"}},
        {"wait-closed ", "327", {"32755"}},
        {"menu ", "", {"1", "2", "3", "4", "5"}},
        {"expect-checked ", "4", {"4"}},
        {"expect-rows 3 ", "", {}}, // a count, not an item
        {"click 1 ", "", {}},       // no argument left
        {"bogus ", "", {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(velmora::host::Completions(row.before, row.word, context), row.offered)
            << "\"" << row.before << row.word << "\"";
}

// --- Paths named in Cyrillic and Greek --------------------------------------------

TEST(HostPaths, CyrillicAndGreekPathsWrittenEveryWayReachTheirPlace)
{
#if defined(_WIN32)
    // Set where the system's ANSI code page is to be one that cannot hold these
    // names as UTF-8 (a Russian system, 1251).
    if (const char* acp = std::getenv("VELMORA_EXPECT_ACP")) {
        ASSERT_EQ(std::to_string(GetACP()), acp);
    }
    const std::string otherDrive = "Q:\\temp\\info.txt"; // Wine maps C: and Z: only
#else
    const std::string otherDrive = "C:\\temp\\info.txt";
#endif
    velmora::test::TempFolder work;
    // A path of `work`, named in UTF-8 (as the host's arguments and scripts name them).
    auto in = [&](const std::string& name) {
        return velmora::host::Utf8FromPath(PathFromUtf8(work.Native()) / PathFromUtf8(name));
    };
    const std::string windows = velmora::e2e::WindowsForm(work.Native()); // "Z:\tmp\..." natively
    const std::string export_ = "menu 5\nclick 15\nfile "; // the information dialog's "Save as Text..."
    const std::string close = "\nclick 1\n";
    fs::create_directories(PathFromUtf8(in("Отчёт")));
    fs::create_directories(PathFromUtf8(in("Αναφορά")) / "new");
    struct Row {
        const char* what;
        std::string userFolder; // a folder of `work`, made by the host
        std::string script;
        int status;
        std::string says;
        std::string made; // a file of `work` the run has written ("": none)
    };
    const Row rows[] = {
        {"a Cyrillic folder in single quotes, the user folder new and Cyrillic", "Пользователь",
         export_ + "'" + windows + "\\Отчёт\\info.txt'" + close + "expect-file-contains '" + windows +
             "\\Отчёт\\info.txt' \"Version: \"",
         0, "", "Отчёт/info.txt"},
        {"a Greek folder in double quotes, its backslashes as written", "Χρήστης",
         export_ + "\"" + windows + "\\Αναφορά\\new\\table.txt\"" + close, 0, "", "Αναφορά/new/table.txt"},
        {"a relative Greek name, in the Cyrillic user folder", "Пользователь",
         export_ + "'Σημειώσεις.txt'" + close + "expect-file 'Σημειώσεις.txt'", 0, "",
         "Пользователь/Σημειώσεις.txt"},
        {"a settings file in a new Greek user folder", "Ρυθμίσεις", "menu 4\nrestart\nexpect-unchecked 4", 0,
         "", ""},
        {"a folder that is not there is named", "Пользователь",
         export_ + "'" + windows + "\\Нет\\info.txt'" + close, 0, "there is no folder", ""},
        {"a drive the system lacks", "Пользователь", "file '" + otherDrive + "'", 1,
         "which this system does not have", ""},
        {"a control character", "Пользователь", "file 'a\tb.txt'", 1, "holds a control character", ""},
    };
    int number = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        // The script itself is in a file named in Cyrillic.
        const std::string script = in("сценарий " + std::to_string(++number) + ".vhs");
        std::ofstream(PathFromUtf8(script), std::ios::binary) << row.script << "\nquit\n";
        auto run = velmora::e2e::RunProgram(
            velmora::e2e::HostProgram(),
            std::vector<std::string>{"--user-folder", in(row.userFolder), "--script", script},
            work.File("output " + std::to_string(number) + ".txt"));
        EXPECT_EQ(run.exitCode, row.status) << run.output;
        EXPECT_NE(run.output.find(row.says), std::string::npos) << run.output;
        if (row.says.empty()) { // the add-on found its place: no alert of a failed file
            EXPECT_EQ(run.output.find("+-- alert"), std::string::npos) << run.output;
        }
        EXPECT_TRUE(fs::is_directory(PathFromUtf8(in(row.userFolder)))) << run.output;
        if (!row.made.empty()) {
            EXPECT_TRUE(fs::is_regular_file(PathFromUtf8(in(row.made)))) << run.output;
        }
    }
}

// --- The quiet start at a terminal ----------------------------------------------------

TEST(HostQuietStart, TheSummaryAgreesWithTheFullTranscriptOfTheSameRun)
{
    velmora::test::TempFolder userFolder;
    velmora::host::HostOptions options;
    options.addonPath = velmora::test::AddonFile();
    options.userFolder = userFolder.Native();
    std::istringstream typed("calls\nquit\n");
    std::ostringstream screen;
    ASSERT_EQ(velmora::host::RunHost(options, typed, true, screen), 0) << screen.str();
    const std::string shown = screen.str();
    const std::size_t listing = shown.find("host calls:\n");
    ASSERT_NE(listing, std::string::npos) << shown;
    EXPECT_EQ(shown.rfind("\n[call] ", listing), std::string::npos) << "calls shown before \"calls\":\n"
                                                                    << shown;

    // The calls of the load as "calls" lists them, and as a script's transcript shows them.
    std::vector<std::string> calls;
    std::istringstream lines(shown.substr(listing + 12));
    for (std::string line; std::getline(lines, line) && line.rfind("[call] ", 0) == 0;)
        calls.push_back(line);
    options.commands = "quit";
    options.commandsGiven = true;
    std::istringstream nothing;
    std::ostringstream script;
    ASSERT_EQ(velmora::host::RunHost(options, nothing, false, script), 0) << script.str();
    std::vector<std::string> transcript;
    std::istringstream full(script.str());
    for (std::string line; std::getline(full, line);)
        if (line.rfind("[call] ", 0) == 0)
            transcript.push_back(line);
    EXPECT_EQ(calls, transcript);

    auto count = [&](const std::string& part, bool succeeded) {
        return std::count_if(calls.begin(), calls.end(), [&](const std::string& call) {
            const bool ok = call.size() >= 5 && call.compare(call.size() - 5, 5, " -> 0") == 0;
            return call.find(part) != std::string::npos && ok == succeeded;
        });
    };
    std::smatch found;
    ASSERT_TRUE(std::regex_search(
        shown, found,
        std::regex(
            R"(\[host\] (\d+) host calls, (\d+) refused: (\d+) for menu items of menus that are not registered)")))
        << shown;
    EXPECT_EQ(std::stol(found[1]), static_cast<long>(calls.size()));
    EXPECT_EQ(std::stol(found[2]), count("", false));
    EXPECT_EQ(std::stol(found[3]), count("('", false));
    ASSERT_TRUE(
        std::regex_search(shown, found, std::regex(R"(texts set: (\d+) menu item texts \(menu 32501\))")))
        << shown;
    EXPECT_EQ(std::stol(found[1]), count("'SMIT', token", true));
    EXPECT_EQ(count("ACAPI_Register_Menu(menu=32501", true), 1);
    EXPECT_NE(shown.find("[host] menu \"VelmoraLibrary\" (string list 32501) with 5 items; menu handlers for "
                         "32500-32506"),
              std::string::npos)
        << shown;
    EXPECT_EQ(count("ACAPI_Install_MenuHandler", true), 7);

    // --verbose shows the calls at a terminal as they come.
    options.commandsGiven = false;
    options.verbose = true;
    std::istringstream quit("quit\n");
    std::ostringstream verbose;
    ASSERT_EQ(velmora::host::RunHost(options, quit, true, verbose), 0);
    EXPECT_NE(verbose.str().find("\n" + transcript.front() + "\n"), std::string::npos) << verbose.str();
}

TEST(HostNumbers, NumbersOutsideTheirRangeAreRefusedNotWrapped)
{
    struct Row {
        const char* text;
        long least, most;
        bool accepted;
        long value;
    };
    const Row rows[] = {
        {"4", 1, 2147483647, true, 4},
        {"4294967300", 1, 2147483647, false, 0},
        {"99999999999999999999999", 1, 2147483647, false, 0},
        {"32768", 1, 32767, false, 0},
        {"0", 1, 32767, false, 0},
        {"0", 0, 32767, true, 0},
        {"-1", 1, 65535, false, 0},
        {"-1", -5, 5, true, -1},
        {"12abc", 1, 100, false, 0},
        {"+3", 1, 100, false, 0},
        {" 3", 1, 100, false, 0},
        {"", 0, 100, false, 0},
    };
    for (const Row& row : rows) {
        long value = 0;
        EXPECT_EQ(velmora::host::ParseNumber(row.text, row.least, row.most, &value), row.accepted)
            << row.text;
        if (row.accepted) {
            EXPECT_EQ(value, row.value) << row.text;
        }
    }
    double seconds = 0;
    EXPECT_TRUE(velmora::host::ParseSeconds("1.5", &seconds));
    EXPECT_EQ(seconds, 1.5);
    for (const char* refused : {"-1", "abc", "1e9", "", "nan", "inf", "100000"})
        EXPECT_FALSE(velmora::host::ParseSeconds(refused, &seconds)) << refused;
}

} // namespace
