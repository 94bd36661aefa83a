// Writing the lines of a text export into a file: UTF-8 without a byte-order
// mark, the lines one after another as they are (they carry their own line ends).
#pragma once

#include "core/TS_List.hpp"
#include "core/TS_String.hpp"

// [any thread] Creates the file at `path` (Windows form) when missing and leaves
// in it exactly the bytes of `lines` (borrowed): an existing file's content is
// replaced, never partly kept. True when every line was written. On failure the
// file may hold the lines written before it.
bool WriteTextLines(const TS_String& path, const TS_List<TS_String>& lines);
