// Paths as text: the parts of a path in the host's Windows form (backslash
// separators; a slash is no separator), and the change between a path and the
// host's file location. A null path gives null parts.
#pragma once

#include "IO.hpp"
#include "core/TS_String.hpp"

namespace velmora::core {

// Whether a folder part ends with its separator.
enum class FolderSeparator { Drop, Keep };

// [any thread] The part after the last backslash (the whole path without one).
TS_String FileNamePart(const TS_String& path);
// [any thread] The part after the file name's last dot; empty without one or when
// nothing follows it.
TS_String ExtensionPart(const TS_String& path);
// [any thread] The part before the last backslash, with or without it; a path
// without one gives "\" or "".
TS_String FolderPart(const TS_String& path, FolderSeparator separator);
// [any thread] Cuts the path at its last backslash, in place (to empty without one).
void RemoveLastPathPart(TS_String& path);

} // namespace velmora::core
