// The handler pattern that the add-on's dialogs share, in one place: a dialog
// states its size and its own steps (fill, other clicks, changes), and
// HandleDialogMessage answers the dialog manager's messages the same way for all.
//
//   initialisation: store the identifier, fill every text, force the client size
//                   (whatever the resource gives), put the focus nowhere;
//   click:          the dialog's own click step runs first (OK and Cancel included);
//                   items 1 (OK) and 2 (Cancel) then close the dialog with their
//                   number, any other item answers what the click step answers;
//   close:          clear the identifier; the answer is the closing item.
//
// A modal dialog's callback then states its steps and hands the message on:
//
//   short AboutDialogCallback(short message, short dialId, short item, DGUserData userData,
//                             DGMessageData msgData)
//   {
//       static const DialogSteps steps{.width = 960, .height = 510, .fill = FillAboutDialog};
//       return HandleDialogMessage(steps, message, dialId, item, userData, msgData);
//   }
//
// A modeless window (the update result window) reuses the pieces it shares:
// OpenDialog, CloseDialog and IsClosingItem.
//
// It lives in core/ because the dialogs that use it sit in several folders above
// (language/, dialogs/, update/) and it needs nothing of theirs: only the dialog
// manager.
#pragma once

#include <atomic>

#include "DG.h"
#include "core/TS_String.hpp"

namespace velmora::core {

// The two items that close every dialog of the add-on.
constexpr short DialogOkItem = 1;
constexpr short DialogCancelItem = 2;

// Where a dialog keeps its identifier while it is open: the identifier from
// initialisation to close, 0 before and after. Atomic, because the update check's
// worker thread reads the result window's identifier while the user-interface
// thread may clear it.
using DialogIdSlot = std::atomic<short>;

// What one dialog adds to the shared pattern. Every step runs on the thread that
// runs the dialog ([UI thread] for the modal dialogs) and borrows `userData`, which
// stays the opener's.
struct DialogSteps {
    short width = 0;  // client size forced at initialisation
    short height = 0; //
    // Writes every text of the dialog (title and items). Required.
    void (*fill)(short dialId, DGUserData userData) = nullptr;
    // A click on item `item` (> 0), OK and Cancel included, before they close the
    // dialog. For other items its answer is the callback's: 0 keeps the dialog open.
    // May be null: other clicks then do nothing.
    short (*click)(short dialId, short item, DGUserData userData) = nullptr;
    // A change of item `item` (a list selection, an edited text). May be null.
    void (*change)(short dialId, short item, DGUserData userData) = nullptr;
    // Where the identifier is kept: returns the slot inside the opener's data, or
    // null for a dialog that keeps none.
    DialogIdSlot* (*slot)(DGUserData userData) = nullptr;
};

// [UI thread] The callback's answer to one message of the dialog manager, by the
// pattern above; messages other than initialisation, click, change and close
// answer 0.
short HandleDialogMessage(const DialogSteps& steps, short message, short dialId, short item,
                          DGUserData userData, DGMessageData msgData);

// [UI thread] The initialisation steps on their own: stores `dialId` in `slot`
// (when given), runs steps.fill, forces the client size and puts the focus nowhere.
void OpenDialog(const DialogSteps& steps, DialogIdSlot* slot, short dialId, DGUserData userData);

// [UI thread] The close step on its own: clears `slot` (when given) and returns the
// closing item.
short CloseDialog(DialogIdSlot* slot, short item);

// [any thread] Sets an item's text (DGSetItemText, which runs on the UI thread).
void SetItemText(short dialId, short item, const TS_String& text);

// True for the items that close a dialog when clicked: OK and Cancel.
constexpr bool IsClosingItem(short item)
{
    return item == DialogOkItem || item == DialogCancelItem;
}

} // namespace velmora::core
