// The dialog manager's table of open dialogs: each dialog's items and list boxes
// as the add-on set them, found by dialog id, and changes to them reported to
// the installed driver.
//
// Threads. Every message to an add-on's callback is sent on the UI thread: the
// entry points that send one hand their work to it (UiThread.hpp), so one
// dialog's callback never runs on two threads at once. Dialog state lives in one
// table guarded by one mutex (Manager::lock), so a worker may change items (which
// sends no message) directly while the UI thread waits in a modal dialog. The lock
// is never held while the add-on's callback or the driver runs; a callback may
// therefore call any DG function. Closing is a two-step change under the lock
// (closing, then closed) so that one close message is sent, whichever way it is
// asked for (Dialogs.cpp).
#pragma once

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

#include "DG.h"
#include "kit/DialogDriver.hpp"

namespace kit::dgcore {

struct Dialog {
    // Fixed at creation.
    Int16 id = 0;
    bool modal = true;
    DGDialCallBack callback = nullptr;
    DGUserData userData = 0;
    GSResModule iconModule = InvalidResModule;

    // Guarded by the manager's lock.
    DialogState state;
    bool announced = false; // initialised; state changes are reported to the driver
    bool closing = false;   // the close message is on its way
    bool closed = false;    // gone from the table
    short result = 0;       // the item that closed it
    int drawDisabled = 0;
    int moveGrowDepth = 0;
    bool pendingChange = false; // changes made while drawing or a move-grow block was held back
};

using DialogPtr = std::shared_ptr<Dialog>;

// The table. `lock` guards `dialogs`, `lastId` and the guarded members of every
// dialog; `closedSignal` wakes those who wait for a dialog to close.
struct Manager {
    std::mutex lock;
    std::condition_variable closedSignal;
    std::map<Int16, DialogPtr> dialogs;
    Int16 lastId = 0;
};

// [any thread] The one table of the process.
Manager& TheManager();

// Whether a dialog holds the UI until it closes.
enum class Modality { Modal, Modeless };

// [any thread] Takes the lock: the dialog `dialId`, or null.
DialogPtr Find(Int16 dialId);
// [any thread] Under the lock: the dialog `dialId`, or null.
DialogPtr FindLocked(Manager& m, Int16 dialId);
// [any thread] Under the lock: item `number` of `dialog`, or null; FindList only
// for a list box.
ItemState* FindItem(Dialog& dialog, Int16 number);
ItemState* FindList(Dialog& dialog, Int16 number);
// [any thread] Under the lock: the columns of a list's rows (its tab fields, at
// least one).
size_t ColumnCount(const ItemState& list);

// [any thread, without the lock] Tells the installed driver of `event`.
void Notify(Int16 dialId, DialogEvent event);
// [UI thread, without the lock] Sends a message to the dialog's callback.
short Send(const Dialog& dialog, short message, short item, DGMessageData data);

// [UI thread] A new dialog in the table, from its template, not yet initialised
// (null when every dialog id is taken). The table shares it with the caller.
DialogPtr Create(const DialogTemplate& dialogTemplate, GSResModule resModule, GSResModule iconModule,
                 Modality modality, DGDialCallBack callback, DGUserData userData);
// [UI thread] Drops a dialog without any message (its opening failed half-way).
void Discard(const DialogPtr& dialog);

// [any thread] Runs `change` on a dialog under the lock; when it reports a change,
// the driver hears of it (at once, or when drawing and move-grow blocks allow).
template <typename Change> bool Update(Int16 dialId, Change&& change)
{
    bool notify = false;
    {
        Manager& m = TheManager();
        std::lock_guard<std::mutex> guard(m.lock);
        DialogPtr dialog = FindLocked(m, dialId);
        if (dialog == nullptr || !change(*dialog))
            return false;
        if (dialog->announced) {
            if (dialog->drawDisabled > 0 || dialog->moveGrowDepth > 0)
                dialog->pendingChange = true;
            else
                notify = true;
        }
    }
    if (notify)
        Notify(dialId, DialogEvent::Changed);
    return true;
}

// [any thread] A hold on change reports (drawing disabled, a move-grow block):
// begins and ends one.
void Hold(Int16 dialId, int Dialog::*counter);
void Release(Int16 dialId, int Dialog::*counter);

// [any thread] Applies `change` to one item, or to every item for DG_ALL_ITEMS.
template <typename Change> void UpdateItems(Int16 dialId, Int16 item, Change&& change)
{
    Update(dialId, [&](Dialog& dialog) {
        if (item == DG_ALL_ITEMS) {
            for (ItemState& each : dialog.state.items)
                change(each);
            return true;
        }
        ItemState* found = FindItem(dialog, item);
        if (found == nullptr)
            return false;
        change(*found);
        return true;
    });
}

// [any thread] Applies `change` to the list box `item`; false when there is none or
// it changed nothing.
template <typename Change> bool UpdateList(Int16 dialId, Int16 item, Change&& change)
{
    return Update(dialId, [&](Dialog& dialog) {
        ItemState* list = FindList(dialog, item);
        return list != nullptr && change(*list);
    });
}

} // namespace kit::dgcore
