// The life of a dialog: opening it modal or modeless (the DG_MSG_INIT message),
// and closing it once (DG_MSG_CLOSE) whichever way the close is asked for: by the
// add-on, by a click whose callback returns an item, by the system's Cancel.
#pragma once

#include "dg/DialogTable.hpp"

namespace kit::dgcore {

// [UI thread] Sends DG_MSG_CLOSE with `item` and removes the dialog. False when the
// dialog is already closing or gone.
bool CloseWith(const DialogPtr& dialog, short item);
// [UI thread] What the system's Cancel does (the close box, Escape, a driver that
// gives up): a click on item 2, then the close with the item that the callback
// returns, or with item 2. False when the dialog is already closing or gone.
bool CloseAsCancel(const DialogPtr& dialog);

// [UI thread] Opens a modal dialog from its template, lets the driver run it and
// returns the item that closed it (0 when it could not be opened).
short RunModal(const DialogTemplate& dialogTemplate, GSResModule resModule, GSResModule iconModule,
               DGDialCallBack callback, DGUserData userData);
// [UI thread] Opens a modeless dialog, hidden; its id, or 0.
short OpenModeless(const DialogTemplate& dialogTemplate, GSResModule resModule, GSResModule iconModule,
                   DGDialCallBack callback, DGUserData userData);

} // namespace kit::dgcore
