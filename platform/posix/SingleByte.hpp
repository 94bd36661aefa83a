// The single-byte code pages as Windows converts them, for the POSIX code-page
// layer: the Windows ANSI pages 874 and 1250 to 1258, and 10000, 28591 and 20127.
// One table per page, read from iconv on the page's first use.
//
// iconv is asked byte by byte when a table is built; where it refuses a byte or
// maps one differently from Windows, the Windows result is put in its place:
//   - a byte the page leaves undefined (1252: 81 8D 8F 90 9D; 1251: 98; ...) is the
//     unit of the same value, and that unit is written as that byte; except where
//     Windows gives it a private-use unit (874: DB-DE FC-FF; 1253: AA D2 FF; 1255:
//     D9-DF FB FC FF; 1257: A1 A5), and 1255's CA, U+05BA for Windows;
//   - 10000: bytes BD C6 F0 are U+2126, U+2206 and U+F8FF (iconv: U+03A9, U+0394,
//     U+E01E, which Windows does not write as these bytes);
//   - 20127: bytes 80 to FF lose their high bit.
// Converting then goes through the tables alone, so that every byte gives one unit
// and every unit one byte: a unit the page cannot hold is its default character
// "?" (a surrogate pair gives "??"). iconv itself would drop some characters
// silently (the tag characters U+E0000 to U+E007F), and would compose the Hebrew
// and Vietnamese marks of 1255 and 1258 with the letter before them, which would
// make the written bytes differ from the count the sizing call promised.
#pragma once

#include <cstddef>

#include "velmora/Platform.hpp"

namespace velmora::platform::detail {

enum class SingleBytePage {
    Windows1252,
    MacRoman,
    Latin1,
    Ascii,
    Windows874,
    Windows1250,
    Windows1251,
    Windows1253,
    Windows1254,
    Windows1255,
    Windows1256,
    Windows1257,
    Windows1258,
};

// Bytes to units, one each. Without a target returns `count`; with one, writes
// and returns `count` when it fits in `capacity`, else 0. Always 0 when iconv had
// no table for the page.
std::size_t SingleByteDecode(SingleBytePage page, const unsigned char* source, std::size_t count,
                             Unit* target, std::size_t capacity);

// Units to bytes, one each; as SingleByteDecode.
std::size_t SingleByteEncode(SingleBytePage page, const Unit* source, std::size_t count, char* target,
                             std::size_t capacity);

} // namespace velmora::platform::detail
