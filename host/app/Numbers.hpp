// Numbers as velmora-host reads them from commands and options: whole decimal
// numbers within a range (never wrapped into it) and durations in seconds.
#pragma once

#include <string>

namespace velmora::host {

// True when `text` is a whole decimal number (an optional "-", then digits) from
// `least` to `most`; a number beyond the range is refused, not wrapped.
bool ParseNumber(const std::string& text, long least, long most, long* out);

// True when `text` is a number of seconds (a fraction allowed) from 0 to a day.
bool ParseSeconds(const std::string& text, double* out);

} // namespace velmora::host
