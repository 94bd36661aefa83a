#include "core/TS_String.hpp"

#include "core/NumberText.hpp"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "velmora/Platform.hpp"

namespace velmora::core {

namespace {

using Unit = TS_String::Unit;

// A block of `units` units from the host, or null.
Unit* TryAllocate(std::size_t units) noexcept
{
    return static_cast<Unit*>(GS::NewOperator(units * sizeof(Unit)));
}

Unit* Allocate(std::size_t units)
{
    Unit* block = TryAllocate(units);
    if (block == nullptr)
        throw GS::OutOfMemoryException();
    return block;
}

// A new block that is released unless it is taken over.
class NewBlock {
public:
    explicit NewBlock(Unit* units) noexcept : block(units) {}
    NewBlock(const NewBlock&) = delete;
    NewBlock& operator=(const NewBlock&) = delete;
    ~NewBlock() { GS::DeleteOperator(block); }
    Unit* Get() const noexcept { return block; }
    Unit* Take() noexcept { return std::exchange(block, nullptr); }

private:
    Unit* block;
};

void CopyUnits(Unit* to, const Unit* from, std::size_t count) noexcept
{
    if (count > 0)
        std::memmove(to, from, count * sizeof(Unit));
}

// A byte of ANSI text as one unit; false when it gives no single unit.
bool AnsiUnit(char byte, Unit* unit)
{
    Unit units[4];
    if (ConvertText(TextEncoding::Ansi, &byte, 1, TextEncoding::Utf16LE, units, sizeof units, false) != 2)
        return false;
    *unit = units[0];
    return true;
}

// Byte counts above Int32's range cannot be handed to ConvertText.
bool FitsInt32(UInt32 count)
{
    return count <= static_cast<UInt32>(INT_MAX);
}

} // namespace

// --- EncodedBytes ------------------------------------------------------------------

EncodedBytes::EncodedBytes(EncodedBytes&& other) noexcept
    : data(std::exchange(other.data, nullptr)), size(std::exchange(other.size, 0)), encoding(other.encoding)
{
}

EncodedBytes& EncodedBytes::operator=(EncodedBytes&& other) noexcept
{
    if (this != &other) {
        GS::DeleteArrayOperator(data);
        data = std::exchange(other.data, nullptr);
        size = std::exchange(other.size, 0);
        encoding = other.encoding;
    }
    return *this;
}

EncodedBytes::~EncodedBytes()
{
    GS::DeleteArrayOperator(data);
}

char* EncodedBytes::Release() noexcept
{
    size = 0;
    return std::exchange(data, nullptr);
}

// --- Construction, assignment, release ---------------------------------------------

TS_String::TS_String(const TS_String& other)
{
    if (other.buffer != nullptr) {
        buffer = Allocate(std::size_t{other.length} + 1);
        CopyUnits(buffer, other.buffer, std::size_t{other.length} + 1);
        length = other.length;
        capacity = other.length + 1;
    }
}

TS_String::TS_String(TS_String&& other) noexcept
    : buffer(std::exchange(other.buffer, nullptr)), length(std::exchange(other.length, 0)),
      capacity(std::exchange(other.capacity, 0))
{
}

TS_String::TS_String(const char* text, TextEncoding encoding)
{
    if (text != nullptr)
        ConvertFrom(text, 0, encoding, false);
}

TS_String::TS_String(const void* bytes, UInt32 byteCount, TextEncoding encoding)
{
    if (bytes != nullptr && FitsInt32(byteCount))
        ConvertFrom(bytes, static_cast<Int32>(byteCount), encoding, false);
}

TS_String::~TS_String()
{
    Clear();
}

TS_String& TS_String::operator=(const TS_String& other)
{
    if (this == &other)
        return *this;
    if (other.buffer == nullptr) {
        Clear();
        return *this;
    }
    if (capacity < other.length + 1) {
        Unit* block = Allocate(std::size_t{other.length} + 1);
        Adopt(block, 0, other.length + 1);
    }
    CopyUnits(buffer, other.buffer, std::size_t{other.length} + 1);
    length = other.length;
    return *this;
}

TS_String& TS_String::operator=(TS_String&& other) noexcept
{
    if (this != &other) {
        Clear();
        buffer = std::exchange(other.buffer, nullptr);
        length = std::exchange(other.length, 0);
        capacity = std::exchange(other.capacity, 0);
    }
    return *this;
}

TS_String& TS_String::operator=(const char* text)
{
    if (text == nullptr)
        Clear();
    else
        ConvertFrom(text, 0, TextEncoding::Ansi, true);
    return *this;
}

bool TS_String::AssignBytes(const void* bytes, UInt32 byteCount, TextEncoding encoding)
{
    if (bytes == nullptr) {
        Clear();
        return true;
    }
    return FitsInt32(byteCount) && ConvertFrom(bytes, static_cast<Int32>(byteCount), encoding, true);
}

bool TS_String::AssignJoined(const char* first, UInt32 firstMax, const char* second, UInt32 secondMax,
                             const char* third, UInt32 thirdMax)
{
    Clear();
    const std::pair<const char*, UInt32> parts[] = {
        {first, firstMax}, {second, secondMax}, {third, thirdMax}};
    bool converted = true;
    for (const auto& [text, maximum] : parts) {
        UInt32 count = TextLength(text);
        if (maximum != 0 && maximum < count)
            count = maximum;
        if (count == 0 || !FitsInt32(count))
            continue;
        Outcome outcome = AppendBytesOutcome(text, static_cast<Int32>(count), TextEncoding::Ansi);
        if (outcome == Outcome::NoMemory)
            return false;
        if (outcome == Outcome::BadText)
            converted = false;
    }
    return converted;
}

void TS_String::Clear() noexcept
{
    GS::DeleteOperator(buffer);
    buffer = nullptr;
    length = 0;
    capacity = 0;
}

bool TS_String::Reserve(UInt32 units, bool keep)
{
    if (capacity >= units)
        return true;
    Unit* block = TryAllocate(units);
    if (block == nullptr) {
        Clear();
        return false;
    }
    if (keep && buffer != nullptr) {
        CopyUnits(block, buffer, std::size_t{length} + 1);
        Adopt(block, length, units);
    } else {
        block[0] = 0;
        Adopt(block, 0, units);
    }
    return true;
}

bool TS_String::SetCapacity(UInt32 units, bool keep)
{
    if (units == 0) {
        Clear();
        return true;
    }
    Unit* block = TryAllocate(units);
    if (block == nullptr) {
        Clear();
        return false;
    }
    UInt32 kept = 0;
    if (keep && buffer != nullptr) {
        kept = length < units ? length : units - 1;
        CopyUnits(block, buffer, kept);
    }
    block[kept] = 0;
    Adopt(block, kept, units);
    return true;
}

// --- Appending -----------------------------------------------------------------------

bool TS_String::Append(const char* text)
{
    return AppendBytes(text, 0, TextEncoding::Ansi);
}

bool TS_String::Append(const TS_String& other)
{
    return AppendUnits(other.buffer, other.length);
}

TS_String& TS_String::operator+=(const char* text)
{
    if (text != nullptr && AppendBytesOutcome(text, 0, TextEncoding::Ansi) == Outcome::NoMemory)
        throw GS::OutOfMemoryException();
    return *this;
}

TS_String& TS_String::operator+=(const TS_String& other)
{
    if (AppendUnitsOutcome(other.buffer, other.length) == Outcome::NoMemory)
        throw GS::OutOfMemoryException();
    return *this;
}

bool TS_String::AppendUnits(const Unit* units, UInt32 count)
{
    return AppendUnitsOutcome(units, count) == Outcome::Done;
}

bool TS_String::AppendBytes(const void* bytes, UInt32 byteCount, TextEncoding encoding)
{
    if (bytes == nullptr)
        return true;
    return FitsInt32(byteCount) &&
           AppendBytesOutcome(bytes, static_cast<Int32>(byteCount), encoding) == Outcome::Done;
}

TS_String::Outcome TS_String::AppendUnitsOutcome(const Unit* units, UInt32 count)
{
    if (units == nullptr || count == 0)
        return Outcome::Done;
    const UInt64 needed = UInt64{length} + count + 1;
    if (needed > UINT32_MAX) {
        Clear();
        return Outcome::NoMemory;
    }
    if (capacity < needed) {
        Unit* block = TryAllocate(needed);
        if (block == nullptr) {
            Clear();
            return Outcome::NoMemory;
        }
        CopyUnits(block, buffer, length);
        CopyUnits(block + length, units, count); // `units` may lie in the old block
        Adopt(block, length, static_cast<UInt32>(needed));
    } else {
        CopyUnits(buffer + length, units, count);
    }
    length += count;
    buffer[length] = 0;
    return Outcome::Done;
}

TS_String::Outcome TS_String::AppendBytesOutcome(const void* bytes, Int32 byteCount, TextEncoding encoding)
{
    // Work blocks of the conversion count as growth too: without them the string is null.
    try {
        const Int32 size = ConvertText(encoding, bytes, byteCount, TextEncoding::Utf16LE, nullptr, 0, true);
        if (size < 2)
            return Outcome::BadText;
        const UInt32 added = static_cast<UInt32>(size) / 2 - 1;
        const UInt64 needed = UInt64{length} + added + 1;
        if (needed > UINT32_MAX) {
            Clear();
            return Outcome::NoMemory;
        }
        if (capacity < needed) {
            NewBlock block(TryAllocate(needed));
            if (block.Get() == nullptr) {
                Clear();
                return Outcome::NoMemory;
            }
            CopyUnits(block.Get(), buffer, length);
            if (ConvertText(encoding, bytes, byteCount, TextEncoding::Utf16LE, block.Get() + length, size,
                            true) < 0)
                return Outcome::BadText;
            Adopt(block.Take(), length, static_cast<UInt32>(needed));
        } else if (ConvertText(encoding, bytes, byteCount, TextEncoding::Utf16LE, buffer + length, size,
                               true) < 0) {
            buffer[length] = 0;
            return Outcome::BadText;
        }
        length += added;
        return Outcome::Done;
    } catch (const GS::OutOfMemoryException&) {
        Clear();
        return Outcome::NoMemory;
    }
}

// --- Access, comparison, search --------------------------------------------------------

TS_String::Unit TS_String::GetAt(UInt32 index) const noexcept
{
    return buffer != nullptr && index < length ? buffer[index] : Unit(0);
}

char TS_String::GetAnsiAt(UInt32 index) const
{
    if (buffer == nullptr || index >= length)
        return 0;
    char bytes[8];
    if (ConvertText(TextEncoding::Utf16LE, buffer + index, sizeof(Unit), TextEncoding::Ansi, bytes,
                    sizeof bytes, false) != 1)
        return '?';
    return bytes[0];
}

void TS_String::SetAnsiAt(UInt32 index, char byte)
{
    Unit unit;
    if (buffer != nullptr && index < length && AnsiUnit(byte, &unit))
        buffer[index] = unit;
}

namespace {

template <typename Map>
Int32 CompareUnits(const Unit* a, UInt32 aLength, UInt32 aOffset, const Unit* b, UInt32 bLength,
                   UInt32 bOffset, UInt32 maxCount, Map map)
{
    if (a == nullptr)
        return b == nullptr ? 0 : -1;
    if (b == nullptr)
        return 1;
    // Offsets beyond the text (which callers must not give) stop at the terminator.
    a += aOffset < aLength ? aOffset : aLength;
    b += bOffset < bLength ? bOffset : bLength;
    for (UInt32 n = 0; maxCount == 0 || n < maxCount; ++n) {
        const Unit x = map(a[n]);
        const Unit y = map(b[n]);
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            break;
    }
    return 0;
}

Unit Same(Unit u)
{
    return u;
}

Unit Lower(Unit u)
{
    return velmora::platform::ToLowerUnit(u);
}

} // namespace

Int32 TS_String::Compare(UInt32 ownOffset, const TS_String& other, UInt32 otherOffset, UInt32 maxCount) const
{
    return CompareUnits(buffer, length, ownOffset, other.buffer, other.length, otherOffset, maxCount, Same);
}

Int32 TS_String::CompareNoCase(UInt32 ownOffset, const TS_String& other, UInt32 otherOffset,
                               UInt32 maxCount) const
{
    return CompareUnits(buffer, length, ownOffset, other.buffer, other.length, otherOffset, maxCount, Lower);
}

bool TS_String::IsEqual(const char* text) const
{
    return Compare(0, TS_String(text), 0, 0) == 0;
}

bool TS_String::IsGreater(const TS_String& other) const
{
    if (buffer == nullptr)
        return false;
    if (other.buffer == nullptr)
        return true;
    const UInt32 common = length < other.length ? length : other.length;
    for (UInt32 i = 0; i < common; ++i)
        if (buffer[i] != other.buffer[i])
            return buffer[i] > other.buffer[i];
    return length > other.length;
}

Int32 TS_String::FindNoCase(const TS_String& other, UInt32 start) const
{
    if (buffer == nullptr || other.buffer == nullptr || other.length == 0 || start >= length ||
        other.length > length)
        return -1;
    for (UInt32 i = start; i <= length - other.length; ++i) {
        UInt32 k = 0;
        while (k < other.length && Lower(buffer[i + k]) == Lower(other.buffer[k]))
            ++k;
        if (k == other.length)
            return static_cast<Int32>(i);
    }
    return -1;
}

Int32 TS_String::ReverseFind(const TS_String& other) const
{
    if (buffer == nullptr || other.buffer == nullptr || other.length == 0 || other.length > length)
        return -1;
    for (UInt32 i = length - other.length + 1; i-- > 0;) {
        if (std::memcmp(buffer + i, other.buffer, other.length * sizeof(Unit)) == 0)
            return static_cast<Int32>(i);
    }
    return -1;
}

Int32 TS_String::FindChar(char ansiByte, UInt32 start) const
{
    Unit unit;
    if (buffer == nullptr || start >= length || ansiByte == 0 || !AnsiUnit(ansiByte, &unit))
        return -1;
    for (UInt32 i = start; i < length; ++i)
        if (buffer[i] == unit)
            return static_cast<Int32>(i);
    return -1;
}

Int32 TS_String::ReverseFindChar(char ansiByte) const
{
    Unit unit;
    if (buffer == nullptr || ansiByte == 0 || !AnsiUnit(ansiByte, &unit))
        return -1;
    return LastIndexOf(unit);
}

Int32 TS_String::LastIndexOf(Unit unit) const noexcept
{
    for (UInt32 i = length; i-- > 0;)
        if (buffer[i] == unit)
            return static_cast<Int32>(i);
    return -1;
}

bool TS_String::MatchesAt(const TS_String& other, UInt32 index) const
{
    if (buffer == nullptr || other.buffer == nullptr || other.length == 0 || (index != 0 && index >= length))
        return false;
    if (UInt64{index} + other.length > length)
        return false;
    return std::memcmp(buffer + index, other.buffer, other.length * sizeof(Unit)) == 0;
}

bool TS_String::EndsWith(const TS_String& other) const
{
    if (buffer == nullptr || other.buffer == nullptr || other.length == 0 || other.length > length)
        return false;
    return std::memcmp(buffer + length - other.length, other.buffer, other.length * sizeof(Unit)) == 0;
}

// --- Substrings and transformations ------------------------------------------------------

TS_String TS_String::FromUnits(const Unit* units, UInt32 count)
{
    TS_String result;
    Unit* block = Allocate(std::size_t{count} + 1);
    CopyUnits(block, units, count);
    block[count] = 0;
    result.Adopt(block, count, count + 1);
    return result;
}

void TS_String::Adopt(Unit* block, UInt32 units, UInt32 blockCapacity) noexcept
{
    GS::DeleteOperator(buffer);
    buffer = block;
    length = units;
    capacity = blockCapacity;
}

TS_String TS_String::Mid(UInt32 start) const
{
    if (buffer == nullptr || start > length)
        return TS_String();
    return FromUnits(buffer + start, length - start);
}

TS_String TS_String::Mid(UInt32 start, UInt32 count) const
{
    if (buffer == nullptr || start > length)
        return TS_String();
    const UInt32 remaining = length - start;
    return FromUnits(buffer + start, count < remaining ? count : remaining);
}

TS_String TS_String::Right(UInt32 count, UInt32 skip) const
{
    if (buffer == nullptr || skip > length || UInt64{count} + skip > length)
        return TS_String();
    return FromUnits(buffer + (length - skip - count), count);
}

TS_String TS_String::ToLower() const
{
    if (buffer == nullptr)
        return TS_String();
    TS_String result = FromUnits(buffer, length);
    for (UInt32 i = 0; i < length; ++i)
        result.buffer[i] = velmora::platform::ToLowerUnit(result.buffer[i]);
    return result;
}

TS_String TS_String::ToUpper() const
{
    if (buffer == nullptr)
        return TS_String();
    TS_String result = FromUnits(buffer, length);
    for (UInt32 i = 0; i < length; ++i)
        result.buffer[i] = velmora::platform::ToUpperUnit(result.buffer[i]);
    return result;
}

TS_String TS_String::Replace(const TS_String& find, const TS_String& replacement) const
{
    if (buffer == nullptr || find.buffer == nullptr || replacement.buffer == nullptr)
        return TS_String();
    if (find.length == 0)
        return *this;
    const std::size_t findBytes = find.length * sizeof(Unit);
    auto matchesAt = [&](UInt32 i) {
        return UInt64{i} + find.length <= length && std::memcmp(buffer + i, find.buffer, findBytes) == 0;
    };
    UInt64 occurrences = 0;
    for (UInt32 i = 0; i < length;) {
        if (matchesAt(i)) {
            ++occurrences;
            i += find.length;
        } else {
            ++i;
        }
    }
    const Int64 resultLength =
        Int64{length} + (Int64{replacement.length} - Int64{find.length}) * static_cast<Int64>(occurrences);
    if (resultLength >= Int64{UINT32_MAX})
        throw GS::OutOfMemoryException();
    TS_String result;
    Unit* block = Allocate(static_cast<std::size_t>(resultLength) + 1);
    result.Adopt(block, static_cast<UInt32>(resultLength), static_cast<UInt32>(resultLength) + 1);
    Unit* out = block;
    for (UInt32 i = 0; i < length;) {
        if (matchesAt(i)) {
            CopyUnits(out, replacement.buffer, replacement.length);
            out += replacement.length;
            i += find.length;
        } else {
            *out++ = buffer[i++];
        }
    }
    *out = 0;
    return result;
}

TS_String TS_String::Replace(const char* find, const char* replacement) const
{
    return Replace(TS_String(find), TS_String(replacement));
}

TS_String TS_String::Trim(bool left, bool right, bool tabs) const
{
    if (buffer == nullptr)
        return TS_String();
    auto blank = [tabs](Unit u) { return u == u' ' || (tabs && u == u'\t'); };
    UInt32 first = 0;
    UInt32 end = length;
    if (left)
        while (first < end && blank(buffer[first]))
            ++first;
    if (right)
        while (end > first && blank(buffer[end - 1]))
            --end;
    return FromUnits(buffer + first, end - first);
}

// --- Other types ------------------------------------------------------------------------

GS::UniString TS_String::ToUniString() const
{
    return buffer != nullptr ? GS::UniString(buffer, length) : GS::UniString();
}

void TS_String::FromUniChars(const GS::uchar_t* units)
{
    if (units == nullptr) {
        Clear();
        return;
    }
    const GS::UniString text(units);
    *this = FromUnits(units, text.GetLength());
}

EncodedBytes TS_String::ToBytes(TextEncoding encoding) const
{
    static const Unit none = 0;
    const Unit* units = length > 0 ? buffer : &none;
    const UInt64 bytes = UInt64{length} * sizeof(Unit);
    if (bytes > static_cast<UInt64>(INT_MAX))
        return EncodedBytes(nullptr, 0, encoding);
    const auto count = static_cast<Int32>(bytes);
    const Int32 size = ConvertText(TextEncoding::Utf16LE, units, count, encoding, nullptr, 0, true);
    if (size <= 0)
        return EncodedBytes(nullptr, 0, encoding);
    EncodedBytes result(static_cast<char*>(GS::NewArrayOperator(static_cast<std::size_t>(size))),
                        static_cast<UInt32>(size), encoding);
    if (result.data == nullptr)
        throw GS::OutOfMemoryException();
    if (ConvertText(TextEncoding::Utf16LE, units, count, encoding, result.data, size, true) != size)
        return EncodedBytes(nullptr, 0, encoding);
    return result;
}

TS_String TS_String::FromNumber(Int32 value, UInt32 width)
{
    std::string text(std::size_t{width} + 16, '\0');
    if (width == 0) {
        std::snprintf(text.data(), text.size(), "%ld", static_cast<long>(value));
    } else {
        char format[24];
        std::snprintf(format, sizeof format, "%c%uld", '%', width);
        std::snprintf(text.data(), text.size(), format, static_cast<long>(value));
    }
    return TS_String(text.c_str());
}

Int32 TS_String::ToLong() const
{
    const EncodedBytes bytes = ToBytes(TextEncoding::Ansi);
    return ParseLong(bytes.data);
}

TextEncoding TS_String::FromEncodedBytes(const void* bytes, UInt32 byteCount, bool detect,
                                         TextEncoding fallback)
{
    if (byteCount == 0 || bytes == nullptr) {
        *this = FromUnits(nullptr, 0);
        return detect ? TextEncoding::Unknown : fallback;
    }
    // Decodes exactly `count` bytes; none gives an empty string.
    auto decode = [this](const unsigned char* from, UInt32 count, TextEncoding encoding) {
        if (count == 0)
            *this = FromUnits(nullptr, 0);
        else if (FitsInt32(count))
            ConvertFrom(from, static_cast<Int32>(count), encoding, true);
    };
    const auto* data = static_cast<const unsigned char*>(bytes);
    TextEncoding marked = TextEncoding::Unknown;
    if (const UInt32 mark = DetectBOM(data, byteCount, &marked); mark > 0) {
        const bool supported = marked != TextEncoding::Unknown && marked != TextEncoding::Unsupported;
        decode(data + mark, byteCount - mark, supported ? marked : TextEncoding::Ansi);
        return marked;
    }
    if (!detect) {
        const bool usable = fallback != TextEncoding::Unknown && fallback != TextEncoding::Unsupported;
        decode(data, byteCount, usable ? fallback : TextEncoding::Ansi);
        return fallback;
    }
    TextEncoding guess = TextEncoding::Unknown;
    if (GuessEncoding(data, byteCount, &guess)) {
        decode(data, byteCount, guess);
        return guess;
    }
    decode(data, byteCount, TextEncoding::Ansi);
    return TextEncoding::Unknown;
}

// --- Conversion from bytes ------------------------------------------------------------------

// Converts `byteCount` bytes (0: up to the zero unit) into this string: sized by a
// first call, then converted into the block when `reuseBlock` and it is large
// enough, else into a new block of exactly the size. False, the string unchanged,
// when the text cannot be converted.
bool TS_String::ConvertFrom(const void* bytes, Int32 byteCount, TextEncoding encoding, bool reuseBlock)
{
    const Int32 size = ConvertText(encoding, bytes, byteCount, TextEncoding::Utf16LE, nullptr, 0, true);
    if (size < 2)
        return false;
    const auto units = static_cast<UInt32>(size) / 2;
    if (reuseBlock && buffer != nullptr && capacity >= units) {
        // ConvertText writes nothing unless it succeeds, so a failure keeps the old text.
        if (ConvertText(encoding, bytes, byteCount, TextEncoding::Utf16LE, buffer, size, true) < 0)
            return false;
        length = units - 1;
        return true;
    }
    NewBlock block(Allocate(units));
    if (ConvertText(encoding, bytes, byteCount, TextEncoding::Utf16LE, block.Get(), size, true) < 0)
        return false;
    Adopt(block.Take(), units - 1, units);
    return true;
}

// --- Free functions ----------------------------------------------------------------------

TS_String operator+(const TS_String& left, const TS_String& right)
{
    if (left.IsNull() && right.IsNull())
        return TS_String();
    TS_String result;
    result.SetCapacity(left.GetLength() + right.GetLength() + 1, false);
    if (result.IsNull())
        throw GS::OutOfMemoryException();
    result.AppendUnits(left.GetUnits(), left.GetLength());
    result.AppendUnits(right.GetUnits(), right.GetLength());
    return result;
}

TS_String operator+(const TS_String& left, const char* right)
{
    TS_String result(left);
    result += right;
    return result;
}

TS_String operator+(const char* left, const TS_String& right)
{
    TS_String result(left);
    result += right;
    return result;
}

UInt32 TextLength(const char* text)
{
    return text != nullptr ? static_cast<UInt32>(std::strlen(text)) : 0;
}

TS_String LimitLength(const TS_String& text, Int32 limit)
{
    if (text.IsNull())
        return TS_String();
    if (limit > 0 && text.GetLength() < static_cast<UInt32>(limit))
        return text;
    return text.Mid(0, limit > 1 ? static_cast<UInt32>(limit - 1) : 0);
}

} // namespace velmora::core
