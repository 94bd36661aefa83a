// GS::UniString: the host's UTF-16 string value.
#include <cstring>
#include <string>

#include "GSRoot.hpp"
#include "io/TextConversion.hpp"

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
    const std::u16string text = kit::iotext::Utf16FromUtf8(utf8);
    Assign(text.data(), static_cast<UInt32>(text.size()));
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
    const std::string text = kit::iotext::Utf8FromUtf16(ToUStr(), length);
    auto* out = static_cast<char*>(NewArrayOperator(text.size() + 1));
    if (out == nullptr)
        throw OutOfMemoryException();
    std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

} // namespace GS
