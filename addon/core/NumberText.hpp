// Numbers in text: reading a whole number from 8-bit text as the configuration
// files and the version list write it, and telling what kind of number a text is.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_String.hpp"

namespace velmora::core {

// The whole number in 8-bit text: skips to the first digit or minus sign (none:
// 2147483647), reads decimal digits with 32-bit wrap-around; a minus sign not
// followed by a digit gives 0, and so does a null or empty text.
Int32 ParseLong(const char* text);
// 0 not a number, 1 a whole number, 2 a decimal number ("." or "," followed by a
// digit), after spaces, an optional sign and spaces.
Int32 NumberKind(const TS_String& text);

} // namespace velmora::core
