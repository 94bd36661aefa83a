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

    // The menu, a command that is no item of it, and a language change written to the
    // configuration file and read back after a restart: the add-on's code and the
    // host's libraries both at work, up to the unload.
    const auto run = Host("show\nexpect-menu-title \"VelmoraLibrary\"\nexpect-menu 2 \"Language\"\nmenu 99\n"
                          "expect-call \"ACAPI_KeepInMemory\"\nmenu 2\nselect 3 1\nclick 1\nrestart\n"
                          "expect-menu 2 \"Lingua\"\nquit",
                          {"--addon", addon});
    const std::string& out = run.output;
    EXPECT_EQ(run.exitCode, 0) << out;
    for (const char* line :
         {"menu bar: [VelmoraLibrary]  (menu 32501)", "  3 [ ] Check for Updates\n",
          "[host] menu command: menu 32501 item 99 (not an item of the menu)", ", keep=true) -> 0",
          "[host] CheckEnvironment -> kind 2", "[host] FreeData -> 0"})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
    EXPECT_EQ(out.find("Abnormal add-on termination"), std::string::npos) << out;
    EXPECT_NE(Config().find("$Language_str: ita\r\n"), std::string::npos) << out;
}

} // namespace
