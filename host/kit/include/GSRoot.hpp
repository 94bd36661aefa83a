// GSRoot: the host's base library as an add-on sees it: integer types, the
// allocation operators, the UTF-16 string, GUIDs and the debug output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>

#include "KitExport.hpp"

using Int8 = std::int8_t;
using UInt8 = std::uint8_t;
using Int16 = std::int16_t;
using UInt16 = std::uint16_t;
using Int32 = std::int32_t;
using UInt32 = std::uint32_t;
using Int64 = std::int64_t;
using UInt64 = std::uint64_t;
using GSErrCode = Int32;
using GSSize = Int64;
using GSPtr = char*;
using GSHandle = char**;
using GSResModule = Int32;
using GSResType = UInt32;
using GSResID = Int16;

constexpr GSErrCode NoError = 0;
constexpr GSResModule InvalidResModule = -1;

namespace GS {

using uchar_t = char16_t;
using IntPtr = std::intptr_t;

// Thrown by callers of the allocation operators when the host has no memory left.
class KIT_API OutOfMemoryException : public std::exception {
public:
    const char* what() const noexcept override;
};

// The host's allocation operators. They return null when the host has no memory
// (they never throw); callers decide whether that is an exception.
KIT_API void* NewOperator(std::size_t size) noexcept;
KIT_API void DeleteOperator(void* p) noexcept;
KIT_API void* NewArrayOperator(std::size_t size) noexcept;
KIT_API void DeleteArrayOperator(void* p) noexcept;

// A UTF-16 string value of the host. Owns its units; copies on copy.
class KIT_API UniString {
public:
    UniString() noexcept;
    UniString(const uchar_t* units);  // zero-terminated; null gives an empty string
    UniString(const uchar_t* units, UInt32 count);
    UniString(const char* utf8);  // UTF-8 literal convenience for the host's own texts
    UniString(const UniString& other);
    UniString(UniString&& other) noexcept;
    UniString& operator=(const UniString& other);
    UniString& operator=(UniString&& other) noexcept;
    ~UniString();

    UInt32 GetLength() const noexcept { return length; }
    bool IsEmpty() const noexcept { return length == 0; }
    const uchar_t* ToUStr() const noexcept;  // zero-terminated, never null
    uchar_t operator[](UInt32 index) const noexcept { return units[index]; }
    bool operator==(const UniString& other) const noexcept;
    bool operator!=(const UniString& other) const noexcept { return !(*this == other); }
    UniString& Append(const UniString& other);
    UniString& Append(const uchar_t* more, UInt32 count);

    // The host's own UTF-8 form of the text, for its terminal and transcripts.
    // The returned block comes from NewArrayOperator; release it with DeleteArrayOperator.
    char* ToUtf8() const;

private:
    void Assign(const uchar_t* src, UInt32 count);
    uchar_t* units;
    UInt32 length;
};

struct Guid {
    UInt32 data1;
    UInt16 data2;
    UInt16 data3;
    UInt8 data4[8];
};
static_assert(sizeof(Guid) == 16);
KIT_API extern const Guid NULLGuid;

}  // namespace GS

// The host's debug output (printf-style, UTF-8/ANSI text).
extern "C" KIT_API void DBPrintf(const char* format, ...);
