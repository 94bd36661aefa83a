// The built velmora-host program run in script mode, as a user runs it: it loads
// the built add-on beside it, runs the protocol and the script, and reports it all
// on standard output.
#include <gtest/gtest.h>

#include <filesystem>

#include "E2eSupport.hpp"
#include "TestSupport.hpp"

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
    EXPECT_TRUE(Contains(out, "menu bar: [VelmoraLibrary]  (menu 32501)")) << out;
    EXPECT_TRUE(Contains(out, "  3 [ ] Check for Updates\n")) << out;
    EXPECT_TRUE(Contains(out, "[host] menu command: menu 32501 item 99 (not an item of the menu)")) << out;
    EXPECT_TRUE(Contains(out, ", keep=true) -> 0")) << out;
    EXPECT_TRUE(Contains(out, "[host] FreeData -> 0")) << out;
    EXPECT_FALSE(Contains(out, "Abnormal add-on termination")) << out;
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

} // namespace
