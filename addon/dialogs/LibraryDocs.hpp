// The object library's two PDF documents, installed beside the add-on file: the
// user manual and the list of objects. The About dialog's buttons open them.
#pragma once

#include "core/TS_String.hpp"

namespace velmora::dialogs {

// File names of the documents (ANSI text), beside the add-on file.
inline constexpr const char* LibraryDocument1 = "01 - Libreria Velmora.pdf"; // the user manual
inline constexpr const char* LibraryDocument2 = "02 - Libreria Velmora.pdf"; // the list of objects

// [UI thread] The path of the add-on's own file in Windows form; with
// `withoutFileName` it is cut just before its last backslash (empty when it has
// none). Null when the add-on's location cannot be turned into text.
void GetOwnFilePath(core::TS_String& path, bool withoutFileName);

// [UI thread] Hands the document `name` (borrowed ANSI text) in the add-on file's
// folder to the shell. A missing document, or a path the shell cannot be given
// whole, shows the alert "documento sconosciuto!" with the localised error prefix;
// no other folder is searched.
void OpenLibraryDocument(const char* name);

} // namespace velmora::dialogs
