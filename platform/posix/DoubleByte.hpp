// The double-byte code pages that Windows uses as ANSI code pages (932 Japanese,
// 936 simplified Chinese, 949 Korean, 950 traditional Chinese), for the POSIX
// code-page layer: tables read from iconv (glibc's CP932, GBK, UHC and BIG5) on a
// page's first use, with Windows' results put in where iconv differs:
//   - every lead byte is the first of two bytes unless a zero byte or the end of
//     the text follows; a pair or a byte the page does not define is the page's
//     default unit (U+30FB for 932, "?" for the others);
//   - the few single bytes Windows gives a unit of their own (932: 80 A0 FD-FF;
//     936: FF; 949: 80 FF; 950: 80 FF), and the user-defined areas, which Windows
//     numbers into the private-use units;
//   - units to bytes: what iconv writes when it reads back as the same unit; a
//     look-alike (the yen sign written as a backslash) is the default character "?"
//     as Windows writes it without best fit, and so is a unit the page cannot hold,
//     one per unit: a surrogate pair gives "??" (none of these pages holds a
//     character beyond the first plane). 950 writes four box-drawing characters
//     that two pairs read as at the pair Windows chooses.
// Converting then goes through the tables alone, one deterministic pass whose
// sizing call counts exactly what the converting call writes.
#pragma once

#include <cstddef>

#include "velmora/Platform.hpp"

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
