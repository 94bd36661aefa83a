// The item texts of the add-on's menus.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_String.hpp"

namespace velmora::shell {

// Sets the text of item `item` of menu `listId` through the host ('SMIT').
GSErrCode SetMenuItemText(Int16 listId, Int32 item, const core::TS_String& text);

// Rewrites the item texts of all seven menus in the current language.
void RefreshMenuTexts();

} // namespace velmora::shell
