// Code-page conversion on POSIX systems, giving the results of Windows'
// MultiByteToWideChar and WideCharToMultiByte (flags 0, no default character).
//
// The single-byte code pages and UTF-8 go through iconv. Where iconv refuses a
// byte or a unit, or maps it differently from Windows, the Windows result is put
// in its place:
//   - 1252: the five undefined bytes 81 8D 8F 90 9D are U+0081 ... U+009D and back;
//   - 10000: bytes BD C6 F0 are U+2126, U+2206 and U+F8FF (iconv: U+03A9, U+0394,
//     U+E01E, which Windows does not write as these bytes);
//   - 20127: bytes 80 to FF lose their high bit;
//   - UTF-8: an invalid sequence becomes U+FFFD by the rule of InvalidUtf8Length,
//     and a lone surrogate is written as EF BF BD (U+FFFD);
//   - a unit that a single-byte code page cannot hold becomes "?", one per unit
//     (a surrogate pair gives "??"). Windows writes some of them as a similar
//     character instead (its "best fit", e.g. U+0100 as "A"); that is not copied.
// UTF-7 is converted by Utf7Decode and Utf7Encode: iconv's UTF-7 closes shifted
// runs and accepts direct characters differently from Windows.
//
// iconv descriptors keep conversion state and must not be used by two threads at
// once: each conversion takes one of its own from a pool (see DescriptorPool).
#include <bit>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <mutex>

#include "output.hpp"
#include "utf7.hpp"
#include "velmora/platform.hpp"

namespace velmora::platform {
namespace {

using detail::Output;

enum class Page { Windows1252, MacRoman, Latin1, Ascii, Utf8, Utf7, Unsupported };
constexpr int iconvPageCount = 5; // the pages before Utf7 go through iconv

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

const char* IconvName(Page page)
{
    switch (page) {
    case Page::Windows1252:
        return "CP1252";
    case Page::MacRoman:
        return "MACINTOSH";
    case Page::Latin1:
        return "ISO-8859-1";
    case Page::Ascii:
        return "ANSI_X3.4-1968";
    default:
        return "UTF-8";
    }
}

// The units in the machine's own byte order.
const char* const unitName = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

const iconv_t noDescriptor = reinterpret_cast<iconv_t>(-1);

// Open iconv descriptors, kept for reuse. A descriptor carries conversion state
// and is used by one conversion, on one thread, at a time: it is taken out of the
// pool for the conversion and put back afterwards. (No thread-local storage: its
// destructors would keep the add-on file mapped after the host unloads it.)
class DescriptorPool {
public:
    DescriptorPool() = default;
    DescriptorPool(const DescriptorPool&) = delete;
    DescriptorPool& operator=(const DescriptorPool&) = delete;
    ~DescriptorPool()
    {
        for (auto& pair : slots)
            for (Slot& slot : pair)
                for (std::size_t i = 0; i < slot.count; ++i)
                    iconv_close(slot.kept[i]);
    }

    // A descriptor in its initial state, or noDescriptor when iconv has none.
    iconv_t Take(Page page, bool toUnits)
    {
        iconv_t cd = noDescriptor;
        {
            std::lock_guard<std::mutex> lock(guard);
            Slot& slot = slots[static_cast<int>(page)][toUnits ? 1 : 0];
            if (slot.count > 0)
                cd = slot.kept[--slot.count];
        }
        if (cd == noDescriptor)
            return toUnits ? iconv_open(unitName, IconvName(page)) : iconv_open(IconvName(page), unitName);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        return cd;
    }

