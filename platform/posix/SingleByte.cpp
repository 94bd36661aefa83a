#include "SingleByte.hpp"

#include <algorithm>
#include <bit>
#include <iconv.h>
#include <mutex>

namespace velmora::platform::detail {
namespace {

constexpr unsigned char defaultCharacter = '?';
constexpr int pageCount = 13;

struct Table {
    bool ready = false;
    Unit decode[256] = {};
    // Units below 0x100 by value (-1: none); the others sorted by unit, for a binary search.
    short lowBytes[256] = {};
    struct Entry {
        Unit unit;
        unsigned char byte;
    };
    Entry high[256] = {};
    std::size_t highCount = 0;

    unsigned char Encode(Unit unit) const
    {
        if (unit < 0x100) {
            const short b = lowBytes[unit];
            return b < 0 ? defaultCharacter : static_cast<unsigned char>(b);
        }
        const Entry* end = high + highCount;
        const Entry* found =
            std::lower_bound(high, end, unit, [](const Entry& e, Unit u) { return e.unit < u; });
        return found != end && found->unit == unit ? found->byte : defaultCharacter;
    }
};

const char* IconvName(SingleBytePage page)
{
    switch (page) {
    case SingleBytePage::Windows1252:
        return "CP1252";
    case SingleBytePage::MacRoman:
        return "MACINTOSH";
    case SingleBytePage::Latin1:
        return "ISO-8859-1";
    case SingleBytePage::Ascii:
        return "ANSI_X3.4-1968";
    case SingleBytePage::Windows874:
        return "CP874";
    case SingleBytePage::Windows1250:
        return "CP1250";
    case SingleBytePage::Windows1251:
        return "CP1251";
    case SingleBytePage::Windows1253:
        return "CP1253";
    case SingleBytePage::Windows1254:
        return "CP1254";
    case SingleBytePage::Windows1255:
        return "CP1255";
    case SingleBytePage::Windows1256:
        return "CP1256";
    case SingleBytePage::Windows1257:
        return "CP1257";
    default:
        return "CP1258";
    }
}

// The unit iconv gives for one byte, or `fallback` when it gives none or more than one.
Unit AskIconv(iconv_t cd, unsigned char byte, Unit fallback)
{
    char in = static_cast<char>(byte);
    char* inPointer = &in;
    std::size_t inLeft = 1;
    Unit units[2] = {};
    char* outPointer = reinterpret_cast<char*>(units);
    std::size_t outLeft = sizeof units;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::size_t result = iconv(cd, &inPointer, &inLeft, &outPointer, &outLeft);
    // 1255 and 1258 hold a letter back until they know whether a mark follows.
    if (result != static_cast<std::size_t>(-1))
        result = iconv(cd, nullptr, nullptr, &outPointer, &outLeft);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0 || outLeft != sizeof units - sizeof(Unit))
        return fallback;
    return units[0];
}

Table Build(SingleBytePage page)
{
    Table table;
    const char* unitName = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
    iconv_t cd = iconv_open(unitName, IconvName(page));
    if (cd == reinterpret_cast<iconv_t>(-1))
        return table;
    for (unsigned b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        table.decode[b] =
            page == SingleBytePage::Ascii ? static_cast<Unit>(b & 0x7F) : AskIconv(cd, byte, byte);
    }
    iconv_close(cd);
    if (page == SingleBytePage::MacRoman) {
        table.decode[0xBD] = 0x2126;
        table.decode[0xC6] = 0x2206;
        table.decode[0xF0] = 0xF8FF;
    }
    // Windows gives some bytes that the page leaves undefined a private-use unit of
    // their own (and 1255's CA the point U+05BA, which iconv lacks).
    const auto privateUse = [&table](unsigned from, unsigned to, Unit first) {
        for (unsigned b = from; b <= to; ++b)
            table.decode[b] = static_cast<Unit>(first + (b - from));
    };
    switch (page) {
    case SingleBytePage::Windows874:
        privateUse(0xDB, 0xDE, 0xF8C1);
        privateUse(0xFC, 0xFF, 0xF8C5);
        break;
    case SingleBytePage::Windows1253:
        privateUse(0xAA, 0xAA, 0xF8F9);
        privateUse(0xD2, 0xD2, 0xF8FA);
        privateUse(0xFF, 0xFF, 0xF8FB);
        break;
    case SingleBytePage::Windows1255:
        table.decode[0xCA] = 0x05BA;
        privateUse(0xD9, 0xDF, 0xF88D);
        privateUse(0xFB, 0xFC, 0xF894);
        privateUse(0xFF, 0xFF, 0xF896);
        break;
    case SingleBytePage::Windows1257:
        privateUse(0xA1, 0xA1, 0xF8FC);
        privateUse(0xA5, 0xA5, 0xF8FD);
        break;
    default:
        break;
    }

    // The way back: the first byte (from 0 up) that decodes to a unit is that unit's byte.
    std::fill(std::begin(table.lowBytes), std::end(table.lowBytes), static_cast<short>(-1));
    for (unsigned b = 0; b < 256; ++b) {
        const Unit unit = table.decode[b];
        if (unit < 0x100) {
            if (table.lowBytes[unit] < 0)
                table.lowBytes[unit] = static_cast<short>(b);
        } else {
            table.high[table.highCount++] = {unit, static_cast<unsigned char>(b)};
        }
    }
    std::stable_sort(table.high, table.high + table.highCount,
                     [](const Table::Entry& a, const Table::Entry& b) { return a.unit < b.unit; });
    table.highCount = static_cast<std::size_t>(
        std::unique(table.high, table.high + table.highCount,
                    [](const Table::Entry& a, const Table::Entry& b) { return a.unit == b.unit; }) -
        table.high);
    table.ready = true;
    return table;
}

const Table& TableOf(SingleBytePage page)
{
    // Each built once, on its page's first use, by whichever thread comes first;
    // read-only afterwards. A host uses one or two pages: the others cost nothing.
    static Table tables[pageCount];
    static std::once_flag built[pageCount];
    const auto index = static_cast<std::size_t>(page);
    std::call_once(built[index], [page, index] { tables[index] = Build(page); });
    return tables[index];
}

} // namespace

std::size_t SingleByteDecode(SingleBytePage page, const unsigned char* source, std::size_t count,
                             Unit* target, std::size_t capacity)
{
    const Table& table = TableOf(page);
    if (!table.ready)
        return 0;
    if (target == nullptr)
        return count;
    if (count > capacity)
        return 0;
    for (std::size_t i = 0; i < count; ++i)
        target[i] = table.decode[source[i]];
    return count;
}

std::size_t SingleByteEncode(SingleBytePage page, const Unit* source, std::size_t count, char* target,
                             std::size_t capacity)
{
    const Table& table = TableOf(page);
    if (!table.ready)
        return 0;
    if (target == nullptr)
        return count;
    if (count > capacity)
        return 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Unit unit = source[i];
        target[i] = static_cast<char>(unit < 0x80 ? static_cast<unsigned char>(unit) : table.Encode(unit));
    }
    return count;
}

} // namespace velmora::platform::detail
