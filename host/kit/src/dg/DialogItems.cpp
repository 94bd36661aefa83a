// The dialog and its items as the add-on changes them: size, title, texts,
// visibility, focus, and the holds on drawing. None sends a message; each may be
// called from any thread.
#include <algorithm>

#include "dg/DialogTable.hpp"

using namespace kit;
using namespace kit::dgcore;

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