    void Return(Page page, bool toUnits, iconv_t cd) noexcept
    {
        {
            std::lock_guard<std::mutex> lock(guard);
            Slot& slot = slots[static_cast<int>(page)][toUnits ? 1 : 0];
            if (slot.count < slotSize) {
                slot.kept[slot.count++] = cd;
                return;
            }
        }
        iconv_close(cd);
    }

private:
    static constexpr std::size_t slotSize = 4;
    struct Slot {
        iconv_t kept[slotSize];
        std::size_t count = 0;
    };
    std::mutex guard;
    Slot slots[iconvPageCount][2];
};

DescriptorPool& Pool()
{
    static DescriptorPool pool;
    return pool;
}

// One descriptor for the length of one conversion.
class Descriptor {
public:
    Descriptor(Page codePage, bool decoding)
        : page(codePage), toUnits(decoding), cd(Pool().Take(codePage, decoding))
    {
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (cd != noDescriptor)
            Pool().Return(page, toUnits, cd);
    }
    bool IsOpen() const { return cd != noDescriptor; }
    iconv_t Get() const { return cd; }

private:
    Page page;
    bool toUnits;
    iconv_t cd;
};

// Runs iconv over the whole input. At every byte or unit that iconv refuses (or
// finds cut off at the end), `refused(position, remainingBytes, output)` puts out
// the replacement and returns the number of input bytes it stands for. False when
// the target is too small or iconv fails otherwise.
template <typename T, typename Refused>
bool Run(iconv_t cd, const char* input, std::size_t bytes, Output<T>& output, Refused refused)
{
    char* in = const_cast<char*>(input);
    std::size_t left = bytes;
    while (left > 0) {
        char* start = output.Space();
        char* out = start;
        std::size_t room = output.SpaceBytes();
        std::size_t result = iconv(cd, &in, &left, &out, &room);
        output.Advance(static_cast<std::size_t>(out - start));
        if (result != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG) {
            if (output.HasTarget()) {
                output.MarkOverflow();
                return false;
            }
            continue; // the scratch area was counted and is used again
        }
        if (errno != EILSEQ && errno != EINVAL)
            return false;
        std::size_t skip = refused(static_cast<const char*>(in), left, output);
        if (output.Overflowed())
            return false;
        if (skip == 0 || skip > left)
            skip = left;
        in += skip;
        left -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return true;
}

bool IsContinuation(unsigned char c)
{
    return c >= 0x80 && c <= 0xBF;
}

// The number of bytes, from an invalid UTF-8 sequence at `p` (with `left` bytes
// left in the input), that Windows turns into one U+FFFD:
//  - a byte that starts no sequence (80 to C1, F5 to FF): that byte;
//  - a lead byte with fewer bytes left than its sequence needs: all the rest;
//  - a second byte that continues but is out of the lead's range (overlong,
//    surrogate or above U+10FFFF: E0 below A0, ED from A0, F0 below 90, F4 from
//    90): the lead and that byte;
//  - otherwise the lead and the continuation bytes before the first byte that
//    does not continue.
std::size_t InvalidUtf8Length(const unsigned char* p, std::size_t left)
{
    unsigned char lead = p[0];
    std::size_t need = lead >= 0xC2 && lead <= 0xDF   ? 1
                       : lead >= 0xE0 && lead <= 0xEF ? 2
                       : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                      : 0;
    if (need == 0)
        return 1;
    if (need >= left)
        return left;
    unsigned char second = p[1];
    if (!IsContinuation(second))
        return 1;
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
        return 2;
    std::size_t length = 2;
    while (length <= need && IsContinuation(p[length]))
        ++length;
    return length;
}

bool IsHigh(Unit u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}

bool IsLow(Unit u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Bytes to units -----------------------------------------------------------------

// Every byte gives exactly one unit, so sizes need no conversion.
std::size_t DecodeSingleByte(Page page, const unsigned char* source, std::size_t count, Unit* target,
                             std::size_t capacity)
{
    if (target == nullptr)
        return count;
    if (count > capacity)
        return 0;
    const Descriptor cd(page, true);
    if (!cd.IsOpen())
        return 0;
    Output<Unit> output(target, capacity);
    bool done = Run(cd.Get(), reinterpret_cast<const char*>(source), count, output,
                    [page](const char* at, std::size_t, Output<Unit>& out) -> std::size_t {
                        auto byte = static_cast<unsigned char>(*at);
                        out.Put(static_cast<Unit>(page == Page::Ascii ? byte & 0x7F : byte));
                        return 1;
                    });
    if (!done || output.Count() != count)
        return 0;
    if (page == Page::MacRoman) {
        for (std::size_t i = 0; i < count; ++i) {
            switch (source[i]) {
            case 0xBD:
                target[i] = 0x2126;
                break;
            case 0xC6:
                target[i] = 0x2206;
                break;
            case 0xF0:
                target[i] = 0xF8FF;
                break;
            default:
                break;
            }
        }
    }
    return count;
}

// The length of the well-formed UTF-8 sequence at `p`, or 0 when it is not one.
std::size_t WellFormedLength(const unsigned char* p, std::size_t left)
{
    const unsigned char lead = p[0];
    std::size_t follow;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        follow = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        follow = 2;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        follow = 3;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (left <= follow || p[1] < low || p[1] > high)
        return 0;
    for (std::size_t k = 2; k <= follow; ++k)
        if (!IsContinuation(p[k]))
            return 0;
    return follow + 1;
}

// The number of units DecodeUtf8 gives, counted without converting: one per
// well-formed sequence (two for a four-byte one, a surrogate pair), one U+FFFD per
// invalid part as InvalidUtf8Length cuts it. (iconv accepts exactly the
// well-formed sequences.)
std::size_t Utf8Units(const unsigned char* source, std::size_t count)
{
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < count) {
        if (source[i] < 0x80) {
            ++units;
            ++i;
            continue;
        }
        const std::size_t length = WellFormedLength(source + i, count - i);
        if (length > 0) {
            units += length == 4 ? 2 : 1;
            i += length;
        } else {
            units += 1;
            i += InvalidUtf8Length(source + i, count - i);
        }
    }
    return units;
}

std::size_t DecodeUtf8(const unsigned char* source, std::size_t count, Unit* target, std::size_t capacity)
{
    if (target == nullptr)
        return Utf8Units(source, count);
    const Descriptor cd(Page::Utf8, true);
    if (!cd.IsOpen())
        return 0;
    Output<Unit> output(target, capacity);
    bool done = Run(cd.Get(), reinterpret_cast<const char*>(source), count, output,
                    [](const char* at, std::size_t left, Output<Unit>& out) {
                        out.Put(0xFFFD);
                        return InvalidUtf8Length(reinterpret_cast<const unsigned char*>(at), left);
                    });
    return done ? output.Count() : 0;
}

std::size_t DecodeUtf7(const unsigned char* source, std::size_t count, Unit* target, std::size_t capacity)
{
    Output<Unit> output(target, capacity);
    detail::Utf7Decode(source, count, output);
    return output.Overflowed() ? 0 : output.Count();
}

// Units to bytes -----------------------------------------------------------------

// What Windows writes for the unit at `at` that iconv refused; returns the number
// of units it stands for.
std::size_t EncodeRefused(Page page, const Unit* at, std::size_t left, Output<char>& out)
{
    Unit u = at[0];
    if (page == Page::Utf8) {
        out.Put(static_cast<char>(0xEF));
        out.Put(static_cast<char>(0xBF));
        out.Put(static_cast<char>(0xBD));
        return 1;
    }
    if (page == Page::Windows1252 && (u == 0x81 || u == 0x8D || u == 0x8F || u == 0x90 || u == 0x9D)) {
        out.Put(static_cast<char>(u));
        return 1;
    }
    if (IsHigh(u) && left >= 2 && IsLow(at[1])) {
        out.Put('?');
        out.Put('?');
        return 2;
    }
    out.Put('?');
    return 1;
}

// Every unit gives exactly one byte, so sizes need no conversion.
std::size_t EncodeSingleByte(Page page, const Unit* source, std::size_t count, char* target,
                             std::size_t capacity)
{
    if (target == nullptr)
        return count;
    if (count > capacity)
        return 0;
    const Descriptor cd(page, false);
    if (!cd.IsOpen())
        return 0;
    Output<char> output(target, capacity);
    bool done = Run(cd.Get(), reinterpret_cast<const char*>(source), count * sizeof(Unit), output,
                    [page](const char* at, std::size_t left, Output<char>& out) {
                        return sizeof(Unit) * EncodeRefused(page, reinterpret_cast<const Unit*>(at),
                                                            left / sizeof(Unit), out);
                    });
    if (!done || output.Count() != count)
        return 0;
    if (page == Page::MacRoman) {
        for (std::size_t i = 0; i < count; ++i) {
            switch (source[i]) {
            case 0x2126:
                target[i] = static_cast<char>(0xBD);
                break;
            case 0x2206:
                target[i] = static_cast<char>(0xC6);
                break;
            case 0xF8FF:
                target[i] = static_cast<char>(0xF0);
                break;
            case 0x03A9:
            case 0x0394:
            case 0xE01E:
                target[i] = '?';
                break;
            default:
                break;
            }
        }
    }
    return count;
}

std::size_t Utf8Size(const Unit* source, std::size_t count)
{
    std::size_t size = 0;
    for (std::size_t i = 0; i < count; ++i) {
        Unit u = source[i];
        if (u < 0x80) {
            size += 1;
        } else if (u < 0x800) {
            size += 2;
        } else if (IsHigh(u) && i + 1 < count && IsLow(source[i + 1])) {
            size += 4;
            ++i;
        } else {
            size += 3; // lone surrogates become U+FFFD
        }
    }
    return size;
}

std::size_t EncodeUtf8(const Unit* source, std::size_t count, char* target, std::size_t capacity)
{
    std::size_t size = Utf8Size(source, count);
    if (target == nullptr)
        return size;
    if (size > capacity)
        return 0;
    const Descriptor cd(Page::Utf8, false);
    if (!cd.IsOpen())
        return 0;
    Output<char> output(target, capacity);
    bool done = Run(cd.Get(), reinterpret_cast<const char*>(source), count * sizeof(Unit), output,
                    [](const char* at, std::size_t left, Output<char>& out) {
                        return sizeof(Unit) * EncodeRefused(Page::Utf8, reinterpret_cast<const Unit*>(at),
                                                            left / sizeof(Unit), out);
                    });
    return done && output.Count() == size ? size : 0;
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
        return ToResult(DecodeUtf8(in, bytes, target, room));
    case Page::Utf7:
        return ToResult(DecodeUtf7(in, bytes, target, room));
    default:
        return ToResult(DecodeSingleByte(page, in, bytes, target, room));
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
        return ToResult(EncodeUtf8(source, units, target, room));
    case Page::Utf7:
        return ToResult(EncodeUtf7(source, units, target, room));
    default:
        return ToResult(EncodeSingleByte(page, source, units, target, room));
    }
}

} // namespace velmora::platform
