// DG: the host's dialog manager as an add-on sees it. Dialogs are built from the
// add-on's dialog resources; the add-on reacts to messages in a callback.
//
// Threads. Every function may be called from any thread. A dialog's callback always
// runs on the host's UI thread, one message at a time: a call from another thread
// that sends a message (opening, closing, a modal dialog, an alert, a file dialog)
// is handed to the UI thread and waits until it has run there. While the host is
// shutting down, such a call from another thread returns at once without running
// the callback (alerts answer 1, file dialogs are cancelled, dialogs open as 0).
// Calls that only change a dialog's items send no message and do not wait.
// Texts are copied; a callback's userData is the add-on's, passed back untouched.
#pragma once

#include "GSRoot.hpp"
#include "IO.hpp"

using DGUserData = GS::IntPtr;
using DGMessageData = GS::IntPtr;
// [UI thread] The add-on's reaction to a message of one of its dialogs.
using DGDialCallBack = short (*)(short message, short dialId, short item, DGUserData userData,
                                 DGMessageData msgData);

// Messages.
constexpr short DG_MSG_INIT = 1;
constexpr short DG_MSG_CLOSE = 3;  // item: the item that closes the dialog
constexpr short DG_MSG_CLICK = 4;  // item: the clicked item
constexpr short DG_MSG_CHANGE = 6; // item: the changed item (list selection, edit text)

// Special item and list-row numbers.
constexpr short DG_NO_ITEM = -1;
constexpr short DG_ALL_ITEMS = 0;
constexpr short DG_LIST_TOP = -1;
constexpr short DG_LIST_BOTTOM = -2;

// Alert types.
constexpr short DG_ERROR = -1;

// Size types of DGSetDialogSize.
constexpr short DG_CLIENT = 0;
constexpr short DG_FRAME = 1;
constexpr short DG_TOPLEFT = 0; // fix point

// Grow types.
constexpr short DG_DLG_NOGROW = 0;

namespace DG {

// An icon or picture of an add-on's resources.
class KIT_API Icon {
public:
    Icon() = default;
    Icon(GSResModule resModule, GSResID resId) : module(resModule), id(resId) {}
    GSResModule GetModule() const { return module; }
    GSResID GetId() const { return id; }

private:
    GSResModule module = InvalidResModule;
    GSResID id = 0;
};

// The system's standard dialogs. [any thread] Invoke asks the user on the UI thread.
class KIT_API SystemDialog {
public:
    virtual ~SystemDialog();
    void SetTitle(const GS::UniString& title);
    virtual bool Invoke() = 0;

protected:
    GS::UniString title;
};

class KIT_API FileDialog : public SystemDialog {
public:
    enum Type { OpenFile = 0, OpenMultiFile = 1, OpenFolder = 2, OpenFileOrFolder = 3, Save = 4 };
    explicit FileDialog(Type type);
    ~FileDialog() override;
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;
    bool AddFilter(UInt32 fileTypeId, Int32 extensionOption = 0);
    void SetFolder(const IO::Location& folder);
    void SelectFile(const IO::Location& file);
    bool Invoke() override;
    UInt32 GetSelectionCount() const;
    const IO::Location& GetSelectedFile(UInt32 index = 0) const;
    UInt32 GetSelectedFilter() const;

private:
    struct Impl;
    Impl* impl;
};

} // namespace DG

extern "C" {
// [any thread] Modal dialogs: runs on the UI thread until the callback closes the
// dialog; returns the closing item (0 when the dialog resource cannot be read).
KIT_API short DGModalDialog(GSResModule dialResModule, short resId, GSResModule iconResModule,
                            DGDialCallBack callback, DGUserData userData);

// [any thread] Modeless dialogs: created hidden; DGShowModelessDialog makes them visible.
// DGModelessInit returns the dialog's identifier (0 when the resource cannot be read);
// DGModelessClose sends DG_MSG_CLOSE with item 0. A click whose callback result is
// not 0 closes a modeless dialog too, with that item.
KIT_API short DGModelessInit(GSResModule dialResModule, short resId, GSResModule iconResModule,
                             DGDialCallBack callback, DGUserData userData, short growType);
KIT_API void DGModelessClose(short dialId);
KIT_API void DGShowModelessDialog(short dialId, short refDialId);

// [any thread] The dialog and its items; these send no message.
KIT_API void DGSetDialogSize(short dialId, short sizeType, short hSize, short vSize, short fixPoint,
                             bool keepOld);
KIT_API void DGSetDialogTitle(short dialId, const GS::UniString& title);
KIT_API void DGSetItemText(short dialId, short item, const GS::UniString& text);
KIT_API GS::UniString DGGetItemText(short dialId, short item);
KIT_API void DGShowItem(short dialId, short item);
KIT_API void DGHideItem(short dialId, short item);
KIT_API void DGEnableItem(short dialId, short item);
KIT_API void DGDisableItem(short dialId, short item);
KIT_API void DGSetFocus(short dialId, short item);
KIT_API void DGBeginMoveGrowItems(short dialId);
KIT_API void DGEndMoveGrowItems(short dialId);
KIT_API void DGRedrawItem(short dialId, short item);
KIT_API void DGDisableDraw(short dialId, short item);
KIT_API void DGEnableDraw(short dialId, short item);

// Show, hide, enable and disable take DG_ALL_ITEMS for every item of the dialog.
// List boxes. Rows are numbered from 1; one row at most is selected.
KIT_API bool DGListSetTabFieldCount(short dialId, short item, short count);
KIT_API bool DGListSetTabFieldData(short dialId, short item, short tabIndex, short begPos, short endPos);
KIT_API void DGListSetItemHeight(short dialId, short item, short height);
KIT_API bool DGListInsertItem(short dialId, short item, short listItem);    // DG_LIST_BOTTOM appends
KIT_API void DGListDeleteItem(short dialId, short item, short listItem);    // DG_ALL_ITEMS deletes all
KIT_API void DGListSelectItem(short dialId, short item, short listItem);    // 0 deselects all
KIT_API short DGListGetSelected(short dialId, short item, short startItem); // 0 when none
KIT_API short DGListGetItemCount(short dialId, short item);
KIT_API void DGListSetTabItemText(short dialId, short item, short listItem, short tabIndex,
                                  const GS::UniString& text);
KIT_API void DGListSetTabItemIcon(short dialId, short item, short listItem, short tabIndex,
                                  const DG::Icon& icon);

// [any thread] Alert box, answered on the UI thread while the caller waits; returns
// the number of the button pressed (1 to 3).
KIT_API short DGAlert(short alertType, const GS::UniString& title, const GS::UniString& largeText,
                      const GS::UniString& smallText, const GS::UniString& button1,
                      const GS::UniString& button2, const GS::UniString& button3);
}
