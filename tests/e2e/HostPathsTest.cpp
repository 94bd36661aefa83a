// Paths named in Cyrillic and Greek, written every way a user may write them, as the
// host hands them to the add-on: its per-user folder, the text export's file and the
// script itself, on any ANSI code page.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "E2eSupport.hpp"
#include "TestSupport.hpp"
#include "Utf8Paths.hpp"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;
using velmora::host::PathFromUtf8;

TEST(HostPaths, CyrillicAndGreekPathsWrittenEveryWayReachTheirPlace)
{
#if defined(_WIN32)
    // Set where the system's ANSI code page is to be one that cannot hold these
    // names as UTF-8 (a Russian system, 1251).
    if (const char* acp = std::getenv("VELMORA_EXPECT_ACP")) {
        ASSERT_EQ(std::to_string(GetACP()), acp);
    }
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
        std::string says;
        std::string made; // a file of `work` the run has written ("": none)
    };
    const Row rows[] = {
        {"a Cyrillic folder in single quotes, the user folder new and Cyrillic", "Пользователь",
         export_ + "'" + windows + "\\Отчёт\\info.txt'" + close + "expect-file-contains '" + windows +
             "\\Отчёт\\info.txt' \"Version: \"",
         "", "Отчёт/info.txt"},
        {"a Greek folder in double quotes, its backslashes as written", "Χρήστης",
         export_ + "\"" + windows + "\\Αναφορά\\new\\table.txt\"" + close, "", "Αναφορά/new/table.txt"},
        {"a relative Greek name, in the Cyrillic user folder", "Пользователь",
         export_ + "'Σημειώσεις.txt'" + close + "expect-file 'Σημειώσεις.txt'", "",
         "Пользователь/Σημειώσεις.txt"},
        {"a settings file in a new Greek user folder", "Ρυθμίσεις", "menu 4\nrestart\nexpect-unchecked 4", "",
         ""},
        {"a folder that is not there is named", "Пользователь",
         export_ + "'" + windows + "\\Нет\\info.txt'" + close, "there is no folder", ""},
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
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_NE(run.output.find(row.says), std::string::npos) << run.output;
        if (row.says.empty()) { // the add-on found its place: no alert of a failed file
            EXPECT_EQ(run.output.find("+-- alert"), std::string::npos) << run.output;
        }
        if (!row.made.empty()) {
            EXPECT_TRUE(fs::is_regular_file(PathFromUtf8(in(row.made)))) << run.output;
        }
    }
}

} // namespace
