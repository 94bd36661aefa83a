// The dialog manager: open dialogs, their items and list boxes, modal and modeless
// dialogs, and what the host's user does to them.
//
// Threads. Every message to an add-on's callback is sent on the UI thread: the
// entry points that send one hand their work to it (dg_uithread.hpp), so one
// dialog's callback never runs on two threads at once. Dialog state lives in one
// table guarded by one mutex, so a worker may change items (which sends no
// message) directly while the UI thread waits in a modal dialog. The lock is never
// held while the add-on's callback or the driver runs; a callback may therefore
// call any DG function. Closing is a two-step change under the lock (closing, then
// closed) so that one close message is sent, whichever way it is asked for.
#include <algorithm>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "DG.h"
#include "dg_internal.hpp"
#include "dg_uithread.hpp"
#include "kit/DialogDriver.hpp"
#include "kit/Resources.hpp"

namespace kit::dgcore {

namespace {

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

struct Manager {
    std::mutex lock;
    std::condition_variable closedSignal;
    std::map<Int16, DialogPtr> dialogs;
    Int16 lastId = 0;
};

Manager& TheManager()
{
    static Manager manager;
    return manager;
}

constexpr Int16 MaxDialogId = 32000;

// Under the lock.
DialogPtr FindLocked(Manager& m, Int16 dialId)
{
    auto it = m.dialogs.find(dialId);
    return it == m.dialogs.end() ? nullptr : it->second;
}

DialogPtr Find(Int16 dialId)
{
    Manager& m = TheManager();
    std::lock_guard<std::mutex> guard(m.lock);
    return FindLocked(m, dialId);
}

ItemState* FindItem(Dialog& dialog, Int16 number)
{
    for (ItemState& item : dialog.state.items)
        if (item.number == number)
            return &item;
    return nullptr;
}

ItemState* FindList(Dialog& dialog, Int16 number)
{
    ItemState* item = FindItem(dialog, number);
    return item != nullptr && item->kind == ItemKind::ListBox ? item : nullptr;
}

size_t ColumnCount(const ItemState& list)
{
    return std::max<size_t>(1, list.tabFields.size());
}

void Notify(Int16 dialId, DialogEvent event)
{
    if (DialogDriver* driver = CurrentDriver())
        driver->OnDialogEvent(dialId, event);
}

short Send(const Dialog& dialog, short message, short item, DGMessageData data)
{
    if (dialog.callback == nullptr)
        return 0;
    return dialog.callback(message, dialog.id, item, dialog.userData, data);
}

DialogPtr Create(const DialogTemplate& dialogTemplate, GSResModule resModule, GSResModule iconModule,
                 bool modal, DGDialCallBack callback, DGUserData userData)
{
    auto dialog = std::make_shared<Dialog>();
    dialog->modal = modal;
    dialog->callback = callback;
    dialog->userData = userData;
    dialog->iconModule = iconModule;
    DialogState& state = dialog->state;
    state.resId = dialogTemplate.id;
    state.resModule = resModule;
    state.modal = modal;
    state.visible = false;
    state.title = dialogTemplate.title;
    state.width = dialogTemplate.width;
    state.height = dialogTemplate.height;
    state.focus = DG_NO_ITEM;
    state.items.reserve(dialogTemplate.items.size());
    for (const DialogItemTemplate& t : dialogTemplate.items) {
        ItemState item;
        item.number = t.number;
        item.kind = t.kind;
        item.left = t.left;
        item.top = t.top;
        item.width = t.width;
        item.height = t.height;
        item.text = t.text;
        item.imageId = t.imageId;
        item.visible = !t.hidden;
        item.largeFont = t.largeFont;
        state.items.push_back(std::move(item));
    }

    Manager& m = TheManager();
    std::lock_guard<std::mutex> guard(m.lock);
    // As in the host, a dialog is known by its resource id while that id is free;
    // a second dialog of the same resource gets a number of its own.
    if (dialogTemplate.id > 0 && m.dialogs.count(dialogTemplate.id) == 0) {
        dialog->id = dialogTemplate.id;
        dialog->state.dialId = dialogTemplate.id;
        m.dialogs.emplace(dialogTemplate.id, dialog);
        return dialog;
    }
    for (int attempt = 0; attempt < MaxDialogId; ++attempt) {
        m.lastId = static_cast<Int16>(m.lastId >= MaxDialogId ? 1 : m.lastId + 1);
        if (m.dialogs.count(m.lastId) == 0) {
            dialog->id = m.lastId;
            dialog->state.dialId = m.lastId;
            m.dialogs.emplace(m.lastId, dialog);
            return dialog;
        }
    }
    return nullptr;
}

// Drops a dialog without any message (its opening failed half-way).
void Discard(const DialogPtr& dialog)
{
    Manager& m = TheManager();
    {
        std::lock_guard<std::mutex> guard(m.lock);
        auto it = m.dialogs.find(dialog->id);
        if (it != m.dialogs.end() && it->second == dialog)
            m.dialogs.erase(it);
        dialog->closing = dialog->closed = true;
    }
    m.closedSignal.notify_all();
}

// Sends DG_MSG_CLOSE with `item` and removes the dialog. False when the dialog is
// already closing or gone.
bool CloseWith(const DialogPtr& dialog, short item)
{
    Manager& m = TheManager();
    bool announced = false;
    {
        std::lock_guard<std::mutex> guard(m.lock);
        if (dialog->closing || FindLocked(m, dialog->id) != dialog)
            return false;
        dialog->closing = true;
    }
    // The dialog goes away even when the callback leaves with an exception.
    struct Removal {
        Manager& m;
        const DialogPtr& dialog;
        short item;
        bool& announced;
        ~Removal()
        {
            {
                std::lock_guard<std::mutex> guard(m.lock);
                m.dialogs.erase(dialog->id);
                dialog->closed = true;
                dialog->result = item;
                dialog->state.visible = false;
                announced = dialog->announced;
            }
            m.closedSignal.notify_all();
        }
    };
    {
        Removal removal{m, dialog, item, announced};
        Send(*dialog, DG_MSG_CLOSE, item, item);
    }
    if (announced)
        Notify(dialog->id, DialogEvent::Closed);
    return true;
}

// What the system's Cancel does (the close box, Escape, a driver that gives up):
// a click on item 2, which the dialog has even when it is hidden or disabled, and
// then the close with the item that the callback returns, or with item 2.
bool CloseAsCancel(const DialogPtr& dialog)
{
    Manager& m = TheManager();
    bool hasCancel = false;
    {
        std::lock_guard<std::mutex> guard(m.lock);
        if (dialog->closing || FindLocked(m, dialog->id) != dialog)
            return false;
        hasCancel = FindItem(*dialog, 2) != nullptr;
    }
    short item = hasCancel ? Send(*dialog, DG_MSG_CLICK, 2, 2) : 0;
    CloseWith(dialog, item != 0 ? item : 2);
    return true;
}

void WaitUntilClosed(const DialogPtr& dialog)
{
    Manager& m = TheManager();
    std::unique_lock<std::mutex> guard(m.lock);
    m.closedSignal.wait(guard, [&] { return dialog->closed; });
}

// Runs `change` on a dialog under the lock; when it reports a change, the driver
// hears of it (at once, or when drawing and move-grow blocks allow).
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

// Ends a hold on change reports (drawing disabled, a move-grow block).
void Release(Int16 dialId, int Dialog::*counter)
{
    bool notify = false;
    {
        Manager& m = TheManager();
        std::lock_guard<std::mutex> guard(m.lock);
        DialogPtr dialog = FindLocked(m, dialId);
        if (dialog == nullptr)
            return;
        int& count = (*dialog).*counter;
        if (count > 0)
            --count;
        if (dialog->drawDisabled == 0 && dialog->moveGrowDepth == 0 && dialog->pendingChange) {
            dialog->pendingChange = false;
            notify = dialog->announced;
        }
    }
    if (notify)
        Notify(dialId, DialogEvent::Changed);
}

void Hold(Int16 dialId, int Dialog::*counter)
{
    Manager& m = TheManager();
    std::lock_guard<std::mutex> guard(m.lock);
    if (DialogPtr dialog = FindLocked(m, dialId))
        ++((*dialog).*counter);
}

// Applies `change` to one item, or to every item for DG_ALL_ITEMS.
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

template <typename Change> bool UpdateList(Int16 dialId, Int16 item, Change&& change)
{
    return Update(dialId, [&](Dialog& dialog) {
        ItemState* list = FindList(dialog, item);
        return list != nullptr && change(*list);
    });
}

short RunModal(const DialogTemplate& dialogTemplate, GSResModule resModule, GSResModule iconModule,
               DGDialCallBack callback, DGUserData userData)
{
    DialogPtr dialog = Create(dialogTemplate, resModule, iconModule, true, callback, userData);
    if (dialog == nullptr)
        return 0;
    try {
        Send(*dialog, DG_MSG_INIT, 0, 0);
        bool open = false;
        {
            Manager& m = TheManager();
            std::lock_guard<std::mutex> guard(m.lock);
            open = !dialog->closing;
            if (open) {
                dialog->state.visible = true;
                dialog->announced = true;
            }
        }
        DialogDriver* driver = CurrentDriver();
        if (open && driver != nullptr) {
            Notify(dialog->id, DialogEvent::Opened);
            Notify(dialog->id, DialogEvent::Shown);
            driver->RunModal(dialog->id);
        }
        CloseAsCancel(dialog);
        WaitUntilClosed(dialog);
    } catch (...) {
        Discard(dialog);
        throw;
    }
    Manager& m = TheManager();
    std::lock_guard<std::mutex> guard(m.lock);
    return dialog->result;
}

short OpenModeless(const DialogTemplate& dialogTemplate, GSResModule resModule, GSResModule iconModule,
                   DGDialCallBack callback, DGUserData userData)
{
    DialogPtr dialog = Create(dialogTemplate, resModule, iconModule, false, callback, userData);
    if (dialog == nullptr)
        return 0;
    try {
        Send(*dialog, DG_MSG_INIT, 0, 0);
    } catch (...) {
        Discard(dialog);
        throw;
    }
    bool open = false;
    {
        Manager& m = TheManager();
        std::lock_guard<std::mutex> guard(m.lock);
        open = !dialog->closing;
        dialog->announced = open;
    }
    if (open)
        Notify(dialog->id, DialogEvent::Opened);
    return dialog->id;
}

} // namespace
} // namespace kit::dgcore

