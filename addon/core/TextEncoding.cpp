#include "core/TextEncoding.hpp"

#include <bit>
#include <cstring>

#include "velmora/Platform.hpp"

namespace velmora::core {

static_assert(std::endian::native == std::endian::little, "the internal form is UTF-16 little-endian");

namespace {

using velmora::platform::Unit;

// A work block from the host's array operator, released on every path.
template <typename T> class WorkBlock {
public:
    WorkBlock() = default;
    WorkBlock(const WorkBlock&) = delete;
    WorkBlock& operator=(const WorkBlock&) = delete;
    ~WorkBlock() { GS::DeleteArrayOperator(block); }

    T* Allocate(std::size_t count)
    {
        GS::DeleteArrayOperator(block);
        block = static_cast<T*>(GS::NewArrayOperator((count == 0 ? 1 : count) * sizeof(T)));
        if (block == nullptr)
            throw GS::OutOfMemoryException();
        return block;
    }

private:
    T* block = nullptr;
};

enum class Form { EightBit, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

Form FormOf(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf16LE:
        return Form::Utf16LE;
    case TextEncoding::Utf16BE:
        return Form::Utf16BE;
    case TextEncoding::Utf32LE:
        return Form::Utf32LE;
    case TextEncoding::Utf32BE:
        return Form::Utf32BE;
    default:
        return Form::EightBit;
    }
}

Int32 UnitWidth(Form form)
{
    switch (form) {
    case Form::EightBit:
        return 1;
    case Form::Utf16LE:
    case Form::Utf16BE:
        return 2;
    default:
        return 4;
    }
}

UInt16 Load16(const unsigned char* p)
{
    UInt16 value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

UInt32 Load32(const unsigned char* p)
{
    UInt32 value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

UInt16 Swap16(UInt16 v)
{
    return static_cast<UInt16>((v << 8) | (v >> 8));
}

UInt32 Swap32(UInt32 v)
{
    return (v << 24) | ((v & 0xFF00) << 8) | ((v >> 8) & 0xFF00) | (v >> 24);
}

// The number of units of `width` bytes: the byte count divided by the width, or
// up to the zero unit when the count is 0 or less.
std::size_t CountUnits(const unsigned char* source, Int32 bytes, Int32 width)
{
    if (bytes > 0)
        return static_cast<std::size_t>(bytes / width);
    std::size_t n = 0;
    if (width == 2) {
        while (Load16(source + 2 * n) != 0)
            ++n;
    } else {
        while (Load32(source + 4 * n) != 0)
            ++n;
    }
    return n;
}

bool IsHigh(UInt32 u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}

bool IsLow(UInt32 u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

// UTF-32 values to UTF-16 units: counts them, and writes them when `out` is given.
std::size_t Utf32ToUnits(const unsigned char* source, std::size_t count, bool swap, Unit* out)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < count; ++i) {
        UInt32 value = Load32(source + 4 * i);
        if (swap)
            value = Swap32(value);
        if (value >= 0x10000 && value <= 0x10FFFF) {
            if (out != nullptr) {
                out[n] = static_cast<Unit>(0xD800 + ((value - 0x10000) >> 10));
                out[n + 1] = static_cast<Unit>(0xDC00 + ((value - 0x10000) & 0x3FF));
            }
            n += 2;
        } else {
            if (out != nullptr)
                out[n] = (value >= 0x110000 || (value >= 0xD800 && value <= 0xDFFF))
                             ? Unit(0xFFFD)
                             : static_cast<Unit>(value);
            n += 1;
        }
    }
    return n;
}

// UTF-16 units to UTF-32 values: counts them, and writes them when `out` is given.
// A high surrogate at the end or before the zero unit fails (-1); one before any
// other unit that is not a low surrogate is written as its own value, as a low
// surrogate without a high one is.
Int32 UnitsToUtf32(const Unit* units, std::size_t count, bool swap, unsigned char* out)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < count; ++i) {
        UInt32 value = units[i];
        if (IsHigh(value)) {
            if (i + 1 == count || units[i + 1] == 0)
                return ConvertFailed;
            if (IsLow(units[i + 1])) {
                value = ((value - 0xD800) << 10) + (units[i + 1] - 0xDC00u) + 0x10000;
                ++i;
            }
        }
        if (out != nullptr) {
            UInt32 stored = swap ? Swap32(value) : value;
            std::memcpy(out + 4 * n, &stored, sizeof stored);
        }
        ++n;
    }
    return static_cast<Int32>(n);
}

} // namespace

