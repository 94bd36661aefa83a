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
#include <utility>
#include <vector>

#include "E2eSupport.hpp"
#include "TestSupport.hpp"
#include "velmora/PathForm.hpp"

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

// `text` with every key of `values` replaced by its value.
std::string Filled(std::string text, const std::vector<std::pair<std::string, std::string>>& values)
{
    for (const auto& [key, value] : values)
        for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
            text.replace(at, key.size(), value);
    return text;
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
    // The configured user, then a new one whose name the ANSI code page (1252) cannot
    // write: the list file goes there all the same.
    for (const std::string newUser : {"", "Ωμέγα"}) {
        if (!newUser.empty()) {
            const std::filesystem::path folder =
                std::filesystem::path(userFolder.Native()) / std::u8string(newUser.begin(), newUser.end());
            std::filesystem::create_directories(folder);
            const std::u8string utf8 = folder.u8string();
            otherUserFolder.assign(utf8.begin(), utf8.end());
        }
        const std::string server = Server("newer");
        // The library's button adds its own key to the update page; the news button
        // opens the home page.
        auto run = Host(
            server,
            Filled(R"(
            menu 3
            wait-text 4 "VelmoraLibrary plug-in: update available!" 20
            expect-title "VelmoraLibrary"
            expect-text 3 "An update is available on the Tessaro web site."
            expect-text 6 "Your Velmora Library is up-to-date!"
            expect-enabled 5
            expect-visible 7
            expect-visible 1
            click 5
            expect-no-dialog 32755
            expect-shell "{page}"
            menu 3
            wait-text 4 "VelmoraLibrary plug-in: update available!" 20
            click 7
            expect-shell "{page}&lib=Unknown"
            menu 3
            wait-text 4 "VelmoraLibrary plug-in: update available!" 20
            click 1
            expect-shell "{home}/"
            expect-alerts 0
            expect-call "ACAPI_UnregisterModelessWindow"
            quit)",
                   {{"{page}", server + "/update_plugins/updates.htm?acver=19&lang=1&addon=VelmoraLibrary"},
                    {"{home}", VELMORA_HOME_PAGE}}));
        EXPECT_EQ(run.exitCode, 0) << otherUserFolder << "\n" << run.output;
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
        close
        expect-no-dialog 32755
        expect-alerts 0
        quit)");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(LastCheck(), 0) << "a manual check stores its time too";
}

TEST_F(UpdateCheckTest, ACancelledCheckNeverComesBack)
{
    // The server answers after 2 s: Cancel comes before the first data, and nothing of
    // the cancelled check (window or alert) may show when the data arrives.
    auto run = Host(Server("slow-start"), R"(
        menu 3
        expect-dialog 32755
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
        {"between progress reports", Server("slow-newer"), 30, "expect-text 3 \"Checking for updates…\""},
        {"before the first data", Server("slow-start"), 30, "expect-text 3 \"Checking for updates…\""},
        {"while the server is silent", Server("stall-once/" + std::to_string(std::time(nullptr))), 3, ""},
    };
    for (const Case& c : cases) {
        // The window shows the check running at once, with only Cancel to press.
        auto run = Host(c.server, Filled(R"(
            menu 3
            expect-dialog 32755
            expect-text 3 "Checking for updates…"
            expect-hidden 4
            expect-hidden 5
            expect-hidden 7
            expect-text 2 "Cancel"
            wait 1
            click 2
            expect-no-dialog 32755
            menu 3
            {first}
            wait-text 4 "VelmoraLibrary plug-in: update available!" {seconds}
            expect-enabled 5
            expect-alerts 0
            quit)",
                                         {{"{first}", c.first}, {"{seconds}", std::to_string(c.seconds)}}));
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
    } sides[2] = {{Server("slow-start"), "VelmoraLibrary plug-in: update available!", {}, {}},
                  {Server("up-to-date"), "Your VelmoraLibrary plug-in is up-to-date!", {}, {}}};
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

TEST_F(UpdateCheckTest, EveryAnswerThatIsNoListIsOneAlertAndTheWindowCloses)
{
    // A status of 200 makes no list: an empty body (a sign-in page and lines that are
    // no version lines end the same way, rows of the downloader's table), a body
    // compressed unasked (urlmon asks for compressed bodies and decodes them, so only
    // natively).
    struct Case {
        const char* name;
        std::string server;
        bool withoutCurl = false; // natively: a libcurl.so.4 that is no libcurl comes first
    } cases[] = {
        {"no server", NoServer()},
        {"empty body", Server("empty")},
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
    const std::string lastCheck = std::to_string(std::time(nullptr) - 14 * Day - 60);
    struct Case {
        const char* name;
        std::string config; // before the run, beside the check switched on
        const char* mode;
        const char* then; // after the first command
    } cases[] = {
        {"14 days after the last check", "$LastUpdateCheck_190: " + lastCheck + "\r\n", "newer",
         "wait-dialog 32755 20\nexpect-text 3 \"An update is available on the Tessaro web "
         "site.\"\nexpect-enabled 5"},
        {"up to date stays silent", "", "up-to-date", "wait 3\nexpect-no-dialog 32755"},
    };
    for (const Case& c : cases) {
        WriteConfig("$AutoUpdate: 1\r\n" + c.config + English);
        // The first command (the language dialog, cancelled) is followed by the automatic check.
        auto run =
            Host(Server(c.mode), "menu 2\nclick 2\n" + std::string(c.then) + "\nexpect-alerts 0\nquit");
        EXPECT_EQ(run.exitCode, 0) << c.name << "\n" << run.output;
        EXPECT_GE(LastCheck(), std::time(nullptr) - 600) << c.name << ": the time of the check is stored";
    }
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
