// Code-page conversion on POSIX systems, giving the results of Windows'
// MultiByteToWideChar and WideCharToMultiByte: the single-byte pages through
// tables read from iconv (SingleByte.hpp), the double-byte ANSI pages of East
// Asia through iconv (DoubleByte.hpp), UTF-8 and UTF-7 by their own converters
// (Utf8.hpp, Utf7.hpp).
//
// Every conversion writes exactly as much as its sizing call reported, for every
// input: the text core sizes each result before it converts, and a difference
// would make the text unconvertible (a setting that no file can hold).
#include <climits>
#include <cstdlib>
#include <cstring>

#include "DoubleByte.hpp"
#include "Output.hpp"
#include "SingleByte.hpp"
#include "Utf7.hpp"
#include "Utf8.hpp"
#include "velmora/Platform.hpp"

namespace velmora::platform {
namespace {

using detail::DoubleBytePage;
using detail::Output;
using detail::SingleBytePage;

enum class Kind { SingleByte, DoubleByte, Utf8, Utf7, Unsupported };

// What converts a code page: every page Windows uses as a system ANSI code page,
// and the few others the text encodings name.
struct Page {
    Kind kind = Kind::Unsupported;
    SingleBytePage single = SingleBytePage::Windows1252;
    DoubleBytePage dual = DoubleBytePage::Windows932;
};

Page PageOfNumber(unsigned codePage)
{
    const auto single = [](SingleBytePage p) {
        return Page{Kind::SingleByte, p, DoubleBytePage::Windows932};
    };
    const auto dual = [](DoubleBytePage p) { return Page{Kind::DoubleByte, SingleBytePage::Windows1252, p}; };
    switch (codePage) {
    case 1252:
        return single(SingleBytePage::Windows1252);
    case 10000:
        return single(SingleBytePage::MacRoman);
    case 28591:
        return single(SingleBytePage::Latin1);
    case 20127:
        return single(SingleBytePage::Ascii);
    case 874:
        return single(SingleBytePage::Windows874);
    case 1250:
        return single(SingleBytePage::Windows1250);
    case 1251:
        return single(SingleBytePage::Windows1251);
    case 1253:
        return single(SingleBytePage::Windows1253);
    case 1254:
        return single(SingleBytePage::Windows1254);
    case 1255:
        return single(SingleBytePage::Windows1255);
    case 1256:
        return single(SingleBytePage::Windows1256);
    case 1257:
        return single(SingleBytePage::Windows1257);
    case 1258:
        return single(SingleBytePage::Windows1258);
    case 932:
        return dual(DoubleBytePage::Windows932);
    case 936:
        return dual(DoubleBytePage::Windows936);
    case 949:
        return dual(DoubleBytePage::Windows949);
    case 950:
        return dual(DoubleBytePage::Windows950);
    case 65001:
        return Page{Kind::Utf8};
    case 65000:
        return Page{Kind::Utf7};
    default:
        return Page{};
    }
}

Page PageOf(unsigned codePage)
{
    return PageOfNumber(codePage == 0 ? AnsiCodePage() : codePage);
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
            PageOfNumber(static_cast<unsigned>(value)).kind != Kind::Unsupported)
            return static_cast<unsigned>(value);
    }
    return 1252;
}

int MultiByteToWide(unsigned codePage, const char* source, int count, Unit* target, int capacity)
{
    Page page = PageOf(codePage);
    if (page.kind == Kind::Unsupported || source == nullptr || count == 0 || capacity < 0)
        return 0;
    std::size_t bytes = count < 0 ? std::strlen(source) + 1 : static_cast<std::size_t>(count);
    if (capacity == 0)
        target = nullptr;
    auto room = static_cast<std::size_t>(capacity);
    const auto* in = reinterpret_cast<const unsigned char*>(source);
    switch (page.kind) {
    case Kind::Utf8:
        return ToResult(detail::Utf8Decode(in, bytes, target, room));
    case Kind::Utf7:
        return ToResult(DecodeUtf7(in, bytes, target, room));
    case Kind::DoubleByte:
        return ToResult(detail::DoubleByteDecode(page.dual, in, bytes, target, room));
    default:
        return ToResult(detail::SingleByteDecode(page.single, in, bytes, target, room));
    }
}

int WideToMultiByte(unsigned codePage, const Unit* source, int count, char* target, int capacity)
{
    Page page = PageOf(codePage);
    if (page.kind == Kind::Unsupported || source == nullptr || count == 0 || capacity < 0)
        return 0;
    std::size_t units = count < 0 ? UnitLength(source) + 1 : static_cast<std::size_t>(count);
    if (capacity == 0)
        target = nullptr;
    auto room = static_cast<std::size_t>(capacity);
    switch (page.kind) {
    case Kind::Utf8:
        return ToResult(detail::Utf8Encode(source, units, target, room));
    case Kind::Utf7:
        return ToResult(EncodeUtf7(source, units, target, room));
    case Kind::DoubleByte:
        return ToResult(detail::DoubleByteEncode(page.dual, source, units, target, room));
    default:
        return ToResult(detail::SingleByteEncode(page.single, source, units, target, room));
    }
}

} // namespace velmora::platform