using namespace kit;
using namespace kit::dgcore;

// --- Opening and closing ---------------------------------------------------------

short DGModalDialog(GSResModule dialResModule, short resId, GSResModule iconResModule,
                    DGDialCallBack callback, DGUserData userData)
{
    DialogTemplate dialogTemplate;
    if (!LoadDialogTemplate(dialResModule, resId, &dialogTemplate))
        return 0;
    short result = 0;
    uithread::Run(
        [&] { result = RunModal(dialogTemplate, dialResModule, iconResModule, callback, userData); });
    return result;
}

short DGModelessInit(GSResModule dialResModule, short resId, GSResModule iconResModule,
                     DGDialCallBack callback, DGUserData userData, short)
{
    DialogTemplate dialogTemplate;
    if (!LoadDialogTemplate(dialResModule, resId, &dialogTemplate))
        return 0;
    short dialId = 0;
    uithread::Run(
        [&] { dialId = OpenModeless(dialogTemplate, dialResModule, iconResModule, callback, userData); });
    return dialId;
}

void DGModelessClose(short dialId)
{
    uithread::Run([&] {
        DialogPtr dialog = Find(dialId);
        if (dialog != nullptr && !dialog->modal)
            CloseWith(dialog, 0);
    });
}

void DGShowModelessDialog(short dialId, short)
{
    bool shown = false;
    {
        Manager& m = TheManager();
        std::lock_guard<std::mutex> guard(m.lock);
        DialogPtr dialog = FindLocked(m, dialId);
        if (dialog != nullptr && !dialog->modal && !dialog->closing) {
            dialog->state.visible = true;
            shown = dialog->announced;
        }
    }
    if (shown)
        Notify(dialId, DialogEvent::Shown);
}

