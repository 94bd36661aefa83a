// The host's model of the one menu an add-on may register in a host run: the
// menu's string list (title and items) as read from the add-on's resources, each
// item's text as shown and as given (with the host's control codes), and the
// item flags that the add-on reads and writes.
#pragma once

#include <string>
#include <vector>

#include "ACAPI.hpp"

namespace velmora::host {

// A menu text with the host's control codes taken out for display: "^E" and the
// character after it ("^E3", "^ES", "^ED", "^EL") and "^" followed by a letter or
// digit ("^M"). The codes are kept, in order, for reports.
struct MenuText {
    std::string raw;                // UTF-8, as the add-on gave it
    std::string display;            // UTF-8, without control codes
    std::vector<std::string> codes; // e.g. "E3", "ES", "ED", "EL", "M"
};
MenuText ParseMenuText(const std::string& rawUtf8);

struct MenuItem {
    MenuText text;
    Int32 flags = 0; // API_MenuItemChecked (2) is the check mark
    bool Checked() const { return (flags & API_MenuItemChecked) != 0; }
};

// A plain value with no lock of its own. The host's one live model is AddonHost's,
// which the add-on changes from any thread through host functions: it is touched
// only under AddonHost's lock, and everyone else reads a copy (AddonHost::Menu).
class MenuModel {
public:
    // True once a menu has been registered in this run.
    bool Registered() const { return registered; }
    Int16 ListId() const { return listId; }
    Int16 PromptId() const { return promptId; }
    Int32 Position() const { return position; }
    Int32 Flags() const { return flags; }
    // False when the add-on's resources had no string list for the menu.
    bool HasStringList() const { return hasStringList; }
    const MenuText& Title() const { return title; }
    const std::vector<MenuItem>& Items() const { return items; }
    // Item `index` counted from 1; null when the menu has no such item.
    const MenuItem* Item(Int32 index) const;

    // Registers the menu from its string list (entry 1 the title, the following
    // entries the items, in order). `entries` is empty when the list is missing.
    void Register(Int16 listId, Int16 promptId, Int32 position, Int32 flags,
                  const std::vector<std::string>& entries);
    void Clear();

    // The host's menu-item operations; APIERR_BADID for a menu or item it does not have.
    GSErrCode SetItemText(const API_MenuItemRef& ref, const std::string& rawUtf8);
    GSErrCode GetItemFlags(const API_MenuItemRef& ref, Int32* out) const;
    GSErrCode SetItemFlags(const API_MenuItemRef& ref, Int32 newFlags);

private:
    const MenuItem* Find(const API_MenuItemRef& ref) const;
    MenuItem* Find(const API_MenuItemRef& ref);

    bool registered = false;
    Int16 listId = 0, promptId = 0;
    Int32 position = 0, flags = 0;
    bool hasStringList = false;
    MenuText title;
    std::vector<MenuItem> items;
};

} // namespace velmora::host