Int32 ConvertText(TextEncoding sourceEncoding, const void* source, Int32 sourceBytes,
                  TextEncoding targetEncoding, void* target, Int32 targetCapacity, bool terminate)
{
    if (source == nullptr) {
        if (target != nullptr && targetCapacity > 0)
            *static_cast<char*>(target) = 0;
        return ConvertNoSource;
    }
    if (sourceEncoding == TextEncoding::Unknown || sourceEncoding == TextEncoding::Unsupported)
        return ConvertBadSource;
    if (targetEncoding == TextEncoding::Unknown || targetEncoding == TextEncoding::Unsupported)
        return ConvertBadTarget;

    const Form from = FormOf(sourceEncoding);
    const Form to = FormOf(targetEncoding);
    const Int32 terminatorSize = UnitWidth(to);
    const auto* bytes = static_cast<const unsigned char*>(source);
    auto* out = static_cast<unsigned char*>(target);

    // An empty source.
    if (sourceBytes == 0) {
        bool empty = from == Form::EightBit ? bytes[0] == 0
                     : UnitWidth(from) == 2 ? Load16(bytes) == 0
                                            : Load32(bytes) == 0;
        if (empty) {
            if (!terminate)
                return 0;
            if (target == nullptr)
                return terminatorSize;
            if (targetCapacity < terminatorSize)
                return ConvertTargetTooSmall;
            std::memset(out, 0, static_cast<std::size_t>(terminatorSize));
            return terminatorSize;
        }
    }

    // Source to the pivot (UTF-16 little-endian).
    WorkBlock<Unit> work;
    const Unit* pivot = nullptr;
    std::size_t units = 0;
    switch (from) {
    case Form::Utf16LE:
    case Form::Utf16BE:
        units = CountUnits(bytes, sourceBytes, 2);
        if (from == Form::Utf16LE && reinterpret_cast<std::uintptr_t>(bytes) % alignof(Unit) == 0) {
            pivot = reinterpret_cast<const Unit*>(bytes);
        } else {
            Unit* copy = work.Allocate(units);
            for (std::size_t i = 0; i < units; ++i) {
                UInt16 u = Load16(bytes + 2 * i);
                copy[i] = from == Form::Utf16BE ? Swap16(u) : u;
            }
            pivot = copy;
        }
        break;
    case Form::Utf32LE:
    case Form::Utf32BE: {
        std::size_t values = CountUnits(bytes, sourceBytes, 4);
        bool swap = from == Form::Utf32BE;
        units = Utf32ToUnits(bytes, values, swap, nullptr);
        pivot = work.Allocate(units);
        Utf32ToUnits(bytes, values, swap, const_cast<Unit*>(pivot));
        break;
    }
    case Form::EightBit: {
        const unsigned codePage = CodePageOf(sourceEncoding);
        const char* text = static_cast<const char*>(source);
        const int count = sourceBytes > 0 ? sourceBytes : -1;
        int size = velmora::platform::MultiByteToWide(codePage, text, count, nullptr, 0);
        if (size == 0)
            return ConvertFailed;
        if (to == Form::Utf16LE || to == Form::Utf16BE) {
            // The size of a UTF-16 result is known without converting.
            const Int32 sized = count < 0 ? size - 1 : size;
            const Int32 total = 2 * sized + (terminate ? 2 : 0);
            if (target == nullptr)
                return total;
            if (total > targetCapacity)
                return ConvertTargetTooSmall;
            // The internal form goes straight into the caller's block, without a work block
            // (a zero-terminated source brings its terminator, which must then be wanted).
            if (to == Form::Utf16LE && (count > 0 || terminate) &&
                reinterpret_cast<std::uintptr_t>(target) % alignof(Unit) == 0) {
                Unit* direct = static_cast<Unit*>(target);
                const int written = velmora::platform::MultiByteToWide(codePage, text, count, direct, size);
                if (written != size)
                    return ConvertFailed;
                if (terminate)
                    direct[sized] = 0;
                return total;
            }
        }
        Unit* converted = work.Allocate(static_cast<std::size_t>(size) + 1);
        int written = velmora::platform::MultiByteToWide(codePage, text, count, converted, size + 1);
        if (written == 0)
            return ConvertFailed;
        units = static_cast<std::size_t>(count < 0 ? written - 1 : written);
        pivot = converted;
        break;
    }
    }

    // The pivot to the target.
    switch (to) {
    case Form::Utf16LE:
    case Form::Utf16BE: {
        const Int32 total = static_cast<Int32>(2 * units) + (terminate ? 2 : 0);
        if (target == nullptr)
            return total;
        if (total > targetCapacity)
            return ConvertTargetTooSmall;
        if (to == Form::Utf16LE) {
            std::memmove(out, pivot, 2 * units);
        } else {
            for (std::size_t i = 0; i < units; ++i) {
                UInt16 swapped = Swap16(pivot[i]);
                std::memcpy(out + 2 * i, &swapped, 2);
            }
        }
        if (terminate)
            std::memset(out + 2 * units, 0, 2);
        return total;
    }
    case Form::Utf32LE:
    case Form::Utf32BE: {
        const bool swap = to == Form::Utf32BE;
        const Int32 values = UnitsToUtf32(pivot, units, swap, nullptr);
        if (values < 0)
            return values;
        const Int32 total = 4 * values + (terminate ? 4 : 0);
        if (target == nullptr)
            return total;
        if (total > targetCapacity)
            return ConvertTargetTooSmall;
        UnitsToUtf32(pivot, units, swap, out);
        if (terminate)
            std::memset(out + 4 * values, 0, 4);
        return total;
    }
    case Form::EightBit: {
        const unsigned codePage = CodePageOf(targetEncoding);
        const int count = static_cast<int>(units);
        const int size = velmora::platform::WideToMultiByte(codePage, pivot, count, nullptr, 0);
        if (size == 0)
            return ConvertFailed;
        const Int32 total = size + (terminate ? 1 : 0);
        if (target == nullptr)
            return total;
        if (total > targetCapacity)
            return ConvertTargetTooSmall;
        int written =
            velmora::platform::WideToMultiByte(codePage, pivot, count, static_cast<char*>(target), size);
        if (written == 0)
            return ConvertFailed;
        if (terminate)
            out[written] = 0;
        return written + (terminate ? 1 : 0);
    }
    }
    return ConvertFailed;
}

