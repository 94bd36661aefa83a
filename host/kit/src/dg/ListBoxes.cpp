// List boxes as the add-on fills them: tab fields, rows, cells, the selection.
// None sends a message; each may be called from any thread.
#include <algorithm>

#include "dg/DialogTable.hpp"

using namespace kit;
using namespace kit::dgcore;

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
