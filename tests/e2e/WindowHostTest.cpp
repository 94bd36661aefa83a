// velmora-host --window on a display of its own (xvfb-run): the scripts of the
// terminal's end-to-end cases drive the real widgets, and real input through the X
// server (xdotool) reaches the add-on's callbacks. Natively only, and only where
// the host was built with its window and xvfb-run is installed (CI installs both).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "E2eSupport.hpp"
#include "HostProgram.hpp"
#include "TestSupport.hpp"

namespace {

using velmora::e2e::HostProgram;
using velmora::e2e::ProgramRun;
using velmora::e2e::RunProgram;
using velmora::test::Environment;
using velmora::test::WriteFileBytes;

// The program's full path when it is on PATH; empty otherwise.
std::string OnPath(const std::string& program)
{
    std::istringstream folders(Environment("PATH"));
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string path = folder + "/" + program;
        if (std::ifstream(path).good())
            return path;
    }
    return "";
}

// Where an item of a dialog resource of the add-on's sources stands: its centre,
// in the dialog's client coordinates.
bool ItemCentre(const std::string& dialogId, int item, int* x, int* y)
{
    std::ifstream file(velmora::test::SourceDir() + "/addon/resources/dialogs/" + dialogId + ".txt");
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        int number = 0, left = 0, top = 0, width = 0, height = 0;
        std::string kind;
        if (fields >> number >> kind >> left >> top >> width >> height && number == item) {
            *x = left + width / 2;
            *y = top + height / 2;
            return true;
        }
    }
    return false;
}

class WindowHostTest : public velmora::e2e::HostTest {
protected:
    void SetUp() override
    {
#if defined(_WIN32)
        GTEST_SKIP() << "the Windows build keeps its terminal host";
#else
        if (!velmora::host::WindowFrontEndBuilt())
            GTEST_SKIP() << "velmora-host was built without GTK 4";
        xvfbRun = OnPath("xvfb-run");
        if (xvfbRun.empty())
            GTEST_SKIP() << "xvfb-run is not installed (scripts/setup.sh installs it)";
        // Xvfb has no graphics card: GTK draws with cairo at once instead of trying GL.
        setenv("GSK_RENDERER", "cairo", 1);
        // No desktop session: GTK's settings (the file chooser's) stay in memory.
        setenv("GSETTINGS_BACKEND", "memory", 1);
#endif
#if defined(__SANITIZE_THREAD__)
        GTEST_SKIP() << "GTK and GLib are not built for the thread sanitizer, which cannot see their locks";
#endif
#if defined(__SANITIZE_ADDRESS__)
        // What GTK and fontconfig keep until the end of the process is theirs.
        setenv("ASAN_OPTIONS", (Environment("ASAN_OPTIONS") + ":detect_leaks=0").c_str(), 1);
#endif
        ASSERT_FALSE(Environment("VELMORA_UPDATE_SERVER").empty())
            << "run under tests/fixtures/update_server.py --run";
        ChooseLanguage("int");
    }

    // `program` with `arguments` on a display of its own. The program is ended well
    // before the test's own limit, so that xvfb-run is there to end its display.
    ProgramRun OnDisplay(const std::string& program, std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(),
                         {"-a", "-s", "-screen 0 1280x1024x24", "timeout", "-k", "5", "90", program});
        return RunProgram(xvfbRun, arguments, work.File("output.txt"));
    }

    std::string xvfbRun;
};

