// The update check as a person meets it: velmora-host runs the built add-on from a
// script, against the loopback update server of the tests (tests/fixtures/
// update_server.py, which runs this program and names itself in
// VELMORA_UPDATE_SERVER; each request picks the server's answer by the first segment
// of its path). What the add-on hands to the browser is observed where it arrives:
// the host puts a recording xdg-open first on PATH (--shell-record). The same cases
// run natively and under Wine.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>

#include "E2eSupport.hpp"
#include "TestSupport.hpp"
#include "velmora/pathform.hpp"

namespace {

using velmora::e2e::HostProgram;
using velmora::e2e::RunProgram;
using velmora::test::Environment;
using velmora::test::ReadFileBytes;
using velmora::test::TempFolder;
using velmora::test::WriteFileBytes;

constexpr long Day = 86400;
const std::string English = "$Language_str: int\r\n";

// The loopback server in one of its modes.
std::string Server(const std::string& mode)
{
    return Environment("VELMORA_UPDATE_SERVER") + "/" + mode;
}

// A loopback address where connections are refused: no server.
std::string NoServer()
{
    std::string refused = Environment("VELMORA_REFUSED_URL");
    const std::string path = "/update_plugins/versions16.txt";
    if (refused.size() > path.size())
        refused.erase(refused.size() - path.size());
    return refused;
}

std::string Now(long offset)
{
    return std::to_string(static_cast<long>(std::time(nullptr)) + offset);
}

class UpdateCheckTest : public velmora::e2e::HostTest {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(Environment("VELMORA_UPDATE_SERVER").empty())
            << "run under tests/fixtures/update_server.py --run";
        ChooseLanguage("int");
    }

    velmora::e2e::ProgramRun Host(const std::string& server, const std::string& script)
    {
        return HostTest::Host(script, {"--update-server", server, "--shell-record", ShellRecordFile()});
    }
    // Under Wine the browser hand-off reaches the recording xdg-open with the POSIX
    // environment Wine was started with: the test's runner puts the recorder on that
    // PATH and names its file there, and the host is given the same file.
    std::string ShellRecordFile() const
    {
#if defined(_WIN32)
        const std::string record = Environment("VELMORA_SHELL_RECORD");
        if (!record.empty() && record[0] == '/')
            return velmora::pathform::ToWindows(record);
#endif
        return work.File("shell.txt");
    }
    // The stored time of the last check, 0 when there is none.
    long LastCheck() const
    {
        const std::string config = Config();
        const std::string key = "$LastUpdateCheck_190: ";
        const auto at = config.find(key);
        return at == std::string::npos ? 0 : std::atol(config.c_str() + at + key.size());
    }
};

