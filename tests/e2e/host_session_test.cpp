// The host's session: its command language, its model of the add-on's menu, and
// the session playing the user of a dialog that the add-on's resources describe.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <thread>

#include "AddonHost.hpp"
#include "DG.h"
#include "FTM.hpp"
#include "HostProgram.hpp"
#include "IO.hpp"
#include "MenuModel.hpp"
#include "Panel.hpp"
#include "Script.hpp"
#include "Session.hpp"
#include "ShellRecord.hpp"
#include "TerminalSource.hpp"
#include "kit/DialogDriver.hpp"
#include "kit/Host.hpp"
#include "test_support.hpp"

namespace {

using velmora::host::Command;
using velmora::host::ParseCommands;

std::vector<Command> Parse(const std::string& text)
{
    std::vector<Command> commands;
    std::string error;
    EXPECT_TRUE(ParseCommands(text, 1, &commands, &error)) << error;
    return commands;
}

// --- The session playing the user -------------------------------------------------

// The resources the dialogs of these tests come from: the add-on's, as the host
// opened them.
GSResModule dialogModule = InvalidResModule;

// A dialog callback in the add-on's manner: fills a list with two image rows at
// initialisation and closes on items 1 and 2.
short ListDialogCallback(short message, short dialId, short item, DGUserData, DGMessageData)
{
    if (message == DG_MSG_INIT) {
        DGListSetTabFieldCount(dialId, 3, 1);
        DGListSetTabFieldData(dialId, 3, 1, 5, 285);
        for (short i = 0; i < 2; ++i) {
            DGListInsertItem(dialId, 3, DG_LIST_BOTTOM);
            DGListSetTabItemIcon(dialId, 3, static_cast<short>(i + 1), 1,
                                 DG::Icon(dialogModule, static_cast<GSResID>(32758 + i)));
        }
        DGListSelectItem(dialId, 3, 2);
        return 0;
    }
    if (message == DG_MSG_CLICK && (item == 1 || item == 2))
        return item;
    if (message == DG_MSG_CLOSE)
        return item;
    return 0;
}

class HostSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        kit::SetSpecialFolder(IO::FileSystem::UserPreferences, userFolder.Native());
        ASSERT_TRUE(host.Load(velmora::test::AddonFile())) << transcript.Text();
        dialogModule = host.AddonResModule();
    }
    void TearDown() override
    {
        host.Unload(velmora::host::FreeDataCall::Call);
        dialogModule = InvalidResModule;
        kit::SetSpecialFolder(IO::FileSystem::UserPreferences, "");
    }

    bool Shows(const std::string& part) const { return transcript.Text().find(part) != std::string::npos; }

    velmora::test::TempFolder userFolder;
    std::ostringstream output;
    velmora::host::Transcript transcript{output};
    velmora::host::AddonHost host{transcript};
};

TEST_F(HostSessionTest, AModalDialogIsDrawnAndDrivenByTheScript)
{
    velmora::host::ScriptSource script(Parse("expect-title \"VelmoraLibrary\"\n"
                                             "expect-text 2 \"Cancel\"\n"
                                             "expect-rows 3 2\n"
                                             "expect-selected 3 2\n"
                                             "expect-row 3 1 \"Italiano\"\n"
                                             "select 3 1\n"
                                             "expect-selected 3 1\n"
                                             "click 2\n"
                                             "echo \"after the dialog\""));
    velmora::host::Session session(host, transcript, script, userFolder.Native());
    EXPECT_EQ(DGModalDialog(dialogModule, 32734, dialogModule, &ListDialogCallback, 0), 2);
    EXPECT_FALSE(session.Failed()) << transcript.Text();
    EXPECT_TRUE(Shows("+-- dialog 32734 \"VelmoraLibrary\"  483 x 282  modal")) << transcript.Text();
    EXPECT_TRUE(Shows("|   1 button    \"OK\"")) << transcript.Text();
    EXPECT_TRUE(Shows("|   3 list      2 rows, row 2 selected")) << transcript.Text();
    EXPECT_TRUE(Shows("|     > 2  [flag of the United Kingdom, International English]")) << transcript.Text();
    EXPECT_TRUE(Shows("|     > 1  [flag of Italy, Italiano]")) << transcript.Text();
    EXPECT_TRUE(Shows("|   4 icon      [globe of flags with a speaking figure]")) << transcript.Text();
    EXPECT_TRUE(Shows("> click 2")) << transcript.Text();
    // The rest of the script is the session's again.
    EXPECT_EQ(session.Run(), 0);
    EXPECT_TRUE(Shows("after the dialog")) << transcript.Text();
}

// --- Background work ----------------------------------------------------------------

// An add-on's worker thread: runs `work` at once; joined when the test ends, after
// the host has let go of it as at its shutdown (when the test did not answer it).
class Worker {
public:
    explicit Worker(std::function<void()> work) : thread(std::move(work)) {}
    ~Worker() { Finish(); }
    void Finish()
    {
        if (!thread.joinable())
            return;
        kit::SetHostShuttingDown(true);
        thread.join();
        kit::SetHostShuttingDown(false);
    }

private:
    std::thread thread;
};

