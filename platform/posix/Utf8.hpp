// UTF-8 (code page 65001) as Windows converts it, for the POSIX code-page layer.
//
// Written out rather than through iconv: the text core converts every file and
// message through here, and a direct loop with a fast path for ASCII runs is
// several times quicker than iconv's two steps through UCS-4.
#pragma once

#include <cstddef>

#include "velmora/Platform.hpp"

namespace velmora::platform::detail {

// Bytes to units. A well-formed sequence gives its character (a surrogate pair
// above U+FFFF); an ill-formed part gives one U+FFFD and is cut as Windows cuts it:
//  - a byte that starts no sequence (80 to C1, F5 to FF): that byte;
//  - a lead byte with fewer bytes left than its sequence needs: all the rest;
//  - a second byte that continues but is out of the lead's range (overlong,
//    surrogate or above U+10FFFF): the lead and that byte;
//  - otherwise the lead and the continuation bytes before the first that does not continue.
// Without a target, returns the number of units. With one, writes them and returns
// their count when they fit in `capacity`, else writes nothing and returns 0.
std::size_t Utf8Decode(const unsigned char* source, std::size_t count, Unit* target, std::size_t capacity);

// Units to bytes; a surrogate without its partner is written as EF BF BD (U+FFFD).
// Without a target, returns the number of bytes. With one, writes them and returns
// their count when they fit in `capacity`, else returns 0 (the target may then
// hold the part that fitted, as with WideCharToMultiByte).
std::size_t Utf8Encode(const Unit* source, std::size_t count, char* target, std::size_t capacity);

} // namespace velmora::platform::detail
