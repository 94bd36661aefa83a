// The commands of velmora-host: one table from which the interpreter, "help" and
// the README's list come; the escapes of quoted texts; how numbers are read.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "Commands.hpp"
#include "Numbers.hpp"
#include "Script.hpp"
#include "test_support.hpp"

namespace {

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

TEST(HostCommandLanguage, QuotedTextsStateExactBytes)
{
    struct Row {
        const char* what;
        const char* written;
        std::string text;
    };
    const Row rows[] = {
        {"Windows line ends", R"("one\r\ntwo\r\n")", "one\r\ntwo\r\n"},
        {"a tab", R"("a\tb")", "a\tb"},
        {"a backslash", R"("C:\\Users")", "C:\\Users"},
        {"a backslash before another letter", R"("C:\Users\me")", "C:\\Users\\me"},
        {"a quote", R"("say \"hi\"")", "say \"hi\""},
        {"a semicolon", R"("a; b")", "a; b"},
        {"an empty text", R"("")", ""},
    };
    for (const Row& row : rows) {
        std::vector<velmora::host::Command> commands;
        std::string error;
        ASSERT_TRUE(velmora::host::ParseCommands(std::string("echo ") + row.written, 1, &commands, &error))
            << row.what << ": " << error;
        ASSERT_EQ(commands.size(), 1u) << row.what;
        EXPECT_EQ(commands[0].args, std::vector<std::string>{row.text}) << row.what;
    }
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