TEST_F(HostSessionTest, AWaitForATextSeesTheWorkersWholeChange)
{
    // The worker sets the awaited text first and the rest of its change later, inside
    // one move-grow block: the wait ends once the block has ended, not at the text.
    velmora::host::ScriptSource script(Parse("wait-dialog 32734 20\n"
                                             "wait-text 1 \"Done\" 20\n"
                                             "expect-text 2 \"Close\"\n"
                                             "expect-hidden 3\n"
                                             "click 1\n"
                                             "wait-closed 32734 20"));
    velmora::host::Session session(host, transcript, script, userFolder.Native());
    Worker worker([&] {
        const short dialId =
            DGModelessInit(dialogModule, 32734, dialogModule, &ListDialogCallback, 0, DG_DLG_NOGROW);
        DGShowModelessDialog(dialId, 0);
        DGBeginMoveGrowItems(dialId);
        DGSetItemText(dialId, 1, "Done");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        DGSetItemText(dialId, 2, "Close");
        DGHideItem(dialId, 3);
        DGEndMoveGrowItems(dialId);
    });
    EXPECT_EQ(session.Run(), 0) << transcript.Text();
    worker.Finish();
}

TEST_F(HostSessionTest, QuittingLetsGoOfAWorkerWaitingForTheUiThread)
{
    velmora::host::ScriptSource script(Parse("quit"));
    velmora::host::Session session(host, transcript, script, userFolder.Native());
    std::atomic<short> pressed{0};
    std::atomic<short> opened{-1};
    std::thread worker([&] {
        pressed = DGAlert(DG_ERROR, "", "Download failed.", "", "Retry", "Cancel", "");
        opened = DGModelessInit(dialogModule, 32734, dialogModule, &ListDialogCallback, 0, DG_DLG_NOGROW);
    });
    ASSERT_TRUE(velmora::test::WaitFor([] { return kit::WaitingUiWork() > 0; }));
    EXPECT_EQ(session.Run(), 0);
    // As at the end of velmora-host: the host unloads the add-on, whose FreeData
    // would wait for this worker.
    host.Unload(velmora::host::FreeDataCall::Call);
    worker.join();
    EXPECT_EQ(pressed, 1);
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(Shows("+-- alert")) << transcript.Text();
    EXPECT_TRUE(Shows("[host] letting go of 1 call(s) of background work\n")) << transcript.Text();
    EXPECT_TRUE(Shows("[host] FreeData -> 0")) << transcript.Text();
    EXPECT_TRUE(kit::OpenDialogs().empty());
    ASSERT_TRUE(host.Load(velmora::test::AddonFile())); // for TearDown
}

TEST_F(HostSessionTest, TheShellRecorderIsTheShellAndExpectShellReadsIt)
{
#if defined(_WIN32)
    GTEST_SKIP() << "the recorder is a POSIX shell script; under Wine it is reached through Wine's browser";
#else
    const std::string record = userFolder.File("shell.txt");
    velmora::test::WriteFileBytes(record, "from an earlier run\n");
    velmora::host::ScriptSource script(Parse("expect-shell \"https://example.test/a b?c=1&d=2\"\n"
                                             "expect-shell \"second\""));
    velmora::host::Session session(host, transcript, script, userFolder.Native(), record);
    EXPECT_EQ(velmora::test::ReadFileBytes(record), "");
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    ASSERT_TRUE(velmora::host::UseShellRecorder(record));
    // As the add-on's hand-off does: xdg-open found on PATH, given one argument.
    const int status = std::system("xdg-open 'https://example.test/a b?c=1&d=2' && xdg-open second");
    setenv("PATH", path.c_str(), 1);
    unsetenv("VELMORA_SHELL_RECORD");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(velmora::test::ReadFileBytes(record), "https://example.test/a b?c=1&d=2\nsecond\n");
    EXPECT_EQ(session.Run(), 0) << transcript.Text();
#endif
}

// --- The host's two modes -----------------------------------------------------------

class HostModesTest : public ::testing::Test {
protected:
    velmora::host::HostOptions Options() const
    {
        velmora::host::HostOptions options;
        options.addonPath = velmora::test::AddonFile();
        options.userFolder = userFolder.Native();
        return options;
    }
    static bool Contains(const std::string& text, const std::string& part)
    {
        return text.find(part) != std::string::npos;
    }

    velmora::test::TempFolder userFolder;
};

TEST_F(HostModesTest, StandardInputThatIsNoTerminalIsAScript)
{
    std::istringstream script(
        "expect-menu-title \"VelmoraLibrary\"\nexpect-menu 9 \"none\"\necho \"not reached\"\n");
    std::ostringstream output;
    EXPECT_EQ(velmora::host::RunHost(Options(), script, false, output), 1);
    const std::string text = output.str();
    EXPECT_TRUE(Contains(text, "> expect-menu-title \"VelmoraLibrary\"")) << text;
    EXPECT_TRUE(Contains(text, "[fail] line 2: expect-menu 9 \"none\": the menu has no item 9")) << text;
    EXPECT_FALSE(Contains(text, "not reached")) << text;
}

} // namespace