TEST_F(UpdateCheckTest, ANewerBuildIsReportedAndItsPagesGoToTheBrowser)
{
    struct Case {
        const char* language;
        const char* status;
        const char* addOnLine;
        const char* libraryLine;
        const char* lang;
        const char* newUser; // a new user's folder of this name (UTF-8), else the configured one
    } cases[] = {
        {"int", "An update is available on the Tessaro web site.",
         "VelmoraLibrary plug-in: update available!", "Your Velmora Library is up-to-date!", "1", nullptr},
        {"ita", "È disponibile un aggiornamento sul sito web di Tessaro.",
         "Plug-in VelmoraLibrary: aggiornamento disponibile!", "La tua Libreria Velmora è aggiornata!", "0",
         nullptr},
        // A user name the ANSI code page (1252) cannot write: the list file goes there all the same.
        {"int", "An update is available on the Tessaro web site.",
         "VelmoraLibrary plug-in: update available!", "Your Velmora Library is up-to-date!", "1", "Ωμέγα"},
    };
    for (const Case& c : cases) {
        otherUserFolder.clear();
        if (c.newUser != nullptr) {
            const std::string name = c.newUser;
            const std::filesystem::path folder =
                std::filesystem::path(userFolder.Native()) / std::u8string(name.begin(), name.end());
            std::filesystem::create_directories(folder);
            const std::u8string utf8 = folder.u8string();
            otherUserFolder.assign(utf8.begin(), utf8.end());
        } else {
            ChooseLanguage(c.language);
        }
        const std::string server = Server("newer");
        const std::string page =
            server + "/update_plugins/updates.htm?acver=19&lang=" + c.lang + "&addon=VelmoraLibrary";
        const std::string waitForResult = std::string("wait-text 4 \"") + c.addOnLine + "\" 20\n";
        auto run = Host(server, "menu 3\n" + waitForResult +
                                    "expect-title \"VelmoraLibrary\"\n"
                                    "expect-text 3 \"" +
                                    c.status +
                                    "\"\n"
                                    "expect-text 6 \"" +
                                    c.libraryLine +
                                    "\"\n"
                                    "expect-enabled 5\n"
                                    "expect-visible 7\n"
                                    "expect-visible 1\n"
                                    "click 5\n"
                                    "expect-no-dialog 32755\n"
                                    "expect-shell \"" +
                                    page +
                                    "\"\n"
                                    // The library's button adds its own key; the news button the home page.
                                    "menu 3\n" +
                                    waitForResult +
                                    "click 7\n"
                                    "expect-shell \"" +
                                    page +
                                    "&lib=Unknown\"\n"
                                    "menu 3\n" +
                                    waitForResult +
                                    "click 1\n"
                                    "expect-shell \"" VELMORA_HOME_PAGE "/\"\n"
                                    "expect-alerts 0\n"
                                    "expect-call \"ACAPI_UnregisterModelessWindow\"\n"
                                    "quit");
        EXPECT_EQ(run.exitCode, 0) << c.language << " " << otherUserFolder << "\n" << run.output;
    }
}

TEST_F(UpdateCheckTest, AnUpToDateListIsReportedWithTheDownloadDisabled)
{
    auto run = Host(Server("up-to-date"), R"(
        menu 3
        wait-text 4 "Your VelmoraLibrary plug-in is up-to-date!" 20
        expect-text 3 "No update available at present."
        expect-disabled 5
        expect-text 6 "Your Velmora Library is up-to-date!"
        expect-text 7 "Download Library..."
        expect-text 2 "Cancel"
        expect-text 1 "Check for Tessaro News..."
        show
        close
        expect-no-dialog 32755
        expect-alerts 0
        quit)");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(LastCheck(), 0) << "a manual check stores its time too";
}

TEST_F(UpdateCheckTest, AManualCheckShowsItsWindowAtOnceAndCancelIsSilent)
{
    // The server answers after 2 s: Cancel comes before the first data, and the
    // check must not come back with a window or an alert when the data arrives.
    auto run = Host(Server("slow-start"), R"(
        menu 3
        expect-dialog 32755
        expect-text 3 "Checking for updates…"
        expect-hidden 4
        expect-hidden 5
        expect-hidden 7
        expect-text 2 "Cancel"
        show
        click 2
        expect-no-dialog 32755
        wait 4
        expect-no-dialog 32755
        expect-alerts 0
        quit)");
    EXPECT_EQ(run.exitCode, 0) << run.output;
}

TEST_F(UpdateCheckTest, CancelThenCheckAgainAtOnceReportsNormally)
{
    // Cancel comes between two progress reports of a list trickled in over 3 s,
    // before the first data of a server that answers after 2 s, and while a server
    // sends nothing at all (it answers the next request at once). Each time the new
    // check starts at once and reports normally, untouched by the late reports of
    // the cancelled one; a Cancel ends even the silent transfer at once.
    struct Case {
        const char* name;
        std::string server;
        int seconds; // for the new outcome
        // What the new check shows first: a recovered server may answer before the
        // script looks, so only a slow one is sure to show the check running.
        const char* first;
    } cases[] = {
        {"between progress reports", Server("slow-newer"), 30, "expect-text 3 \"Checking for updates…\"\n"},
        {"before the first data", Server("slow-start"), 30, "expect-text 3 \"Checking for updates…\"\n"},
        {"while the server is silent", Server("stall-once/" + std::to_string(std::time(nullptr))), 3, ""},
    };
    for (const Case& c : cases) {
        auto run = Host(c.server, "menu 3\n"
                                  "wait 1\n"
                                  "click 2\n"
                                  "expect-no-dialog 32755\n"
                                  "menu 3\n" +
                                      std::string(c.first) +
                                      "wait-text 4 \"VelmoraLibrary plug-in: update available!\" " +
                                      std::to_string(c.seconds) +
                                      "\n"
                                      "expect-enabled 5\n"
                                      "expect-alerts 0\n"
                                      "quit");
        EXPECT_EQ(run.exitCode, 0) << c.name << "\n" << run.output;
    }
}

