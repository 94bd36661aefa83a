// The host's pictures of dialogs as a script meets them: where the build has the
// renderer, "snapshot" and --pictures write PNG files; where it has none (the
// Windows build), both say so and the run fails.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogPictures.hpp"
#include "e2e_support.hpp"
#include "test_support.hpp"

namespace {

using velmora::e2e::HostProgram;
using velmora::e2e::RunProgram;
using velmora::test::FileExists;

TEST(SnapshotCommand, WritesPicturesOrSaysWhyNot)
{
    const bool available = velmora::host::DialogPicturesAvailable();
    velmora::test::TempFolder user, pictures, work;
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        int exitCode;           // where pictures are available
        int exitCodeWithout;    // where they are not
        std::string file;       // written where available
        std::string transcript; // contains, where available / where not
        std::string transcriptWithout;
    };
    const Case cases[] = {
        {"snapshot of the open language dialog",
         {"-c", "menu 2; snapshot lang.png"},
         0,
         1,
         user.File("lang.png"),
         "[host] picture of dialog 32734 (485 x 314) written to " + user.File("lang.png"),
         "snapshot lang.png: pictures of dialogs are not available in this build"},
        {"snapshot without a dialog",
         {"-c", "snapshot none.png"},
         1,
         1,
         "",
         "snapshot none.png: no dialog is open",
         "snapshot none.png: no dialog is open"},
        {"a picture of every drawn dialog",
         {"--pictures", pictures.Native(), "-c", "menu 2; select 3 1; click 2"},
         0,
         2,
         pictures.File("002-32734.png"),
         "> click 2",
         "--pictures: pictures of dialogs are not available in this build"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"--user-folder", user.Native()};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        auto run = RunProgram(HostProgram(), arguments, work.File("output.txt"));
        EXPECT_EQ(run.exitCode, available ? c.exitCode : c.exitCodeWithout) << c.what << "\n" << run.output;
        const std::string& expected = available ? c.transcript : c.transcriptWithout;
        EXPECT_NE(run.output.find(expected), std::string::npos)
            << c.what << ": no \"" << expected << "\" in\n"
            << run.output;
        if (!c.file.empty()) {
            EXPECT_EQ(FileExists(c.file), available) << c.what << ": " << c.file;
        }
    }
    // One picture per drawing: the opening and the change; none after the dialog closed.
    if (available) {
        EXPECT_TRUE(FileExists(pictures.File("001-32734.png")));
        EXPECT_FALSE(FileExists(pictures.File("003-32734.png")));
    }
}

} // namespace
