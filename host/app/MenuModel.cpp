#include "MenuModel.hpp"

namespace velmora::host {

namespace {

bool IsAsciiLetterOrDigit(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

} // namespace

MenuText ParseMenuText(const std::string& rawUtf8)
{
    MenuText text;
    text.raw = rawUtf8;
    const std::string& s = rawUtf8;
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] == '^' && i + 2 < s.size() && s[i + 1] == 'E') {
            text.codes.push_back(s.substr(i + 1, 2));
            i += 3;
        } else if (s[i] == '^' && i + 1 < s.size() && IsAsciiLetterOrDigit(s[i + 1])) {
            text.codes.push_back(s.substr(i + 1, 1));
            i += 2;
        } else {
            text.display += s[i];
            ++i;
        }
    }
    return text;
}

const MenuItem* MenuModel::Item(Int32 index) const
{
    if (index < 1 || static_cast<std::size_t>(index) > items.size())
        return nullptr;
    return &items[static_cast<std::size_t>(index) - 1];
}

void MenuModel::Register(Int16 newListId, Int16 newPromptId, Int32 newPosition, Int32 newFlags,
                         const std::vector<std::string>& entries)
{
    Clear();
    registered = true;
    listId = newListId;
    promptId = newPromptId;
    position = newPosition;
    flags = newFlags;
    hasStringList = !entries.empty();
    if (!entries.empty())
        title = ParseMenuText(entries.front());
    for (std::size_t i = 1; i < entries.size(); ++i)
        items.push_back(MenuItem{ParseMenuText(entries[i]), 0});
}

void MenuModel::Clear()
{
    *this = MenuModel();
}

const MenuItem* MenuModel::Find(const API_MenuItemRef& ref) const
{
    if (!registered || ref.menuResID != listId)
        return nullptr;
    return Item(ref.itemIndex);
}

MenuItem* MenuModel::Find(const API_MenuItemRef& ref)
{
    return const_cast<MenuItem*>(static_cast<const MenuModel*>(this)->Find(ref));
}

GSErrCode MenuModel::SetItemText(const API_MenuItemRef& ref, const std::string& rawUtf8)
{
    MenuItem* item = Find(ref);
    if (item == nullptr)
        return APIERR_BADID;
    item->text = ParseMenuText(rawUtf8);
    return NoError;
}

GSErrCode MenuModel::GetItemFlags(const API_MenuItemRef& ref, Int32* out) const
{
    const MenuItem* item = Find(ref);
    if (item == nullptr)
        return APIERR_BADID;
    *out = item->flags;
    return NoError;
}

GSErrCode MenuModel::SetItemFlags(const API_MenuItemRef& ref, Int32 newFlags)
{
    MenuItem* item = Find(ref);
    if (item == nullptr)
        return APIERR_BADID;
    item->flags = newFlags;
    return NoError;
}

} // namespace velmora::host