// The terminal's scripts in window mode: each command acts through the widgets.
TEST_F(WindowHostTest, ScriptsDriveTheDialogsWindows)
{
    const std::string server = Environment("VELMORA_UPDATE_SERVER") + "/newer";
    // The user manual, which the build places beside the add-on file.
    const std::string host = HostProgram();
    const std::string manual = host.substr(0, host.find_last_of('/')) + "/01 - Libreria Velmora.pdf";
    struct Row {
        const char* name;
        std::string script;
        const char* config; // the configuration afterwards begins with it
    };
    const Row rows[] = {
        {"the language dialog: Italian with OK changes the menu bar; Cancel previews and restores",
         R"(menu 2
            expect-title "VelmoraLibrary"
            expect-rows 3 2
            select 3 1
            expect-text 2 "Annulla"
            snapshot language.png
            expect-file language.png
            click 1
            expect-no-dialog
            expect-menu 2 "Lingua"
            menu 2
            select 3 2
            expect-text 2 "Cancel"
            close
            expect-no-dialog
            expect-menu 2 "Lingua"
            quit)",
         "$AutoUpdate: 0\r\n$Language_str: ita\r\n"},
        {"About: the document buttons reach the shell, OK closes",
         R"(menu 1
            expect-title "Libreria Velmora..."
            click 6
            expect-dialog 32500
            expect-shell ")" +
             manual + R"("
            click 1
            expect-no-dialog
            quit)",
         "$AutoUpdate: 0\r\n$Language_str: int\r\n"},
        {"the information dialog saves its text through the file chooser",
         R"(menu 5
            click 15
            file "Build information.txt"
            expect-dialog 32501
            click 1
            expect-no-dialog
            expect-file-contains "Build information.txt" "Version: 19.0.4.2200"
            quit)",
         "$AutoUpdate: 0\r\n$Language_str: int\r\n"},
        {"the update check: checking, the result, then the update page reaches the shell",
         R"(menu 3
            wait-text 4 "VelmoraLibrary plug-in: update available!" 20
            expect-title "VelmoraLibrary"
            expect-enabled 5
            click 5
            expect-no-dialog 32755
            expect-shell ")" +
             server + R"(/update_plugins/updates.htm?acver=19&lang=1&addon=VelmoraLibrary"
            quit)",
         "$AutoUpdate: 0\r\n$Language_str: int\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ChooseLanguage("int");
        WriteFileBytes(work.File("script.vhs"), row.script);
        auto run = OnDisplay(HostProgram(),
                             {"--window", "--user-folder", userFolder.Native(), "--update-server", server,
                              "--shell-record", work.File("shell.txt"), "--script", work.File("script.vhs")});
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(Config().rfind(row.config, 0), 0u) << Config();
    }
}

// A person's click and key, sent through the X server, reach the add-on: OK of the
// language dialog stores the language; Escape closes About.
TEST_F(WindowHostTest, RealInputReachesTheAddOn)
{
    const std::string xdotool = OnPath("xdotool");
    if (xdotool.empty())
        GTEST_SKIP() << "xdotool is not installed (scripts/setup.sh installs it)";
    int okX = 0, okY = 0;
    ASSERT_TRUE(ItemCentre("32734", 1, &okX, &okY));
    // The host waits for each dialog to close by itself; the input comes from outside.
    WriteFileBytes(work.File("script.vhs"), R"(menu 2
        select 3 1
        wait-closed 32734 30
        expect-menu 2 "Lingua"
        menu 1
        wait-closed 32500 30
        quit)");
    // The shell's arguments: the host, the user folder, the script, xdotool, OK's place.
    const char* input = R"(set -e
        xdo=$4
        "$1" --window --user-folder "$2" --script "$3" & host=$!
        find() { timeout 20 "$xdo" search --sync --onlyvisible --name "^$1$" | head -n 1; }
        language=$(find VelmoraLibrary)
        sleep 0.5
        "$xdo" mousemove --window "$language" "$5" "$6" click 1
        about=$(find 'Libreria Velmora...')
        sleep 0.5
        "$xdo" windowfocus "$about"
        sleep 0.3
        "$xdo" key Escape
        wait $host)";
    auto run =
        OnDisplay("/bin/sh", {"-c", input, "sh", HostProgram(), userFolder.Native(), work.File("script.vhs"),
                              xdotool, std::to_string(okX), std::to_string(okY)});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(Config(), "$AutoUpdate: 0\r\n$Language_str: ita\r\n");
}

} // namespace
