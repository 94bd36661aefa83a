// The information dialog (dialog 32501): this build's name, version, date,
// platform and host version beside the library's picture, with "Save as Text..."
// to write the same lines into a text file.
#pragma once

#include "DG.h"
#include "dialogs/InfoLines.hpp"

namespace velmora::dialogs {

// [UI thread] Runs the information dialog modally over the add-on's own version
// line and returns when it is closed: true when it was closed with OK.
bool ShowInfoDialog();

// [UI thread] The host calls it with the dialog's messages. `userData` is the
// InfoRecord of ShowInfoDialog (borrowed). Items 1 and 2 (out of sight) close the
// dialog; item 15 runs the text export and leaves the dialog open.
short InfoDialogCallback(short message, short dialId, short item, DGUserData userData, DGMessageData msgData);

} // namespace velmora::dialogs
