// The host's save-file dialog, offered with one file type of the caller's.
#pragma once

#include "FTM.hpp"
#include "GSRoot.hpp"
#include "core/TS_List.hpp"
#include "core/TS_String.hpp"

namespace velmora::dialogs {

// [UI thread] Asks for the name of a file to save, offering the file type
// `description` / `extension` (ANSI texts, borrowed) with the four-character
// `typeCode`. `defaultName` may be a file name or a path: its last part is the
// proposed file name and the folder before it (if any) the dialog's folder; null
// proposes nothing. True with `path` (Windows form) when a file was chosen.
bool AskSaveFileName(core::TS_String& path, const char* description, const char* extension, UInt32 typeCode,
                     const core::TS_String& title, const core::TS_String& defaultName);

// [UI thread] Runs the save dialog (DG::FileDialog) with the file types `types`
// as its filters. `defaultFileName` and `defaultFolder` are borrowed and may be
// null; an empty title keeps the system's. True with `path` and, when asked for,
// the chosen filter in `filterIndex` when a file was chosen.
bool RunSaveDialog(core::TS_String& path, const core::TS_String* defaultFileName,
                   const core::TS_String* defaultFolder, const core::TS_String& title,
                   const core::TS_List<FTM::GeneralID>& types, UInt32* filterIndex);

} // namespace velmora::dialogs
