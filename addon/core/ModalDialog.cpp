#include "core/ModalDialog.hpp"

namespace velmora::core {

void OpenDialog(const DialogSteps& steps, DialogIdSlot* slot, short dialId, DGUserData userData)
{
    if (slot != nullptr)
        slot->store(dialId);
    if (steps.fill != nullptr)
        steps.fill(dialId, userData);
    // After the texts: a dialog's own size rules, not what its resource or the
    // filled texts would make of it.
    DGSetDialogSize(dialId, DG_CLIENT, steps.width, steps.height, DG_TOPLEFT, true);
    DGSetFocus(dialId, DG_NO_ITEM);
}

void SetItemText(short dialId, short item, const TS_String& text)
{
    DGSetItemText(dialId, item, text.ToUniString());
}

short CloseDialog(DialogIdSlot* slot, short item)
{
    if (slot != nullptr)
        slot->store(0);
    return item;
}

short HandleDialogMessage(const DialogSteps& steps, short message, short dialId, short item,
                          DGUserData userData, DGMessageData /*msgData*/)
{
    DialogIdSlot* slot = steps.slot != nullptr ? steps.slot(userData) : nullptr;
    switch (message) {
    case DG_MSG_INIT:
        OpenDialog(steps, slot, dialId, userData);
        return 0;
    case DG_MSG_CLICK: {
        if (item <= 0)
            return 0;
        short answer = steps.click != nullptr ? steps.click(dialId, item, userData) : 0;
        return IsClosingItem(item) ? item : answer;
    }
    case DG_MSG_CHANGE:
        if (steps.change != nullptr)
            steps.change(dialId, item, userData);
        return 0;
    case DG_MSG_CLOSE:
        return CloseDialog(slot, item);
    default:
        return 0;
    }
}

} // namespace velmora::core