// --- The dialog and its items ------------------------------------------------------

void DGSetDialogSize(short dialId, short, short hSize, short vSize, short, bool)
{
    // The stand-in draws no window frame: client and frame sizes are the same.
    Update(dialId, [&](Dialog& dialog) {
        dialog.state.width = std::max<short>(hSize, 0);
        dialog.state.height = std::max<short>(vSize, 0);
        return true;
    });
}

void DGSetDialogTitle(short dialId, const GS::UniString& title)
{
    Update(dialId, [&](Dialog& dialog) {
        dialog.state.title = title;
        return true;
    });
}

void DGSetItemText(short dialId, short item, const GS::UniString& text)
{
    Update(dialId, [&](Dialog& dialog) {
        ItemState* found = FindItem(dialog, item);
        if (found == nullptr)
            return false;
        found->text = text;
        return true;
    });
}

GS::UniString DGGetItemText(short dialId, short item)
{
    Manager& m = TheManager();
    std::lock_guard<std::mutex> guard(m.lock);
    DialogPtr dialog = FindLocked(m, dialId);
    ItemState* found = dialog != nullptr ? FindItem(*dialog, item) : nullptr;
    return found != nullptr ? found->text : GS::UniString();
}

void DGShowItem(short dialId, short item)
{
    UpdateItems(dialId, item, [](ItemState& each) { each.visible = true; });
}

