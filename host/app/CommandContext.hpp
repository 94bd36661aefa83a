// What a command's handler may do with the session that runs it: the narrow view of
// Session that the command families (DialogCommands.cpp, WaitCommands.cpp, ...)
// work through. Every method runs on the UI thread, as the session does.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "AddonHost.hpp"
#include "Script.hpp"
#include "kit/DialogDriver.hpp"

namespace velmora::host {

enum class Outcome { Done, Failed, Quit };

// Which open dialogs a look-up by resource sees.
enum class DialogsSeen { OpenOrHidden, VisibleOnly };

class CommandContext {
public:
    virtual ~CommandContext() = default;

    // Reports `message` for `command` (as an error at a terminal, with the script's
    // line in a script) and returns Outcome::Failed.
    virtual Outcome Fail(const Command& command, const std::string& message) = 0;
    // Writes a line to the transcript.
    virtual void Say(const std::string& line) = 0;
    // The host that runs the add-on (borrowed for the session's life).
    virtual AddonHost& Host() = 0;

    // --- The menu and the dialogs, as a person uses them -------------------------
    virtual bool ModalDialogOpen() const = 0;
    // Chooses a menu item as a person does and draws what came of it; false with the
    // reason when there is nothing to choose.
    virtual bool ChooseMenuItem(Int32 item, std::string* whyNot) = 0;
    // The session stopped on a failure while a command ran (a script's modal dialog).
    virtual bool StoppedOnFailure() const = 0;
    virtual void ShowMenuBar() = 0;
    virtual void ShowDialog(Int16 dialId) = 0;
    // The dialog the commands act on (0: none): the innermost modal one, the one
    // chosen with "dialog", else the last visible one.
    virtual Int16 CurrentDialog() = 0;
    // Makes `dialId` the current dialog.
    virtual void ChooseDialog(Int16 dialId) = 0;
    // The newest open dialog of resource `resId`.
    virtual bool FindDialogByResource(Int16 resId, DialogsSeen seen, Int16* dialId) = 0;
    virtual bool Press(Int16 dialId, Int16 item) = 0;
    virtual bool PressRow(Int16 dialId, Int16 item, Int16 row) = 0;
    virtual bool PressClose(Int16 dialId) = 0;
    // Writes a picture of the dialog as shown; false with the reason.
    virtual bool Picture(const kit::DialogState& dialog, const std::string& nativePath,
                         std::string* message) = 0;

    // --- Answers to the add-on's next questions -----------------------------------
    virtual void PresetAlertAnswer(Int16 button) = 0;
    // The path chosen in the next file dialog (empty: cancel).
    virtual void PresetFileAnswer(const std::string& path) = 0;

    // --- Alerts as the session counted them -----------------------------------------
    virtual int AlertsRaised() const = 0;
    // Alerts that came since an alert command last looked.
    virtual int UnseenAlerts() const = 0;
    virtual void MarkAlertsSeen() = 0;
    // Title, large and small text of the last alert ("" when none came).
    virtual std::string LastAlert() const = 0;

    // --- Waiting, paths, the shell --------------------------------------------------
    // Serves the UI thread until `condition` holds or `seconds` have passed; true
    // when it holds.
    virtual bool WaitUntil(double seconds, const std::function<bool()>& condition) = 0;
    // The native path a command's PATH names (relative paths are in the user folder).
    virtual std::string NativePath(const std::string& path) const = 0;
    // Why `path` names no place a file could be (empty when it can name one).
    virtual std::string PathProblem(const std::string& path) const = 0;
    // False when the host was started without a shell recorder.
    virtual bool ShellRecorded() const = 0;
    // True when the shell received `text` after what the last search found; fills
    // `received` with what it did receive.
    virtual bool ShellReceived(const std::string& text, std::vector<std::string>* received) = 0;
};

} // namespace velmora::host
