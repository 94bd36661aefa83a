#include "dg/Dialogs.hpp"

#include "dg/InstalledDriver.hpp"
#include "dg/UiThread.hpp"
#include "kit/Resources.hpp"

namespace kit::dgcore {

namespace {

void WaitUntilClosed(const DialogPtr& dialog)
{
    Manager& m = TheManager();
    std::unique_lock<std::mutex> guard(m.lock);
    m.closedSignal.wait(guard, [&] { return dialog->closed; });
}

} // namespace

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

// Item 2 is clicked even when it is hidden or disabled: the dialog has it all the same.
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

short RunModal(const DialogTemplate& dialogTemplate, GSResModule resModule, GSResModule iconModule,
               DGDialCallBack callback, DGUserData userData)
{
    DialogPtr dialog = Create(dialogTemplate, resModule, iconModule, Modality::Modal, callback, userData);
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
    DialogPtr dialog = Create(dialogTemplate, resModule, iconModule, Modality::Modeless, callback, userData);
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

} // namespace kit::dgcore

using namespace kit;
using namespace kit::dgcore;

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
