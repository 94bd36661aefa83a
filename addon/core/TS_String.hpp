// TS_String: the program's string value. UTF-16 code units with a length and a
// capacity, in a block of its own from the host's memory operators.
//
// A default-constructed string is in the null state (no block); an empty string
// owns a one-unit block holding only the terminator. Comparisons, searches and
// substrings treat the two differently. Growth is exact: an operation that needs
// more room allocates exactly the new length plus one unit.
//
// Lengths, indices and counts are in units: a character outside the Basic
// Multilingual Plane counts 2. 8-bit text enters and leaves through ConvertText;
// texts without an encoding are in the system's ANSI code page (TextEncoding::Ansi).
//
// Memory: when the host has no memory, GS::OutOfMemoryException is thrown, except
// by the growth operations that return bool (Reserve, SetCapacity, AppendUnits,
// AppendBytes, Append, AssignJoined): they return false and leave the string in
// the null state. Out-of-range indices never fail: reads give 0, writes do
// nothing, searches give -1 and substrings the null state.
//
// No internal locking: a string is used by one thread at a time.
#pragma once

#include "GSRoot.hpp"
#include "IO.hpp"
#include "core/TextEncoding.hpp"

namespace velmora::core {

// Bytes of a converted string, terminator included. The block comes from the
// host's array operator and is released with it when the object goes, unless the
// receiver takes it over with Release.
struct EncodedBytes {
    char* data = nullptr; // null when the conversion failed
    UInt32 size = 0;      // bytes in `data` with the terminator; 0 when the conversion failed
    TextEncoding encoding = TextEncoding::Unknown;

    EncodedBytes() = default;
    EncodedBytes(char* bytes, UInt32 byteCount, TextEncoding textEncoding) noexcept
        : data(bytes), size(byteCount), encoding(textEncoding)
    {
    }
    EncodedBytes(EncodedBytes&& other) noexcept;
    EncodedBytes& operator=(EncodedBytes&& other) noexcept;
    EncodedBytes(const EncodedBytes&) = delete;
    EncodedBytes& operator=(const EncodedBytes&) = delete;
    ~EncodedBytes();

    // Hands the block over (release it with GS::DeleteArrayOperator); the object is emptied.
    char* Release() noexcept;
};

class TS_String {
public:
    using Unit = GS::uchar_t;

    // --- Construction, assignment, release --------------------------------------
    TS_String() noexcept = default;
    TS_String(const TS_String& other);
    // Moving hands the block over; the source is left in the null state.
    TS_String(TS_String&& other) noexcept;
    // 8-bit text up to its zero byte; null gives the null state, "" an empty
    // string. A text the encoding refuses gives the null state.
    TS_String(const char* text, TextEncoding encoding = TextEncoding::Ansi);
    // Exactly `byteCount` bytes (0: up to the zero unit) in `encoding`.
    TS_String(const void* bytes, UInt32 byteCount, TextEncoding encoding);
    ~TS_String();

    // A null source makes this string null; otherwise the block is replaced only
    // when it is smaller than the source's length plus one.
    TS_String& operator=(const TS_String& other);
    TS_String& Assign(const TS_String& other) { return *this = other; }
    TS_String& operator=(TS_String&& other) noexcept;
    // Null text gives the null state; otherwise the text (ANSI) is converted into the
    // block when it is large enough, else into a new exact block. A text that cannot
    // be converted leaves the string unchanged.
    TS_String& operator=(const char* text);
    // As operator= for `byteCount` bytes (0: up to the zero unit) in any encoding;
    // false when the text cannot be converted (the string is then unchanged).
    bool AssignBytes(const void* bytes, UInt32 byteCount, TextEncoding encoding);
    // The concatenation of up to three ANSI texts, each cut to its maximum length
    // (0 or more than its length: the whole text). Null and empty texts add
    // nothing; when nothing is added the string is null.
    bool AssignJoined(const char* first, UInt32 firstMax = 0, const char* second = nullptr,
                      UInt32 secondMax = 0, const char* third = nullptr, UInt32 thirdMax = 0);
    // Releases the block: the null state.
    void Clear() noexcept;
    // Makes room for `units` units (terminator included) when there is less:
    // exactly that many, keeping the text with `keep`, else emptying it.
    bool Reserve(UInt32 units, bool keep);
    // Always replaces the block by one of exactly `units` units; with `keep` the text
    // is kept as far as it fits (with its terminator), else it is emptied. A
    // capacity of 0 gives the null state.
    bool SetCapacity(UInt32 units, bool keep);

    // --- State -------------------------------------------------------------------
    bool IsNull() const noexcept { return buffer == nullptr; }
    bool IsEmpty() const noexcept { return length == 0; } // null or empty
    UInt32 GetLength() const noexcept { return length; }
    UInt32 GetCapacity() const noexcept { return capacity; }
    // The units, zero-terminated; null in the null state.
    const Unit* GetUnits() const noexcept { return buffer; }

    // --- Appending -------------------------------------------------------------------
    bool Append(const char* text); // ANSI text up to its zero byte
    bool Append(const TS_String& other);
    // As Append; the host's OutOfMemoryException when memory runs out.
    TS_String& operator+=(const char* text);
    TS_String& operator+=(const TS_String& other);
    // A null pointer or a count of 0 changes nothing.
    bool AppendUnits(const Unit* units, UInt32 count);
    // Null bytes change nothing; false (string unchanged) when the text cannot be converted.
    bool AppendBytes(const void* bytes, UInt32 byteCount, TextEncoding encoding);