TEST_F(UpdateCheckTest, TwoHostsSharingTheUserFolderEachGetTheirOwnOutcome)
{
    // The slow server's transfer runs from before the quick one's start until after
    // its end: with one list file for both, one would read the other's list or none.
    struct Side {
        std::string server, outcome;
        TempFolder files;
        velmora::e2e::ProgramRun run;
    } sides[2];
    sides[0].server = Server("slow-start");
    sides[0].outcome = "VelmoraLibrary plug-in: update available!";
    sides[1].server = Server("up-to-date");
    sides[1].outcome = "Your VelmoraLibrary plug-in is up-to-date!";
    std::thread hosts[2];
    for (int i = 0; i < 2; ++i) {
        Side& side = sides[i];
        WriteFileBytes(side.files.File("script.vhs"), std::string(i == 1 ? "wait 1\n" : "") +
                                                          "menu 3\nwait-text 4 \"" + side.outcome +
                                                          "\" 20\nexpect-alerts 0\nquit");
        hosts[i] = std::thread([this, &side] {
            side.run = RunProgram(HostProgram(),
                                  {"--user-folder", userFolder.Native(), "--update-server", side.server,
                                   "--script", side.files.File("script.vhs")},
                                  side.files.File("output.txt"));
        });
    }
    for (std::thread& host : hosts)
        host.join();
    for (const Side& side : sides)
        EXPECT_EQ(side.run.exitCode, 0) << side.server << "\n" << side.run.output;
    for (const auto& entry : std::filesystem::directory_iterator(userFolder.Native()))
        EXPECT_EQ(entry.path().filename().string().find("__updts__"), std::string::npos)
            << entry.path() << " is left behind";
}

#if !defined(_WIN32)
TEST_F(UpdateCheckTest, ALinkPlantedAtTheListFileIsNeverFollowed)
{
    WriteFileBytes(work.File("precious.txt"), "the user's own file\n");
    std::filesystem::create_symlink(work.File("precious.txt"), userFolder.File("__updts__.tmp"));
    auto run = Host(Server("newer"), R"(
        menu 3
        wait-text 4 "VelmoraLibrary plug-in: update available!" 20
        expect-alerts 0
        quit)");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadFileBytes(work.File("precious.txt")), "the user's own file\n");
    EXPECT_TRUE(std::filesystem::is_symlink(userFolder.File("__updts__.tmp")));
}
#endif

TEST_F(UpdateCheckTest, ASecondCheckWhileTheWindowIsOpenIsRefused)
{
    auto run = Host(Server("newer"), R"(
        menu 3
        wait-text 4 "VelmoraLibrary plug-in: update available!" 20
        menu 3
        expect-text 4 "VelmoraLibrary plug-in: update available!"
        expect-visible 5
        wait 1
        expect-alerts 0
        click 2
        expect-no-dialog 32755
        quit)");
    EXPECT_EQ(run.exitCode, 0) << run.output;
}

