// GS::UniString: the host's UTF-16 string value.
#include <cstring>
#include <new>

#include "GSRoot.hpp"

namespace GS {

namespace {

const uchar_t emptyText[1] = {0};

UInt32 CountUnits(const uchar_t* units)
{
    UInt32 n = 0;
    while (units[n] != 0)
        ++n;
    return n;
}

} // namespace

const GS::Guid NULLGuid = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

UniString::UniString() noexcept : units(nullptr), length(0) {}

UniString::UniString(const uchar_t* text) : units(nullptr), length(0)
{
    if (text != nullptr)
        Assign(text, CountUnits(text));
}

UniString::UniString(const uchar_t* text, UInt32 count) : units(nullptr), length(0)
{
    if (text != nullptr)
        Assign(text, count);
}

UniString::UniString(const char* utf8) : units(nullptr), length(0)
{
    if (utf8 == nullptr)
        return;
    // Decode UTF-8; malformed bytes become U+FFFD.
    const auto* s = reinterpret_cast<const unsigned char*>(utf8);
    std::size_t n = std::strlen(utf8);
    auto* out = new uchar_t[2 * n + 1];
    UInt32 count = 0;
    for (std::size_t i = 0; i < n;) {
        unsigned c = s[i];
        unsigned cp = 0xFFFD;
        std::size_t extra = 0;
        if (c < 0x80) {
            cp = c;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        }
        std::size_t j = 1;
        for (; j <= extra && i + j < n && (s[i + j] & 0xC0) == 0x80; ++j)
            cp = (cp << 6) | (s[i + j] & 0x3F);
        if (j <= extra) {
            cp = 0xFFFD;
            extra = j - 1;
        }
        i += 1 + extra;
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out[count++] = static_cast<uchar_t>(0xD800 + (cp >> 10));
            out[count++] = static_cast<uchar_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out[count++] = static_cast<uchar_t>(cp > 0xFFFF ? 0xFFFD : cp);
        }
    }
    Assign(out, count);
    delete[] out;
}

UniString::UniString(const UniString& other) : units(nullptr), length(0)
{
    Assign(other.units, other.length);
}

UniString::UniString(UniString&& other) noexcept : units(other.units), length(other.length)
{
    other.units = nullptr;
    other.length = 0;
}

UniString& UniString::operator=(const UniString& other)
{
    if (this != &other)
        Assign(other.units, other.length);
    return *this;
}

UniString& UniString::operator=(UniString&& other) noexcept
{
    if (this != &other) {
        delete[] units;
        units = other.units;
        length = other.length;
        other.units = nullptr;
        other.length = 0;
    }
    return *this;
}

UniString::~UniString()
{
    delete[] units;
}

void UniString::Assign(const uchar_t* src, UInt32 count)
{
    uchar_t* fresh = nullptr;
    if (count > 0) {
        fresh = new uchar_t[count + 1];
        std::memcpy(fresh, src, count * sizeof(uchar_t));
        fresh[count] = 0;
    }
    delete[] units;
    units = fresh;
    length = count;
}

const uchar_t* UniString::ToUStr() const noexcept
{
    return units != nullptr ? units : emptyText;
}

bool UniString::operator==(const UniString& other) const noexcept
{
    return length == other.length &&
           (length == 0 || std::memcmp(units, other.units, length * sizeof(uchar_t)) == 0);
}

UniString& UniString::Append(const UniString& other)
{
    return Append(other.units, other.length);
}

UniString& UniString::Append(const uchar_t* more, UInt32 count)
{
    if (more == nullptr || count == 0)
        return *this;
    auto* fresh = new uchar_t[length + count + 1];
    if (length > 0)
        std::memcpy(fresh, units, length * sizeof(uchar_t));
    std::memcpy(fresh + length, more, count * sizeof(uchar_t));
    fresh[length + count] = 0;
    delete[] units;
    units = fresh;
    length += count;
    return *this;
}

char* UniString::ToUtf8() const
{
    auto* out = static_cast<char*>(NewArrayOperator(static_cast<std::size_t>(length) * 3 + 1));
    if (out == nullptr)
        throw OutOfMemoryException();
    std::size_t n = 0;
    for (UInt32 i = 0; i < length; ++i) {
        unsigned cp = units[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < length && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out[n++] = static_cast<char>(cp);
        } else if (cp < 0x800) {
            out[n++] = static_cast<char>(0xC0 | (cp >> 6));
            out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out[n++] = static_cast<char>(0xE0 | (cp >> 12));
            out[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out[n++] = static_cast<char>(0xF0 | (cp >> 18));
            out[n++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    out[n] = 0;
    return out;
}

} // namespace GS
