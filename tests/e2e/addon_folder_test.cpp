// The add-on file loaded from a folder that holds nothing else, as a host's add-on
// folder does: on Windows it must find every library it imports without the
// compiler's runtime beside it.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e_support.hpp"
#include "test_support.hpp"

namespace {

TEST(AddonFolder, AddOnAloneInItsFolderLoadsRunsAndUnloads)
{
    namespace fs = std::filesystem;
    velmora::test::TempFolder addonFolder;
    velmora::test::TempFolder userFolder;
    velmora::test::TempFolder work;
    const std::string addon = addonFolder.File(VELMORA_ADDON_FILE_NAME);
    fs::copy_file(velmora::test::AddonFile(), addon);
    ASSERT_EQ(std::distance(fs::directory_iterator(addonFolder.Native()), fs::directory_iterator{}), 1);

    // A language change written to the configuration file, read back after a
    // restart: the add-on's code and the host's libraries both at work.
    const auto run = velmora::e2e::RunProgram(velmora::e2e::HostProgram(),
                                              {"--addon", addon, "--user-folder", userFolder.Native(), "-c",
                                               "menu 2; select 3 1; click 1; restart; expect-menu 2 "
                                               "\"Lingua\"; expect-menu-title \"VelmoraLibrary\"; "
                                               "quit"},
                                              work.File("output.txt"));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("[host] CheckEnvironment -> kind 2"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("[host] FreeData -> 0"), std::string::npos) << run.output;
    EXPECT_TRUE(velmora::test::FileExists(userFolder.File("VelmoraPlugins.cfg")) ||
                velmora::test::FileExists(userFolder.File("VelmoraLibrary_190.cfg")))
        << run.output;
}

} // namespace
