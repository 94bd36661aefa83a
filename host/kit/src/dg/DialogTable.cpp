#include "dg/DialogTable.hpp"

#include "dg/InstalledDriver.hpp"
#include "kit/Resources.hpp"

namespace kit::dgcore {

namespace {

constexpr Int16 MaxDialogId = 32000;

} // namespace

Manager& TheManager()
{
    static Manager manager;
    return manager;
}

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
                 Modality modality, DGDialCallBack callback, DGUserData userData)
{
    auto dialog = std::make_shared<Dialog>();
    const bool modal = modality == Modality::Modal;
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

} // namespace kit::dgcore
