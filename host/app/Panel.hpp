// Text drawings of what the add-on shows: the menu bar with the add-on's menu, a
// dialog as a panel of its visible items, alerts and file dialogs.
#pragma once

#include <string>

#include "MenuModel.hpp"
#include "kit/DialogDriver.hpp"

namespace velmora::host {

// The menu bar: the menu's title, then one line per item with its number, check
// mark and text as shown.
std::string DrawMenuBar(const MenuModel& menu);

// A dialog: title, size and kind, then every visible item with its number, kind,
// text and state; list rows by their texts and image captions, with the selection.
std::string DrawDialog(const kit::DialogState& dialog);

// An alert box: title and type, its texts, its buttons by number.
std::string DrawAlert(const kit::AlertRequest& alert);

// A file dialog: title and kind, the proposed folder and name, the file types.
std::string DrawFileDialog(const kit::FileDialogRequest& request);

// One list row as drawn: its tab texts and image captions ("[caption]").
std::string DrawListRow(const kit::ListRowState& row, GSResModule module);

// The caption of an image resource, or "image N" when the resource has none.
std::string ImageCaption(GSResModule module, GSResType type, GSResID id);

// A host string as UTF-8.
std::string Utf8(const GS::UniString& text);

} // namespace velmora::host
