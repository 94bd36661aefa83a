// UTF-7 (code page 65000) as Windows converts it, for the POSIX code-page layer.
#pragma once

#include <cstddef>

#include "Output.hpp"
#include "velmora/Platform.hpp"

namespace velmora::platform::detail {

// Bytes to units. Outside a shifted run every byte but "+" stands for itself
// (also bytes Windows never writes, such as "~" or 80); "+-" is "+"; "+" opens a
// run of base64 characters that ends at the first other byte, a "-" ending it
// being dropped; every 16 bits make one unit. Bits left over when a run ends are
// dropped, except when a byte from 80 up ends it: then they begin the next run.
void Utf7Decode(const unsigned char* source, std::size_t count, Output<Unit>& output);

// Units to bytes. Letters, digits, the zero unit, tab, line feed, carriage return,
// space and ' ( ) , - . / : ? stand for themselves, "+" becomes "+-", every other
// unit (surrogates too, one by one) goes into a base64 run that is always closed
// with "-".
void Utf7Encode(const Unit* source, std::size_t count, Output<char>& output);

} // namespace velmora::platform::detail
