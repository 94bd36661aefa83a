// Cutting the maker's lines into fields and numbers into parts, the way the family's
// other add-ons cut them, so that every add-on reads one list alike.
//
// [any thread] The functions keep no state.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_List.hpp"
#include "core/TS_String.hpp"

namespace velmora::update {

// Cuts at runs of spaces and tabs (the list is emptied first). A leading run gives
// an empty first field, a trailing run an empty last one; null or empty text gives
// one empty field.
void SplitFields(const core::TS_String& text, core::TS_List<core::TS_String>& fields);
// Cuts at every `separator` (an ANSI byte); adjacent separators give an empty
// field, and the text after the last one is always the last field.
void SplitAt(const core::TS_String& text, char separator, core::TS_List<core::TS_String>& fields);
// True when the text in the ANSI code page is the bytes "0" to "9" only; empty and
// null texts count as digits.
bool IsDigits(const core::TS_String& text);

} // namespace velmora::update