    // --- Access, comparison, search ------------------------------------------------
    Unit GetAt(UInt32 index) const noexcept;
    // The unit as one ANSI byte; "?" when it is no single byte.
    char GetAnsiAt(UInt32 index) const;
    void SetAnsiAt(UInt32 index, char byte);
    // -1, 0 or 1, by unsigned units from the two offsets (which must lie within the
    // strings) up to a terminator reached by both or `maxCount` units (0: no limit).
    // The null state sorts before every other string and equals itself.
    Int32 Compare(UInt32 ownOffset, const TS_String& other, UInt32 otherOffset = 0,
                  UInt32 maxCount = 0) const;
    // As Compare, each unit first mapped to lower case.
    Int32 CompareNoCase(UInt32 ownOffset, const TS_String& other, UInt32 otherOffset = 0,
                        UInt32 maxCount = 0) const;
    bool IsEqual(const char* text) const; // against ANSI text
    bool IsNotEqual(const char* text) const { return !IsEqual(text); }
    // Sorts after `other` by unsigned unit order (a prefix sorts first; the null state
    // is never greater, and any other string is greater than it).
    bool IsGreater(const TS_String& other) const;
    Int32 FindNoCase(const TS_String& other, UInt32 start = 0) const;
    Int32 ReverseFind(const TS_String& other) const;
    Int32 FindChar(char ansiByte, UInt32 start = 0) const;
    Int32 ReverseFindChar(char ansiByte) const;
    bool MatchesAt(const TS_String& other, UInt32 index) const;
    bool EndsWith(const TS_String& other) const;

    // --- Substrings and transformations (the source is unchanged) -------------------
    TS_String Mid(UInt32 start) const;
    TS_String Mid(UInt32 start, UInt32 count) const;
    // The `count` units that end `skip` units before the end.
    TS_String Right(UInt32 count, UInt32 skip = 0) const;
    TS_String ToLower() const;
    TS_String ToUpper() const;
    // Every occurrence replaced, left to right without overlap.
    TS_String Replace(const TS_String& find, const TS_String& replacement) const;
    TS_String Replace(const char* find, const char* replacement) const;
    // Without leading (`left`) and trailing (`right`) spaces, and tabs with `tabs`.
    TS_String Trim(bool left = true, bool right = true, bool tabs = false) const;

    // --- Other types -----------------------------------------------------------------
    GS::UniString ToUniString() const;
    void FromUniChars(const GS::uchar_t* units);
    IO::Location ToLocation() const;
    // The location's path without a final backslash; null when the location has none.
    void FromLocation(const IO::Location& location);
    EncodedBytes ToBytes(TextEncoding encoding) const;
    // Decimal text, right-aligned in at least `width` characters.
    static TS_String FromNumber(Int32 value, UInt32 width = 0);
    Int32 ToLong() const;
    // Decodes a text file's bytes: by its byte-order mark, else by `fallback`, or by
    // a guess when `detect` is set. Returns the encoding used (1 for a mark of an
    // unsupported encoding, decoded as ANSI; 0 when a guess found nothing).
    TextEncoding FromEncodedBytes(const void* bytes, UInt32 byteCount, bool detect, TextEncoding fallback);

    // --- Paths (backslash separators) ----------------------------------------------------
    TS_String FileNamePart() const;
    TS_String ExtensionPart() const;
    TS_String FolderPart(bool keepSeparator) const;
    void RemoveLastPathPart();

private:
    enum class Outcome { Done, NoMemory, BadText };

    static TS_String FromUnits(const Unit* units, UInt32 count);
    void Adopt(Unit* block, UInt32 units, UInt32 blockCapacity) noexcept;
    bool ConvertFrom(const void* bytes, Int32 byteCount, TextEncoding encoding, bool reuseBlock);
    Outcome AppendUnitsOutcome(const Unit* units, UInt32 count);
    Outcome AppendBytesOutcome(const void* bytes, Int32 byteCount, TextEncoding encoding);
    Int32 LastIndexOf(Unit unit) const noexcept;

    Unit* buffer = nullptr;
    UInt32 length = 0;
    UInt32 capacity = 0;
};

TS_String operator+(const TS_String& left, const TS_String& right);
TS_String operator+(const TS_String& left, const char* right);
TS_String operator+(const char* left, const TS_String& right);

// The whole number in 8-bit text: skips to the first digit or minus sign (none:
// 2147483647), reads decimal digits with 32-bit wrap-around; a minus sign not
// followed by a digit gives 0, and so does a null or empty text.
Int32 ParseLong(const char* text);
// 0 not a number, 1 a whole number, 2 a decimal number ("." or "," followed by a
// digit), after spaces, an optional sign and spaces.
Int32 NumberKind(const TS_String& text);
// Bytes before the zero byte (0 for a null text).
UInt32 TextLength(const char* text);
// The text cut to fewer than `limit` units: its first limit − 1 units when it is
// `limit` units or longer; null stays null.
TS_String LimitLength(const TS_String& text, Int32 limit);

} // namespace velmora::core
