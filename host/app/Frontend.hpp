// A front end of the session that shows the add-on's menu and dialogs as real
// windows (host/app/window): the session keeps its commands, answers and waits,
// and asks the front end wherever a person's screen takes part. Without one the
// session is the terminal host.
#pragma once

#include <optional>
#include <string>

#include "kit/DialogDriver.hpp"

namespace velmora::host {

class Frontend {
public:
    virtual ~Frontend() = default;

    // Every method runs on the UI thread.

    // Serves the UI thread for up to `seconds`: the window system's events, the
    // add-on's background work. True when something was handled.
    virtual bool Wait(double seconds) = 0;
    // The add-on changed its menu or dialogs: show them as they are now.
    virtual void Update() = 0;
    // A person runs the modal dialog (until it closes or the front end ends); false
    // when the session's own commands run it (a script).
    virtual bool RunModal(Int16 dialId) = 0;
    // A person answers the alert: true with the button (1 to 3); false when nobody
    // is there to answer (a script).
    virtual bool Alert(const kit::AlertRequest& request, Int16* button) = 0;
    // The file dialog: `scripted` is the native path a script chose (empty: cancel;
    // none: a person chooses). Returns the native path chosen, empty for cancel.
    virtual std::string ChooseFile(const kit::FileDialogRequest& request,
                                   const std::optional<std::string>& scripted) = 0;
    // A command acts as a person does, through the front end's own controls; each
    // returns what the kit's call of the same name returns.
    virtual bool ChooseMenuItem(Int32 item, std::string* whyNot) = 0;
    virtual bool Click(Int16 dialId, Int16 item) = 0;
    virtual bool SelectListRow(Int16 dialId, Int16 item, Int16 row) = 0;
    virtual bool CloseDialog(Int16 dialId) = 0;
    // Writes a picture (PNG) of the dialog's window as shown; false with the reason.
    virtual bool Snapshot(Int16 dialId, const std::string& nativePath, std::string* message) = 0;
};

} // namespace velmora::host
