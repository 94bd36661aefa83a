// The add-on file loaded from a folder that holds nothing else, as a host's add-on
// folder does: on Windows it must find every library it imports without the
// compiler's runtime beside it.
#include <gtest/gtest.h>

#include <filesystem>

#include "E2eSupport.hpp"
#include "TestSupport.hpp"

namespace {

using AddonFolderTest = velmora::e2e::HostTest;

TEST_F(AddonFolderTest, AddOnAloneInItsFolderLoadsRunsAndUnloads)
{
    namespace fs = std::filesystem;
    velmora::test::TempFolder addonFolder;
    const std::string addon = addonFolder.File(VELMORA_ADDON_FILE_NAME);
    fs::copy_file(velmora::test::AddonFile(), addon);
    ASSERT_EQ(std::distance(fs::directory_iterator(addonFolder.Native()), fs::directory_iterator{}), 1);

    // A language change written to the configuration file, read back after a
    // restart: the add-on's code and the host's libraries both at work.
    const auto run = Host("menu 2\nselect 3 1\nclick 1\nrestart\nexpect-menu 2 \"Lingua\"\n"
                          "expect-menu-title \"VelmoraLibrary\"\nquit",
                          {"--addon", addon});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("[host] CheckEnvironment -> kind 2"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("[host] FreeData -> 0"), std::string::npos) << run.output;
    EXPECT_NE(Config().find("$Language_str: ita\r\n"), std::string::npos) << run.output;
}

} // namespace
