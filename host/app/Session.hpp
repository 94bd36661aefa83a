// A session of velmora-host: the person at the terminal or the script plays the
// user. The session runs on the host's UI thread: it reads commands (Script.hpp,
// the table in Commands.hpp), acts on the add-on's menu and dialogs, answers the
// add-on's dialogs, alerts and file dialogs as the kit's dialog driver
// (DialogDriver.cpp), draws what happens (Drawing.cpp), and serves the add-on's
// background work while it waits.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "AddonHost.hpp"
#include "DialogPictures.hpp"
#include "Frontend.hpp"
#include "Script.hpp"
#include "ShellRecord.hpp"
#include "Transcript.hpp"
#include "kit/DialogDriver.hpp"

namespace velmora::host {

enum class Outcome { Done, Failed, Quit };

class Session : public kit::DialogDriver {
public:
    // [UI thread] Installs itself as the kit's dialog driver until destroyed, which
    // makes the calling thread the host's UI thread. Borrows `host`, `transcript`
    // and `source`. `userFolder` is the native path of special location 14 (relative
    // paths of commands start there); `shellRecord` the file of the shell recorder
    // (empty: none), which the session empties; `pictures` takes a picture of every
    // dialog the session draws.
    Session(AddonHost& host, Transcript& transcript, CommandSource& source, std::string userFolder,
            std::string shellRecord = std::string(), DialogPictures pictures = DialogPictures());
    ~Session() override;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // [UI thread] Runs commands until the input ends, "quit", or (in a script) a
    // failure. Returns 0, or 1 when a command failed in a script.
    int Run();
    bool Failed() const { return failed; }
    // [UI thread] Shows the menu and dialogs in `frontend` (borrowed; null: the
    // terminal only) from now on.
    void SetFrontend(Frontend* shown) { frontend = shown; }
    // [UI thread] Runs the background work that waits for the UI thread and shows
    // what changed, without waiting (a front end's event loop calls it when woken).
    void Pump();

    // The kit's dialog driver (DialogDriver.cpp); see kit/DialogDriver.hpp.
    void RunModal(Int16 dialId) override;
    void OnDialogEvent(Int16 dialId, kit::DialogEvent event) override;
    Int16 OnAlert(const kit::AlertRequest& request) override;
    bool OnFileDialog(const kit::FileDialogRequest& request, std::string* chosenPath,
                      UInt32* filter) override;

private:
    friend struct CommandHandlers; // Commands.cpp

    // Running (Session.cpp).
    bool Step();
    Outcome Execute(const Command& command);
    Outcome Fail(const Command& command, const std::string& message);
    void Echo(const Command& command);
    std::string Prompt();
    bool Serve(double seconds);
    bool WaitUntil(double seconds, const std::function<bool()>& condition);
    bool TakeAnswer(const char* name, Command* answer);
    Int16 CurrentDialog();
    bool FindDialogByResource(Int16 resId, bool visibleOnly, Int16* dialId);
    // The native path a command's PATH names: relative paths are in the user folder;
    // natively a path in the add-on's Windows form ("Z:\\tmp\\a.txt") too.
    std::string NativePath(const std::string& path) const;
    // What a command does as a person, through the front end when there is one.
    bool ChooseMenuItem(Int32 item, std::string* whyNot);
    bool Press(Int16 dialId, Int16 item);
    bool PressRow(Int16 dialId, Int16 item, Int16 row);
    bool PressClose(Int16 dialId);
    bool Picture(const kit::DialogState& dialog, const std::string& nativePath, std::string* message);
    // Why `path` names no place a file could be (empty when it can name one).
    std::string PathProblem(const std::string& path) const;
    CompletionContext Completable();

    // Drawing (Drawing.cpp).
    bool DrawPendingEvents();
    bool ShowNewShellLines();
    void ShowMenuBar();
    void ShowDialog(Int16 dialId);
    void Draw(const kit::DialogState& dialog);

    AddonHost& host;
    Transcript& transcript;
    CommandSource& source;
    std::string userFolder;
    ShellRecord shell;
    DialogPictures pictures;
    Frontend* frontend = nullptr;

    // The UI thread's own.
    std::vector<Int16> modalStack;
    Int16 chosenDialog = 0;
    bool stopping = false;
    bool failed = false;
    bool inputEnded = false;
    std::optional<Int16> presetAnswer;
    std::optional<std::string> presetFile; // empty string: cancel
    std::string lastAlert;
    int alerts = 0;     // alerts raised in this session
    int alertsSeen = 0; // alerts seen by the last alert command

    std::mutex lock; // guards the events, which the kit reports from any thread
    std::deque<std::pair<Int16, kit::DialogEvent>> events;
};

} // namespace velmora::host