UInt32 DetectBOM(const void* data, UInt32 byteCount, TextEncoding* encoding)
{
    struct Mark {
        unsigned char bytes[4];
        UInt32 length;
        TextEncoding encoding;
    };
    // After FF FE (when it is not the start of FF FE 00 00), in the order tried.
    static const Mark marks[] = {
        {{0xFE, 0xFF}, 2, TextEncoding::Utf16BE},
        {{0xEF, 0xBB, 0xBF}, 3, TextEncoding::Utf8},
        {{0xF7, 0x64, 0x4C}, 3, TextEncoding::Unsupported},
        {{0x0E, 0xFE, 0xFF}, 3, TextEncoding::Unsupported},
        {{0xFB, 0xEE, 0x28}, 3, TextEncoding::Unsupported},
    };
    static const Mark longMarks[] = {
        {{0xFF, 0xFE, 0x00, 0x00}, 4, TextEncoding::Utf32LE},
        {{0x00, 0x00, 0xFE, 0xFF}, 4, TextEncoding::Utf32BE},
        {{0xDD, 0x73, 0x66, 0x73}, 4, TextEncoding::Unsupported},
        {{0x84, 0x31, 0x95, 0x33}, 4, TextEncoding::Unsupported},
    };

    TextEncoding found = TextEncoding::Unknown;
    UInt32 length = 0;
    const auto* b = static_cast<const unsigned char*>(data);
    if (b != nullptr && byteCount >= 2) {
        if (b[0] == 0xFF && b[1] == 0xFE && (byteCount < 4 || b[2] != 0 || b[3] != 0)) {
            found = TextEncoding::Utf16LE;
            length = 2;
        }
        for (const Mark& mark : marks) {
            if (length == 0 && byteCount >= mark.length && std::memcmp(b, mark.bytes, mark.length) == 0) {
                found = mark.encoding;
                length = mark.length;
            }
        }
        if (length == 0 && byteCount >= 4 && b[0] == 0x2B && b[1] == 0x2F && b[2] == 0x76 &&
            (b[3] == 0x38 || b[3] == 0x39 || b[3] == 0x2B || b[3] == 0x2F)) {
            found = TextEncoding::Utf7;
            length = (b[3] == 0x38 && byteCount >= 5 && b[4] == 0x2D) ? 5 : 4;
        }
        for (const Mark& mark : longMarks) {
            if (length == 0 && byteCount >= 4 && std::memcmp(b, mark.bytes, 4) == 0) {
                found = mark.encoding;
                length = 4;
            }
        }
    }
    if (encoding != nullptr)
        *encoding = found;
    return length;
}

