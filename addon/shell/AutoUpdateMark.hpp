// The check mark of the automatic-update menu item, kept in step with the
// "AutoUpdate" setting (prefs/Settings.hpp): a missing or empty setting shows the
// mark set.
#pragma once

#include "GSRoot.hpp"

namespace velmora::shell {

// [UI thread] Sets or clears the mark of item `item` in the seven language menus
// `firstMenu` to `firstMenu` + 6 from "AutoUpdate" ("1" sets, "0" clears, any
// other number leaves it); menus whose flags the host does not give are skipped.
// Always true.
bool ShowAutoUpdateMark(Int16 firstMenu, Int32 item);

// [UI thread] Flips the mark of that item in each of the seven menus whose flags
// the host gives, storing "AutoUpdate" ("0" or "1") after each flip. Always true.
bool ToggleAutoUpdate(Int16 firstMenu, Int32 item);

} // namespace velmora::shell
