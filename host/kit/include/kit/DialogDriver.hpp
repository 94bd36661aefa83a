// The host side of the dialog manager: what the host program (or a test playing
// the user) sees of open dialogs and how it acts on them.
//
// Threads: the dialog manager's state is guarded inside the kit; every function
// here may be called from any thread. Modal dialogs run on the thread that calls
// DGModalDialog; the driver's RunModal is called there and acts until the dialog
// closes. Calls from a download worker thread (modeless windows, alerts) reach
// the driver on that worker thread while the user-interface thread may be busy.
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

class KIT_API DialogDriver {
public:
    virtual ~DialogDriver();
    // A modal dialog waits for the user. Act with Click/SelectListRow/CloseDialog;
    // return when done. When it returns with the dialog still open, the kit closes
    // it as Cancel would (see CloseDialog).
    virtual void RunModal(Int16 dialId) = 0;
    // Something happened to a dialog (any thread).
    virtual void OnDialogEvent(Int16 dialId, DialogEvent event);
    // An alert box: return the button pressed, 1 to 3.
    virtual Int16 OnAlert(const AlertRequest& request) = 0;
    // A file dialog: return true and the chosen path (Windows form) and filter (its
    // index in request.filters, from 0), or false.
    virtual bool OnFileDialog(const FileDialogRequest& request, std::string* chosenPath, UInt32* filter) = 0;
};

// Installs the driver (null: modal dialogs close at once with Cancel, alerts answer 1,
// file dialogs are cancelled).
KIT_API void SetDialogDriver(DialogDriver* driver);

// The open dialogs, once initialised (DG_MSG_INIT answered), until closed.
KIT_API std::vector<Int16> OpenDialogs();
KIT_API bool GetDialogState(Int16 dialId, DialogState* out);

// What a user does. Each returns false when the dialog or item does not exist or
// the item is hidden or disabled.
KIT_API bool Click(Int16 dialId, Int16 item);
KIT_API bool SelectListRow(Int16 dialId, Int16 item, Int16 row); // then DG_MSG_CHANGE
// The window's close box, which acts as the system's Cancel: DG_MSG_CLICK on item 2
// (when the dialog has one, even hidden or disabled), then DG_MSG_CLOSE with the
// item the callback returned, or with item 2 when it returned 0.
KIT_API bool CloseDialog(Int16 dialId);

} // namespace kit
