// The double-byte code pages that Windows uses as ANSI code pages (932 Japanese,
// 936 simplified Chinese, 949 Korean, 950 traditional Chinese), for the POSIX
// code-page layer, converted by iconv with the rules of Windows' calls:
//   - bytes to units, through iconv: a byte sequence iconv cannot decode becomes
//     the page's default unit U+30FB; a lead byte takes the byte after it along
//     (unless that is a zero byte or the end of the text), as Windows reads every
//     lead byte as the first of two;
//   - units to bytes, through a table asked of iconv unit by unit on the page's
//     first use: a unit the page cannot hold, or whose bytes iconv would decode to
//     another unit (a look-alike, such as the yen sign written as a backslash),
//     becomes the default character "?", one per unit; a surrogate pair gives "??"
//     (none of these pages holds a character beyond the first plane).
// Both directions are one deterministic pass over the text, written either into the
// caller's target or into a scratch area: the sizing call counts exactly what the
// converting call then writes.
#pragma once

#include <cstddef>

#include "velmora/platform.hpp"

namespace velmora::platform::detail {

enum class DoubleBytePage { Windows932, Windows936, Windows949, Windows950 };

// Bytes to units. Without a target returns the unit count; with one, writes and
// returns it when it fits in `capacity`, else 0. 0 when iconv lacks the page.
std::size_t DoubleByteDecode(DoubleBytePage page, const unsigned char* source, std::size_t count,
                             Unit* target, std::size_t capacity);

// Units to bytes; as DoubleByteDecode.
std::size_t DoubleByteEncode(DoubleBytePage page, const Unit* source, std::size_t count, char* target,
                             std::size_t capacity);

} // namespace velmora::platform::detail
