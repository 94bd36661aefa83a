// The information dialog's "Save as Text...": asks for a text file name until the
// user gives one ending in ".txt" (any letter case) or cancels, then writes the
// build's information lines into it.
#pragma once

#include "core/TS_String.hpp"
#include "dialogs/InfoLines.hpp"

namespace velmora::dialogs {

// [UI thread] The whole export. A refused name gives the "Incorrect name!" alert
// and the save dialog again, as often as it takes; a file that cannot be written
// gives the "Unable to update information in file!" alert. Cancelling writes
// nothing and says nothing. `record` is borrowed.
void SaveInfoAsText(const InfoRecord& record);

// [UI thread] One round of the save dialog. True when a ".txt" name was chosen
// (in `path`) or the dialog was cancelled (`cancelled` set); false for a name
// that is refused.
bool AskTextFileName(const InfoRecord& record, core::TS_String& path, bool& cancelled);

// [any thread] True when the path's extension (after the last full stop of its
// last part, which must not end with it) is "txt" in any letter case.
bool HasTextExtension(const core::TS_String& path);

} // namespace velmora::dialogs
