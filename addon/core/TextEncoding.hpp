// Text encodings: the numbers that name them, the one conversion routine (always
// through UTF-16 little-endian), byte-order-mark detection, the guess for text
// without a mark and strict UTF-8 validation. Free functions without state; they
// may run on any thread.
#pragma once

#include "GSRoot.hpp"

namespace velmora::core {

// The encodings by number. Any value not listed (3 to 9, 16 to 99, above 103) is
// taken as Ansi.
enum class TextEncoding : Int32 {
    Unknown = 0,     // not determined; no conversion from or to it
    Unsupported = 1, // a mark of UTF-1, UTF-EBCDIC, SCSU, BOCU-1 or GB-18030; no conversion
    Ansi = 2,        // the system's ANSI code page: every 8-bit text of the program
    Utf7 = 10,
    Utf8 = 11,
    Utf16LE = 12, // the internal form
    Utf16BE = 13,
    Utf32LE = 14,
    Utf32BE = 15,
    UsAscii = 100,
    MacRoman = 101,
    Windows1252 = 102,
    Iso8859_1 = 103,
};

// ConvertText failures.
constexpr Int32 ConvertFailed = -1;         // the platform refused the text, or a cut surrogate pair
constexpr Int32 ConvertTargetTooSmall = -2; // nothing was written
constexpr Int32 ConvertNoSource = -3;
constexpr Int32 ConvertBadSource = -4; // source encoding 0 or 1
constexpr Int32 ConvertBadTarget = -5; // target encoding 0 or 1

// Converts `sourceBytes` bytes of `source` (0 or less: up to its zero unit, which
// is 1, 2 or 4 bytes wide by encoding) from one encoding to another. With a null
// `target` returns the number of bytes the result needs; otherwise writes it when
// it fits in `targetCapacity` bytes and returns the bytes written. `terminate`
// appends a zero unit of the target encoding and counts it. Negative on failure
// (the constants above). The source may lie at any address.
Int32 ConvertText(TextEncoding sourceEncoding, const void* source, Int32 sourceBytes,
                  TextEncoding targetEncoding, void* target, Int32 targetCapacity, bool terminate);

// The length of the byte-order mark at the start of `bytes` (0 when there is none)
// and, in `encoding`, what it announces (TextEncoding::Unknown when there is none).
UInt32 DetectBOM(const void* bytes, UInt32 byteCount, TextEncoding* encoding);

// Recognises UTF-32 (either order), UTF-16 (either order, by the share of zero
// bytes at even and odd positions) and UTF-8 in text without a mark. Note that an
// empty block passes the UTF-32 little-endian test.
bool GuessEncoding(const void* bytes, UInt32 byteCount, TextEncoding* encoding);

// True for well-formed UTF-8 (no overlong forms, surrogates or values above
// U+10FFFF, no sequence cut off at the end). With `requireNonAscii` at least one
// byte above 7F must occur too.
bool IsValidUTF8(const void* bytes, UInt32 byteCount, bool requireNonAscii);

// The Windows code page of an encoding: 0 (the ANSI code page) for TextEncoding::Ansi,
// for 0 and 1 and for every unlisted value; 1200, 1201, 12000 and 12001 name the
// UTF-16 and UTF-32 forms that ConvertText handles itself.
UInt32 CodePageOf(TextEncoding encoding);

} // namespace velmora::core
