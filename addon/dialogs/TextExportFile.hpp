// Writing the lines of a text export into a file: UTF-8 without a byte-order
// mark, the lines one after another as they are (they carry their own line ends).
#pragma once

#include "core/TS_List.hpp"
#include "core/TS_String.hpp"

namespace velmora::dialogs {

// [any thread] Makes the file at `path` (Windows form) hold exactly the bytes of
// `lines` (borrowed), replacing an existing file in one step: the bytes go to a new
// file beside it, which is then renamed over it. True when every line was written.
// On failure the file at `path` is as it was and nothing else is left beside it.
bool WriteTextLines(const core::TS_String& path, const core::TS_List<core::TS_String>& lines);

} // namespace velmora::dialogs
