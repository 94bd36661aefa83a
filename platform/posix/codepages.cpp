// Code-page conversion on POSIX systems, giving the results of Windows'
// MultiByteToWideChar and WideCharToMultiByte: the single-byte pages through
// tables read from iconv (single_byte.hpp), UTF-8 and UTF-7 by their own
// converters (utf8.hpp, utf7.hpp).
//
// Every conversion writes exactly as much as its sizing call reported, for every
// input: the text core sizes each result before it converts, and a difference
// would make the text unconvertible (a setting that no file can hold).
#include <climits>
#include <cstdlib>
#include <cstring>

#include "output.hpp"
#include "single_byte.hpp"
#include "utf7.hpp"
#include "utf8.hpp"
#include "velmora/platform.hpp"

namespace velmora::platform {
namespace {

using detail::Output;
using detail::SingleBytePage;

enum class Page { Windows1252, MacRoman, Latin1, Ascii, Utf8, Utf7, Unsupported };

Page PageOfNumber(unsigned codePage)
{
    switch (codePage) {
    case 1252:
        return Page::Windows1252;
    case 10000:
        return Page::MacRoman;
    case 28591:
        return Page::Latin1;
    case 20127:
        return Page::Ascii;
    case 65001:
        return Page::Utf8;
    case 65000:
        return Page::Utf7;
    default:
        return Page::Unsupported;
    }
}

Page PageOf(unsigned codePage)
{
    return PageOfNumber(codePage == 0 ? AnsiCodePage() : codePage);
}

SingleBytePage SingleByteOf(Page page)
{
    switch (page) {
    case Page::MacRoman:
        return SingleBytePage::MacRoman;
    case Page::Latin1:
        return SingleBytePage::Latin1;
    case Page::Ascii:
        return SingleBytePage::Ascii;
    default:
        return SingleBytePage::Windows1252;
    }
}

std::size_t DecodeUtf7(const unsigned char* source, std::size_t count, Unit* target, std::size_t capacity)
{
    Output<Unit> output(target, capacity);
    detail::Utf7Decode(source, count, output);
    return output.Overflowed() ? 0 : output.Count();
}

std::size_t EncodeUtf7(const Unit* source, std::size_t count, char* target, std::size_t capacity)
{
    Output<char> output(target, capacity);
    detail::Utf7Encode(source, count, output);
    return output.Overflowed() ? 0 : output.Count();
}

int ToResult(std::size_t count)
{
    return count > static_cast<std::size_t>(INT_MAX) ? 0 : static_cast<int>(count);
}

std::size_t UnitLength(const Unit* text)
{
    std::size_t n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

} // namespace

unsigned AnsiCodePage()
{
    if (const char* setting = std::getenv("VELMORA_ANSI_CODEPAGE")) {
        char* end = nullptr;
        unsigned long value = std::strtoul(setting, &end, 10);
        if (end != setting && *end == '\0' && value != 0 && value <= UINT_MAX &&
            PageOfNumber(static_cast<unsigned>(value)) != Page::Unsupported)
            return static_cast<unsigned>(value);
    }
    return 1252;
}

int MultiByteToWide(unsigned codePage, const char* source, int count, Unit* target, int capacity)
{
    Page page = PageOf(codePage);
    if (page == Page::Unsupported || source == nullptr || count == 0 || capacity < 0)
        return 0;
    std::size_t bytes = count < 0 ? std::strlen(source) + 1 : static_cast<std::size_t>(count);
    if (capacity == 0)
        target = nullptr;
    auto room = static_cast<std::size_t>(capacity);
    const auto* in = reinterpret_cast<const unsigned char*>(source);
    switch (page) {
    case Page::Utf8:
        return ToResult(detail::Utf8Decode(in, bytes, target, room));
    case Page::Utf7:
        return ToResult(DecodeUtf7(in, bytes, target, room));
    default:
        return ToResult(detail::SingleByteDecode(SingleByteOf(page), in, bytes, target, room));
    }
}

int WideToMultiByte(unsigned codePage, const Unit* source, int count, char* target, int capacity)
{
    Page page = PageOf(codePage);
    if (page == Page::Unsupported || source == nullptr || count == 0 || capacity < 0)
        return 0;
    std::size_t units = count < 0 ? UnitLength(source) + 1 : static_cast<std::size_t>(count);
    if (capacity == 0)
        target = nullptr;
    auto room = static_cast<std::size_t>(capacity);
    switch (page) {
    case Page::Utf8:
        return ToResult(detail::Utf8Encode(source, units, target, room));
    case Page::Utf7:
        return ToResult(EncodeUtf7(source, units, target, room));
    default:
        return ToResult(detail::SingleByteEncode(SingleByteOf(page), source, units, target, room));
    }
}

} // namespace velmora::platform
