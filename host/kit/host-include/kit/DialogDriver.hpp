// The host side of the dialog manager: what the host program (or a test playing
// the user) sees of open dialogs, how it acts on them, and the host's UI thread.
//
// Threads. The thread that installs the driver is the host's UI thread. Every
// add-on dialog callback runs there, as do the driver's RunModal, OnAlert and
// OnFileDialog: a caller on another thread (an add-on's worker) hands its work to
// the UI thread and waits until it has run. The UI thread runs such work whenever
// it waits (RunUiWork, WaitForUiWork), in particular while it waits for input,
// inside a modal dialog and inside an alert. While the host is shutting down
// (SetHostShuttingDown), work from other threads is dropped without running: its
// alerts answer 1, its file dialogs are cancelled, its dialog calls do nothing, so
// that a worker the host waits for can finish. Without a driver there is no UI
// thread and callbacks run on the calling thread.
#pragma once

#include <string>
#include <vector>

#include "DG.h"
#include "kit/Resources.hpp"

namespace kit {

struct ListRowState {
    std::vector<GS::UniString> tabTexts; // one per tab field
    std::vector<GSResID> tabIcons;       // icon resource per tab field (0: none)
};

struct ItemState {
    Int16 number = 0;
    ItemKind kind = ItemKind::StaticText;
    Int16 left = 0, top = 0, width = 0, height = 0;
    GS::UniString text;
    GSResID imageId = 0;
    bool visible = true;
    bool enabled = true;
    bool largeFont = false;
    // List boxes only.
    std::vector<ListRowState> rows;
    Int16 selectedRow = 0; // 0: none
    Int16 rowHeight = 0;
    std::vector<std::pair<Int16, Int16>> tabFields; // begin and end positions
};

struct DialogState {
    Int16 dialId = 0;
    GSResID resId = 0;
    GSResModule resModule = InvalidResModule;
    bool modal = true;
    bool visible = false;
    GS::UniString title;
    Int16 width = 0, height = 0;
    Int16 focus = DG_NO_ITEM;
    std::vector<ItemState> items;
    // Drawing is disabled or a move-grow block is open: the add-on is part way
    // through a change, which is drawn when it ends.
    bool changesHeld = false;
};

// Modal dialogs announce Opened and Shown before RunModal; modeless dialogs Opened
// after their initialisation and Shown with DGShowModelessDialog. Changed follows
// every change of an announced dialog's state (held back while drawing is disabled
// or a move-grow block is open); Closed follows the close message.
enum class DialogEvent { Opened, Shown, Changed, Closed };

struct AlertRequest {
    Int16 type = 0;
    GS::UniString title, largeText, smallText;
    GS::UniString buttons[3];
};

struct FileDialogRequest {
    DG::FileDialog::Type type = DG::FileDialog::Save;
    GS::UniString title;
    std::vector<UInt32> filters; // file-type identifiers (FTM::GetFileType)
    std::string folder;          // Windows form, may be empty
    std::string fileName;        // Windows form, may be empty
};

// The host's user. The kit borrows the driver while it is installed.
class KIT_API DialogDriver {
public:
    virtual ~DialogDriver();
    // [UI thread] A modal dialog waits for the user. Act with Click/SelectListRow/
    // CloseDialog and keep running the UI thread's work (RunUiWork) while waiting;
    // return when done. When it returns with the dialog still open, the kit closes
    // it as Cancel would (see CloseDialog).
    virtual void RunModal(Int16 dialId) = 0;
    // [any thread] Something happened to a dialog: on the thread that changed it, in
    // the middle of the kit's work, so note it and draw it later. Must not block.
    virtual void OnDialogEvent(Int16 dialId, DialogEvent event);
    // [UI thread] An alert box, also one raised on another thread (which waits):
    // return the button pressed, 1 to 3. The request is borrowed for the call.
    virtual Int16 OnAlert(const AlertRequest& request) = 0;
    // [UI thread] A file dialog: return true and the chosen path (Windows form) and
    // filter (its index in request.filters, from 0), or false. The request is borrowed.
    virtual bool OnFileDialog(const FileDialogRequest& request, std::string* chosenPath, UInt32* filter) = 0;
};

// [any thread, which becomes the UI thread] Installs the driver, borrowed until it
// is replaced (null: there is no UI thread; modal dialogs close at once with
// Cancel, alerts answer 1, file dialogs are cancelled; callers from other threads
// still waiting run their work themselves).
KIT_API void SetDialogDriver(DialogDriver* driver);

// --- The UI thread -------------------------------------------------------------
// [any thread] True on the UI thread (and on every thread while there is none).
KIT_API bool IsUiThread();
// [UI thread] Runs the work other threads have handed to the UI thread, in the
// order given; returns how many pieces ran. Does nothing on another thread.
KIT_API int RunUiWork();
// [UI thread] Waits until work arrives, WakeUiThread is called or `seconds` have
// passed, then runs the work; returns how many pieces ran.
KIT_API int WaitForUiWork(double seconds);
// [any thread] Ends a WaitForUiWork early (new input for the UI thread).
KIT_API void WakeUiThread();
// [any thread] Sets the function that tells the UI thread's own event loop that
// work has arrived or WakeUiThread was called (null: none), for a host whose UI
// thread sleeps in an event loop of its own rather than in WaitForUiWork. The hook
// runs on the thread that handed the work over, with the kit's queue locked: it
// must only wake the loop (which then calls RunUiWork), never call into the kit.
// `context` is passed back untouched and must outlive the hook.
KIT_API void SetUiWakeHook(void (*hook)(void* context), void* context);
// [any thread] How many calls of other threads wait for the UI thread now.
KIT_API int WaitingUiWork();
// [any thread] The host is shutting down (quit, restart): work of other threads
// that waits for the UI thread is dropped, and new work from them is refused,
// until the state is cleared for the next run. Returns how many waiting calls
// were let go.
KIT_API int SetHostShuttingDown(bool shuttingDown);

// --- Dialogs ---------------------------------------------------------------------
// [any thread] The open dialogs, once initialised (DG_MSG_INIT answered), until closed.
KIT_API std::vector<Int16> OpenDialogs();
// [any thread] Copies a dialog's state into `out` (may be null); false when it is not open.
KIT_API bool GetDialogState(Int16 dialId, DialogState* out);

// [any thread] What a user does; the dialog's callback runs on the UI thread. Each
// returns false when the dialog or item does not exist or the item is hidden or
// disabled (or, from another thread, while the host is shutting down).
KIT_API bool Click(Int16 dialId, Int16 item);
KIT_API bool SelectListRow(Int16 dialId, Int16 item, Int16 row); // then DG_MSG_CHANGE
// The window's close box, which acts as the system's Cancel: DG_MSG_CLICK on item 2
// (when the dialog has one, even hidden or disabled), then DG_MSG_CLOSE with the
// item the callback returned, or with item 2 when it returned 0.
KIT_API bool CloseDialog(Int16 dialId);

// [any thread] The host's own dialogs, from a template rather than an add-on's
// resources (their resource module is InvalidResModule): DGModalDialog and
// DGModelessInit otherwise. The template is copied; userData is passed back to
// the callback untouched, which runs on the UI thread.
KIT_API short ModalDialogFromTemplate(const DialogTemplate& dialogTemplate, GSResModule iconResModule,
                                      DGDialCallBack callback, DGUserData userData);
KIT_API short ModelessDialogFromTemplate(const DialogTemplate& dialogTemplate, GSResModule iconResModule,
                                         DGDialCallBack callback, DGUserData userData);

} // namespace kit
