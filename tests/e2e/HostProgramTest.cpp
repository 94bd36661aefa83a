// The built velmora-host program run in script mode, as a user runs it: a host
// that unloads the add-on without FreeData finds the add-on's own report of it.
#include <gtest/gtest.h>

#include <filesystem>

#include "E2eSupport.hpp"
#include "TestSupport.hpp"

namespace {

using HostProgramTest = velmora::e2e::HostTest;

TEST_F(HostProgramTest, WithoutFreeDataTheAddOnLogsItsAbnormalEnd)
{
#if defined(_WIN32)
    const std::string addon = velmora::test::AddonFile();
    const std::string given = addon;
#else
    // From a folder whose name needs two-, three- and four-byte UTF-8 characters.
    const std::string folder = work.File("Velmora \xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\x84");
    std::filesystem::create_directories(folder);
    const std::string addon = folder + "/" VELMORA_ADDON_FILE_NAME;
    std::filesystem::copy_file(velmora::test::AddonFile(), addon);
    // Loaded by a relative path, the add-on still reports where it is.
    const std::string given = std::filesystem::relative(addon).string();
#endif
    auto run = Host("quit", {"--addon", given, "--no-freedata"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("[host] FreeData"), std::string::npos) << run.output;
    const std::string line =
        "[debug] Abnormal add-on termination (\"" + velmora::e2e::WindowsForm(addon) + "\")\n";
    EXPECT_EQ(velmora::e2e::CountOf(run.output, line), 1u) << run.output;
}

} // namespace