void DGHideItem(short dialId, short item)
{
    UpdateItems(dialId, item, [](ItemState& each) { each.visible = false; });
}

void DGEnableItem(short dialId, short item)
{
    UpdateItems(dialId, item, [](ItemState& each) { each.enabled = true; });
}

void DGDisableItem(short dialId, short item)
{
    UpdateItems(dialId, item, [](ItemState& each) { each.enabled = false; });
}

void DGSetFocus(short dialId, short item)
{
    Update(dialId, [&](Dialog& dialog) {
        if (item != DG_NO_ITEM && FindItem(dialog, item) == nullptr)
            return false;
        dialog.state.focus = item;
        return true;
    });
}

void DGBeginMoveGrowItems(short dialId)
{
    Hold(dialId, &Dialog::moveGrowDepth);
}

void DGEndMoveGrowItems(short dialId)
{
    Release(dialId, &Dialog::moveGrowDepth);
}

void DGRedrawItem(short dialId, short item)
{
    Update(dialId, [&](Dialog& dialog) { return item == DG_ALL_ITEMS || FindItem(dialog, item) != nullptr; });
}

void DGDisableDraw(short dialId, short)
{
    Hold(dialId, &Dialog::drawDisabled);
}

void DGEnableDraw(short dialId, short)
{
    Release(dialId, &Dialog::drawDisabled);
}

// --- List boxes -------------------------------------------------------------------

bool DGListSetTabFieldCount(short dialId, short item, short count)
{
    if (count < 1)
        return false;
    return UpdateList(dialId, item, [&](ItemState& list) {
        list.tabFields.resize(static_cast<size_t>(count), {0, 0});
        for (ListRowState& row : list.rows) {
            row.tabTexts.resize(static_cast<size_t>(count));
            row.tabIcons.resize(static_cast<size_t>(count), 0);
        }
        return true;
    });
}

bool DGListSetTabFieldData(short dialId, short item, short tabIndex, short begPos, short endPos)
{
    if (begPos > endPos)
        return false;
    return UpdateList(dialId, item, [&](ItemState& list) {
        if (tabIndex < 1 || static_cast<size_t>(tabIndex) > list.tabFields.size())
            return false;
        list.tabFields[static_cast<size_t>(tabIndex - 1)] = {begPos, endPos};
        return true;
    });
}

void DGListSetItemHeight(short dialId, short item, short height)
{
    UpdateList(dialId, item, [&](ItemState& list) {
        list.rowHeight = std::max<short>(height, 0);
        return true;
    });
}