bool GuessEncoding(const void* data, UInt32 byteCount, TextEncoding* encoding)
{
    const auto* b = static_cast<const unsigned char*>(data);
    if (b == nullptr && byteCount > 0)
        return false;
    TextEncoding guess = TextEncoding::Unknown;
    if (byteCount % 4 == 0) {
        bool littleEndian = true;
        for (UInt32 i = 0; i < byteCount && littleEndian; i += 4)
            littleEndian = Load32(b + i) <= 0x10FFFF;
        bool bigEndian = !littleEndian;
        for (UInt32 i = 0; i < byteCount && bigEndian; i += 4)
            bigEndian = b[i] == 0 && b[i + 1] <= 0x10;
        if (littleEndian)
            guess = TextEncoding::Utf32LE;
        else if (bigEndian)
            guess = TextEncoding::Utf32BE;
    }
    if (guess == TextEncoding::Unknown && byteCount > 0) {
        // Shares of zero bytes: 2E/N and 2O/N against 0.2 and 0.6, in whole numbers.
        UInt64 even = 0;
        UInt64 odd = 0;
        for (UInt32 i = 0; i < byteCount; ++i) {
            if (b[i] == 0)
                ++(i % 2 == 0 ? even : odd);
        }
        const UInt64 n = byteCount;
        if (20 * even < 2 * n && 20 * odd > 6 * n)
            guess = TextEncoding::Utf16LE;
        else if (20 * odd < 2 * n && 20 * even > 6 * n)
            guess = TextEncoding::Utf16BE;
    }
    if (guess == TextEncoding::Unknown && IsValidUTF8(b, byteCount, false))
        guess = TextEncoding::Utf8;
    if (guess == TextEncoding::Unknown)
        return false;
    if (encoding != nullptr)
        *encoding = guess;
    return true;
}

bool IsValidUTF8(const void* data, UInt32 byteCount, bool requireNonAscii)
{
    const auto* b = static_cast<const unsigned char*>(data);
    if (b == nullptr)
        return byteCount == 0 && !requireNonAscii;
    bool nonAscii = false;
    UInt32 i = 0;
    while (i < byteCount) {
        const unsigned char lead = b[i];
        if (lead <= 0x7F) {
            ++i;
            continue;
        }
        nonAscii = true;
        UInt32 follow;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            follow = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            follow = 2;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            follow = 3;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (byteCount - i - 1 < follow)
            return false;
        if (b[i + 1] < low || b[i + 1] > high)
            return false;
        for (UInt32 k = 2; k <= follow; ++k)
            if (b[i + k] < 0x80 || b[i + k] > 0xBF)
                return false;
        i += follow + 1;
    }
    return !requireNonAscii || nonAscii;
}

UInt32 CodePageOf(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf7:
        return 65000;
    case TextEncoding::Utf8:
        return 65001;
    case TextEncoding::Utf16LE:
        return 1200;
    case TextEncoding::Utf16BE:
        return 1201;
    case TextEncoding::Utf32LE:
        return 12000;
    case TextEncoding::Utf32BE:
        return 12001;
    case TextEncoding::UsAscii:
        return 20127;
    case TextEncoding::MacRoman:
        return 10000;
    case TextEncoding::Windows1252:
        return 1252;
    case TextEncoding::Iso8859_1:
        return 28591;
    default:
        return 0;
    }
}

} // namespace velmora::core