TEST_F(UpdateCheckTest, EveryAnswerThatIsNoListIsOneAlertAndTheWindowCloses)
{
    // A status of 200 makes no list: a network's sign-in page, an empty body, lines
    // that are no version lines, a body compressed unasked (urlmon asks for
    // compressed bodies and decodes them, so only natively).
    struct Case {
        const char* name;
        std::string server;
        bool withoutCurl = false; // natively: a libcurl.so.4 that is no libcurl comes first
    } cases[] = {
        {"no server", NoServer()},
        {"sign-in page", Server("sign-in")},
        {"empty body", Server("empty")},
        {"blank and invalid lines", Server("blank-invalid")},
#if !defined(_WIN32)
        {"gzip never asked for", Server("gzip")},
        {"no usable libcurl", Server("newer"), true},
#endif
    };
    for (const Case& c : cases) {
        ChooseLanguage("int");
#if !defined(_WIN32)
        if (c.withoutCurl) {
            // Any loadable file without curl's functions: the tests' worker probe.
            std::filesystem::copy_file(velmora::test::BinDir() + "/velmora_worker_probe.so",
                                       work.File("libcurl.so.4"),
                                       std::filesystem::copy_options::overwrite_existing);
            ::setenv("LD_LIBRARY_PATH", work.Native().c_str(), 1);
        }
#endif
        auto run = Host(c.server, R"(
            menu 3
            wait-alert 20
            expect-alert "Unable to get an internet connection."
            expect-no-dialog 32755
            wait 1
            expect-alerts 1
            quit)");
#if !defined(_WIN32)
        ::unsetenv("LD_LIBRARY_PATH");
#endif
        EXPECT_EQ(run.exitCode, 0) << c.name << "\n" << run.output;
        EXPECT_NE(LastCheck(), 0) << c.name << ": a check that fails later still postpones the next one";
    }
}

TEST_F(UpdateCheckTest, AnAutomaticCheckRunsAfter14DaysAndStaysSilentWhenNothingIsNew)
{
    struct Case {
        const char* name;
        std::string config; // before the run
        std::string mode;
        bool window; // the result window appears
    } cases[] = {
        {"14 days after the last check",
         "$AutoUpdate: 1\r\n$LastUpdateCheck_190: " + Now(-14 * Day - 60) + "\r\n", "newer", true},
        {"up to date stays silent", "$AutoUpdate: 1\r\n", "up-to-date", false},
    };
    for (const Case& c : cases) {
        WriteConfig(c.config + English);
        // The first command (the language dialog, cancelled) is followed by the automatic check.
        const std::string expectWindow =
            c.window
                ? "wait-dialog 32755 20\nexpect-text 3 \"An update is available on the Tessaro web site.\"\n"
                  "expect-enabled 5\n"
                : "wait 3\nexpect-no-dialog 32755\n";
        auto run = Host(Server(c.mode), "menu 2\nclick 2\n" + expectWindow + "expect-alerts 0\nquit");
        EXPECT_EQ(run.exitCode, 0) << c.name << "\n" << run.output;
        EXPECT_GE(LastCheck(), std::time(nullptr) - 600) << c.name << ": the time of the check is stored";
    }
}

TEST_F(UpdateCheckTest, AFirstCommandOfANewUserTurnsTheCheckOnAndChecksNothing)
{
    std::filesystem::remove(userFolder.File("VelmoraLibrary_190.cfg"));
    auto run = Host(Server("newer"), R"(
        menu 2
        click 2
        wait 2
        expect-no-dialog 32755
        expect-checked 4
        restart
        menu 2
        click 2
        wait-dialog 32755 20
        expect-text 4 "VelmoraLibrary plug-in: update available!"
        quit)");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(Config().find("$AutoUpdate: 1\r\n"), std::string::npos) << Config();
}

TEST_F(UpdateCheckTest, AManualCheckAsTheFirstCommandIsNotFollowedByAnAutomaticOne)
{
    WriteConfig("$AutoUpdate: 1\r\n" + English);
    auto run = Host(Server("newer"), R"(
        menu 3
        wait-text 4 "VelmoraLibrary plug-in: update available!" 20
        click 2
        menu 2
        click 2
        wait 2
        expect-no-dialog 32755
        quit)");
    EXPECT_EQ(run.exitCode, 0) << run.output;
}

TEST_F(UpdateCheckTest, QuittingOrRestartingWhileTheServerStallsNeitherCrashesNorHangs)
{
    for (const char* end : {"quit", "restart\nexpect-no-dialog 32755\nquit"}) {
        const auto start = std::chrono::steady_clock::now();
        auto run = Host(Server("stall"), std::string("menu 3\nexpect-dialog 32755\nwait 1\n") + end);
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
                .count();
        EXPECT_EQ(run.exitCode, 0) << end << "\n" << run.output;
        EXPECT_LT(seconds, 15) << end << ": the transfer is aborted and its worker waited for";
    }
}

} // namespace
