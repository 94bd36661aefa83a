// The built velmora-host program run in script mode, as a user runs it: it loads
// the built add-on beside it, runs the protocol and the script, and reports it all
// on standard output.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e_support.hpp"
#include "test_support.hpp"

namespace {

using velmora::e2e::HostProgram;
using velmora::e2e::RunProgram;

class HostProgramTest : public ::testing::Test {
protected:
    velmora::e2e::ProgramRun Run(const std::vector<std::string>& extra)
    {
        std::vector<std::string> arguments{"--user-folder", userFolder.Native()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return RunProgram(HostProgram(), arguments, work.File("output.txt"));
    }

    static bool Contains(const std::string& text, const std::string& part)
    {
        return text.find(part) != std::string::npos;
    }

    velmora::test::TempFolder userFolder;
    velmora::test::TempFolder work;
};

TEST_F(HostProgramTest, AScriptDrivesTheMenuAndTheTranscriptShowsEverything)
{
    auto run = Run({"-c", "show; expect-menu-title \"VelmoraLibrary\"; expect-menu 2 \"Language\"; menu 99; "
                          "expect-call \"ACAPI_KeepInMemory\"; quit"});
    const std::string& out = run.output;
    EXPECT_EQ(run.exitCode, 0) << out;
    EXPECT_TRUE(Contains(out, "[host] user folder (special location 14): " + userFolder.Native())) << out;
    EXPECT_TRUE(Contains(
        out, "[host] GetExportedFuncAddrs: version 0x00130001, interface 19000, entry points 4 of 4, "
             "other bytes zero"))
        << out;
    EXPECT_TRUE(Contains(out, "[host] CheckEnvironment -> kind 2, name \"VelmoraLibrary 19.0 (DA190)\", "
                              "description \"VelmoraLibrary\""))
        << out;
    EXPECT_TRUE(Contains(out, "[call] ACAPI_Register_Menu(menu=32501, prompt=0, position=13, flags=0) -> 0"))
        << out;
    EXPECT_TRUE(Contains(out, "[call] ACAPI_Install_MenuHandler(token=")) << out;
    EXPECT_TRUE(Contains(out, "menu bar: [VelmoraLibrary]  (menu 32501)")) << out;
    EXPECT_TRUE(Contains(out, "  3 [ ] Check for Updates\n")) << out;
    EXPECT_TRUE(Contains(out, "> menu 99")) << out;
    EXPECT_TRUE(Contains(out, "[host] menu command: menu 32501 item 99 (not an item of the menu)")) << out;
    EXPECT_TRUE(Contains(out, ", keep=true) -> 0")) << out;
    EXPECT_TRUE(Contains(out, "[host] FreeData -> 0")) << out;
    EXPECT_TRUE(Contains(out, "[host] unloaded")) << out;
    EXPECT_FALSE(Contains(out, "Abnormal add-on termination")) << out;
    // Steps in the host's order.
    std::size_t check = out.find("CheckEnvironment ->");
    std::size_t registered = out.find("RegisterInterface ->");
    std::size_t initialized = out.find("Initialize ->");
    std::size_t freed = out.find("FreeData ->");
    EXPECT_LT(check, registered);
    EXPECT_LT(registered, initialized);
    EXPECT_LT(initialized, freed);
}

TEST_F(HostProgramTest, WithoutFreeDataTheAddOnLogsItsAbnormalEnd)
{
#if defined(_WIN32)
    const std::string addon = velmora::test::AddonFile();
#else
    // From a folder whose name needs two- and three-byte UTF-8 characters.
    const std::string folder = work.File("Velmora \xC3\xA9t\xC3\xA9 \xE2\x82\xAC");
    std::filesystem::create_directories(folder);
    const std::string addon = folder + "/" VELMORA_ADDON_FILE_NAME;
    std::filesystem::copy_file(velmora::test::AddonFile(), addon);
#endif
    auto run = Run({"--addon", addon, "--no-freedata", "-c", "quit"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_FALSE(Contains(run.output, "[host] FreeData")) << run.output;
    const std::string line =
        "[debug] Abnormal add-on termination (\"" + velmora::e2e::WindowsForm(addon) + "\")\n";
    std::size_t at = run.output.find(line);
    EXPECT_NE(at, std::string::npos) << run.output;
    EXPECT_EQ(run.output.find(line, at + 1), std::string::npos) << run.output;
}

TEST_F(HostProgramTest, AnAddOnThatCannotBeLoadedEndsTheHost)
{
    auto run = Run({"--addon", work.File("missing.apx"), "-c", "quit"});
    EXPECT_EQ(run.exitCode, 3) << run.output;
    EXPECT_TRUE(Contains(run.output, "[host] cannot load the add-on")) << run.output;
}

TEST_F(HostProgramTest, BadInputIsRefusedWithAReasonAndAStatus)
{
    struct Row {
        const char* what;
        std::vector<std::string> arguments;
        int status;
        std::string says;
    };
    const Row rows[] = {
        {"a script that is missing", {"--script", work.File("none.vhs")}, 2, "cannot read the script"},
        {"a code page the system lacks", {"--codepage", "12345", "-c", "quit"}, 2, "does not support"},
        {"the window and the terminal at once", {"--window", "--terminal"}, 2, "exclude each other"},
        // Natively the host says there is no desktop; a build without GTK that it has no window.
        {"the window without a desktop", {"--window", "-c", "quit"}, 2, "--window: "},
        {"expect-file of a folder", {"-c", "expect-file " + userFolder.Native()}, 1, "is not a file"},
        {"an unknown option", {"--bogus"}, 2, "unknown option --bogus"},
        {"an option without its value", {"--addon"}, 2, "--addon needs a value"},
    };
#if !defined(_WIN32)
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
#endif
    for (const Row& row : rows) {
        auto run = Run(row.arguments);
        EXPECT_EQ(run.exitCode, row.status) << row.what << "\n" << run.output;
        EXPECT_TRUE(Contains(run.output, row.says)) << row.what << "\n" << run.output;
    }
}

TEST_F(HostProgramTest, ASupportedCodePageIsHandedToTheAddOn)
{
    // Mac OS Roman, and the ANSI code page of every Windows system of the add-on's users.
    const char* const pages[] = {"10000", "874",  "932",  "936",  "949",  "950",  "1250", "1251",
                                 "1252",  "1253", "1254", "1255", "1256", "1257", "1258"};
    for (const char* page : pages) {
        auto run = Run({"--codepage", page, "-c", "quit"});
        EXPECT_EQ(run.exitCode, 0) << page << "\n" << run.output;
    }
}

} // namespace
