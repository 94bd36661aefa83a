// A session of velmora-host: the person at the terminal or the script plays the
// user. The session runs on the host's UI thread: it reads commands (Script.hpp,
// the table in Commands.hpp) and lends their handlers its CommandContext
// (Session.cpp), answers the add-on's dialogs, alerts and file dialogs as the
// kit's dialog driver (SessionAnswers.cpp), draws what happens
// (SessionDrawing.cpp), and serves the add-on's background work while it waits.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "AddonHost.hpp"
#include "CommandContext.hpp"
#include "DialogPictures.hpp"
#include "Frontend.hpp"
#include "Script.hpp"
#include "ShellRecord.hpp"
#include "Transcript.hpp"
#include "kit/DialogDriver.hpp"

namespace velmora::host {

class Session : public kit::DialogDriver, public CommandContext {
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

    // The kit's dialog driver (SessionAnswers.cpp); see kit/DialogDriver.hpp.
    void RunModal(Int16 dialId) override;
    void OnDialogEvent(Int16 dialId, kit::DialogEvent event) override;
    Int16 OnAlert(const kit::AlertRequest& request) override;
    bool OnFileDialog(const kit::FileDialogRequest& request, std::string* chosenPath,
                      UInt32* filter) override;

    // What the commands may do (CommandContext.hpp).
    Outcome Fail(const Command& command, const std::string& message) override;
    void Say(const std::string& line) override;
    AddonHost& Host() override { return host; }
    bool ModalDialogOpen() const override { return !modalStack.empty(); }
    bool ChooseMenuItem(Int32 item, std::string* whyNot) override;
    bool StoppedOnFailure() const override { return stopping && failed; }
    void ShowMenuBar() override;
    void ShowDialog(Int16 dialId) override;
    Int16 CurrentDialog() override;
    void ChooseDialog(Int16 dialId) override;
    bool FindDialogByResource(Int16 resId, DialogsSeen seen, Int16* dialId) override;
    bool Press(Int16 dialId, Int16 item) override;
    bool PressRow(Int16 dialId, Int16 item, Int16 row) override;
    bool PressClose(Int16 dialId) override;
    bool Picture(const kit::DialogState& dialog, const std::string& nativePath,
                 std::string* message) override;
    void PresetAlertAnswer(Int16 button) override { presetAnswer = button; }
    void PresetFileAnswer(const std::string& path) override { presetFile = path; }
    int AlertsRaised() const override { return alerts; }
    int UnseenAlerts() const override { return alerts - alertsSeen; }
    void MarkAlertsSeen() override { alertsSeen = alerts; }
    std::string LastAlert() const override { return lastAlert; }
    bool WaitUntil(double seconds, const std::function<bool()>& condition) override;
    std::string NativePath(const std::string& path) const override;
    std::string PathProblem(const std::string& path) const override;
    bool ShellRecorded() const override { return shell.Active(); }
    bool ShellReceived(const std::string& text, std::vector<std::string>* received) override
    {
        return shell.Find(text, received);
    }

private:
    // Running (Session.cpp).
    bool Step();
    Outcome Execute(const Command& command);
    void Echo(const Command& command);
    std::string Prompt();
    bool Serve(double seconds);
    bool TakeAnswer(const char* name, Command* answer);
    CompletionContext Completable();

    // Drawing (SessionDrawing.cpp).
    bool DrawPendingEvents();
    bool ShowNewShellLines();
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
