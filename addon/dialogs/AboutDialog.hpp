// The About dialog (dialog 32500): the object library's picture, its description,
// and two buttons that open the library's documents while the dialog stays open.
#pragma once

#include "DG.h"
#include "GSRoot.hpp"
#include "core/ModalDialog.hpp"

namespace velmora::dialogs {

// [UI thread] Runs the About dialog modally and returns when it is closed.
// `dialogSlot` is the caller's (borrowed): it holds the dialog's identifier while
// the dialog is open and 0 after it closed.
void ShowAboutDialog(core::DialogIdSlot* dialogSlot);

// [UI thread] The host calls it with the dialog's messages. `userData` is the
// address of the caller's identifier slot (see ShowAboutDialog). Clicks on items 1 and
// the hidden item 2 close the dialog; items 6 and 7 open the user manual and the
// list of objects.
short AboutDialogCallback(short message, short dialId, short item, DGUserData userData,
                          DGMessageData msgData);

} // namespace velmora::dialogs