bool DGListInsertItem(short dialId, short item, short listItem)
{
    return UpdateList(dialId, item, [&](ItemState& list) {
        const size_t count = list.rows.size();
        if (count >= 32767)
            return false;
        size_t at; // index of the new row
        if (listItem == DG_LIST_BOTTOM)
            at = count;
        else if (listItem == DG_LIST_TOP)
            at = 0;
        else if (listItem >= 1 && static_cast<size_t>(listItem) <= count + 1)
            at = static_cast<size_t>(listItem - 1);
        else
            return false;
        ListRowState row;
        row.tabTexts.resize(ColumnCount(list));
        row.tabIcons.resize(ColumnCount(list), 0);
        list.rows.insert(list.rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
        if (list.selectedRow > 0 && static_cast<size_t>(list.selectedRow) > at)
            ++list.selectedRow;
        return true;
    });
}

void DGListDeleteItem(short dialId, short item, short listItem)
{
    UpdateList(dialId, item, [&](ItemState& list) {
        if (listItem == DG_ALL_ITEMS) {
            list.rows.clear();
            list.selectedRow = 0;
            return true;
        }
        const size_t count = list.rows.size();
        size_t row; // from 1
        if (listItem == DG_LIST_BOTTOM)
            row = count;
        else if (listItem == DG_LIST_TOP)
            row = 1;
        else if (listItem >= 1)
            row = static_cast<size_t>(listItem);
        else
            return false;
        if (row < 1 || row > count)
            return false;
        list.rows.erase(list.rows.begin() + static_cast<std::ptrdiff_t>(row - 1));
        if (static_cast<size_t>(list.selectedRow) == row)
            list.selectedRow = 0;
        else if (static_cast<size_t>(list.selectedRow) > row)
            --list.selectedRow;
        return true;
    });
}

void DGListSelectItem(short dialId, short item, short listItem)
{
    UpdateList(dialId, item, [&](ItemState& list) {
        const auto count = static_cast<short>(list.rows.size());
        short row = listItem;
        if (listItem == DG_LIST_TOP)
            row = count > 0 ? 1 : -1;
        else if (listItem == DG_LIST_BOTTOM)
            row = count > 0 ? count : -1;
        if (row < 0 || row > count)
            return false;
        list.selectedRow = row;
        return true;
    });
}

short DGListGetSelected(short dialId, short item, short startItem)
{
    Manager& m = TheManager();
    std::lock_guard<std::mutex> guard(m.lock);
    DialogPtr dialog = FindLocked(m, dialId);
    ItemState* list = dialog != nullptr ? FindList(*dialog, item) : nullptr;
    if (list == nullptr)
        return 0;
    // One row at most is selected: the next selected row after `startItem`.
    return list->selectedRow > startItem ? list->selectedRow : 0;
}

short DGListGetItemCount(short dialId, short item)
{
    Manager& m = TheManager();
    std::lock_guard<std::mutex> guard(m.lock);
    DialogPtr dialog = FindLocked(m, dialId);
    ItemState* list = dialog != nullptr ? FindList(*dialog, item) : nullptr;
    return list != nullptr ? static_cast<short>(list->rows.size()) : 0;
}

namespace {

template <typename Change>
void UpdateCell(short dialId, short item, short listItem, short tabIndex, Change&& change)
{
    UpdateList(dialId, item, [&](ItemState& list) {
        if (listItem < 1 || static_cast<size_t>(listItem) > list.rows.size() || tabIndex < 1 ||
            static_cast<size_t>(tabIndex) > ColumnCount(list))
            return false;
        change(list.rows[static_cast<size_t>(listItem - 1)], static_cast<size_t>(tabIndex - 1));
        return true;
    });
}

} // namespace

void DGListSetTabItemText(short dialId, short item, short listItem, short tabIndex, const GS::UniString& text)
{
    UpdateCell(dialId, item, listItem, tabIndex,
               [&](ListRowState& row, size_t column) { row.tabTexts[column] = text; });
}

void DGListSetTabItemIcon(short dialId, short item, short listItem, short tabIndex, const DG::Icon& icon)
{
    UpdateCell(dialId, item, listItem, tabIndex,
               [&](ListRowState& row, size_t column) { row.tabIcons[column] = icon.GetId(); });
}

// --- The host's side ----------------------------------------------------------------

namespace kit {

std::vector<Int16> OpenDialogs()
{
    Manager& m = TheManager();
    std::lock_guard<std::mutex> guard(m.lock);
    std::vector<Int16> ids;
    ids.reserve(m.dialogs.size());
    for (const auto& entry : m.dialogs)
        if (entry.second->announced) // not while its initialisation runs
            ids.push_back(entry.first);
    return ids;
}

bool GetDialogState(Int16 dialId, DialogState* out)
{
    Manager& m = TheManager();
    std::lock_guard<std::mutex> guard(m.lock);
    DialogPtr dialog = FindLocked(m, dialId);
    if (dialog == nullptr)
        return false;
    if (out != nullptr) {
        *out = dialog->state;
        out->changesHeld = dialog->drawDisabled > 0 || dialog->moveGrowDepth > 0;
    }
    return true;
}

namespace {

bool ClickOnUiThread(Int16 dialId, Int16 item)
{
    DialogPtr dialog;
    {
        Manager& m = TheManager();
        std::lock_guard<std::mutex> guard(m.lock);
        dialog = FindLocked(m, dialId);
        if (dialog == nullptr || dialog->closing)
            return false;
        const ItemState* found = FindItem(*dialog, item);
        if (found == nullptr || !found->visible || !found->enabled)
            return false;
    }
    const short result = Send(*dialog, DG_MSG_CLICK, item, item);
    if (result != 0)
        CloseWith(dialog, result);
    return true;
}

bool SelectOnUiThread(Int16 dialId, Int16 item, Int16 row)
{
    DialogPtr dialog;
    bool notify = false;
    {
        Manager& m = TheManager();
        std::lock_guard<std::mutex> guard(m.lock);
        dialog = FindLocked(m, dialId);
        if (dialog == nullptr || dialog->closing)
            return false;
        ItemState* list = FindList(*dialog, item);
        if (list == nullptr || !list->visible || !list->enabled || row < 1 ||
            static_cast<size_t>(row) > list->rows.size())
            return false;
        list->selectedRow = row;
        notify = dialog->announced;
    }
    if (notify)
        Notify(dialId, DialogEvent::Changed);
    Send(*dialog, DG_MSG_CHANGE, item, row);
    return true;
}

// Runs `action` on the UI thread; false when it said so or was dropped.
template <typename Action> bool OnUi(Action&& action)
{
    bool done = false;
    uithread::Run([&] { done = action(); });
    return done;
}

} // namespace

bool Click(Int16 dialId, Int16 item)
{
    return OnUi([&] { return ClickOnUiThread(dialId, item); });
}

bool SelectListRow(Int16 dialId, Int16 item, Int16 row)
{
    return OnUi([&] { return SelectOnUiThread(dialId, item, row); });
}

bool CloseDialog(Int16 dialId)
{
    return OnUi([&] {
        DialogPtr dialog = Find(dialId);
        return dialog != nullptr && CloseAsCancel(dialog);
    });
}

short ModalDialogFromTemplate(const DialogTemplate& dialogTemplate, GSResModule iconResModule,
                              DGDialCallBack callback, DGUserData userData)
{
    short result = 0;
    uithread::Run(
        [&] { result = RunModal(dialogTemplate, InvalidResModule, iconResModule, callback, userData); });
    return result;
}

short ModelessDialogFromTemplate(const DialogTemplate& dialogTemplate, GSResModule iconResModule,
                                 DGDialCallBack callback, DGUserData userData)
{
    short dialId = 0;
    uithread::Run(
        [&] { dialId = OpenModeless(dialogTemplate, InvalidResModule, iconResModule, callback, userData); });
    return dialId;
}

} // namespace kit
