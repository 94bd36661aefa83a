// The host's side of the dialog manager: what the driver sees of the open dialogs
// and what the host's user does to them, each brought to the UI thread.
#include "kit/DialogDriver.hpp"
#include "dg/DialogTable.hpp"
#include "dg/Dialogs.hpp"
#include "dg/UiThread.hpp"

using namespace kit::dgcore;

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
