#include "DoubleByte.hpp"

#include <bit>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <mutex>

#include "Output.hpp"

namespace velmora::platform::detail {
namespace {

constexpr char defaultCharacter = '?';
const iconv_t noDescriptor = reinterpret_cast<iconv_t>(-1);
const char* const unitName = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// A byte that is no lead byte and that iconv refuses, with the unit Windows gives it.
struct LoneByte {
    unsigned char byte;
    Unit unit;
};

// Cells of a user-defined area that Windows numbers into the private-use units, lead
// byte by lead byte, trail bytes from `trailFrom` to `trailTo` without 7F, then
// from `trailFrom2` to `trailTo2`.
struct UserArea {
    unsigned char leadFrom, leadTo, trailFrom, trailTo, trailFrom2, trailTo2;
    Unit first;
};

// A unit that two byte pairs read as, and the pair Windows writes for it.
struct Preferred {
    Unit unit;
    std::uint16_t bytes;
};

struct PageRules {
    const char* iconvName;
    Unit defaultUnit; // what Windows gives for a byte sequence the page does not define
    unsigned char leadFrom, leadTo, leadFrom2, leadTo2;
    LoneByte lone[5];
    UserArea user[3];
    Unit restFirst; // the cells still undefined after the user areas, in order, numbered from here
    Preferred preferred[4];
};

const PageRules& RulesOf(DoubleBytePage page)
{
    static const PageRules rules[] = {
        {"CP932",
         0x30FB,
         0x81,
         0x9F,
         0xE0,
         0xFC,
         {{0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3}},
         {},
         0,
         {}},
        {"GBK",
         u'?',
         0x81,
         0xFE,
         0,
         0,
         {{0xFF, 0xF8F5}},
         {{0xAA, 0xAF, 0xA1, 0xFE, 0, 0, 0xE000},
          {0xF8, 0xFE, 0xA1, 0xFE, 0, 0, 0xE234},
          {0xA1, 0xA7, 0x40, 0xA0, 0, 0, 0xE4C6}},
         0xE766,
         {}},
        {"UHC",
         u'?',
         0x81,
         0xFE,
         0,
         0,
         {{0x80, 0x0080}, {0xFF, 0xF8F7}},
         {{0xC9, 0xC9, 0xA1, 0xFE, 0, 0, 0xE000}, {0xFE, 0xFE, 0xA1, 0xFE, 0, 0, 0xE05E}},
         0,
         {}},
        {"BIG5",
         u'?',
         0x81,
         0xFE,
         0,
         0,
         {{0x80, 0x0080}, {0xFF, 0xF8F8}},
         {{0xFA, 0xFE, 0x40, 0x7E, 0xA1, 0xFE, 0xE000},
          {0x8E, 0xA0, 0x40, 0x7E, 0xA1, 0xFE, 0xE311},
          {0x81, 0x8D, 0x40, 0x7E, 0xA1, 0xFE, 0xEEB8}},
         0,
         {{0x2550, 0xF9F9}, {0x255E, 0xF9E9}, {0x2561, 0xF9EB}, {0x256A, 0xF9EA}}},
    };
    return rules[static_cast<std::size_t>(page)];
}

bool IsLeadByte(const PageRules& rules, unsigned byte)
{
    return (byte >= rules.leadFrom && byte <= rules.leadTo) ||
           (rules.leadFrom2 != 0 && byte >= rules.leadFrom2 && byte <= rules.leadTo2);
}

// Both directions of a page. Bytes to units: `single` for a byte that begins no
// pair (a lead byte there is the default unit), `pairs` for a lead byte (from 80)
// with any trail byte. Units to bytes: one byte as its value, two as lead byte
// times 256 plus trail byte, noBytes for a unit the page cannot hold.
constexpr std::uint16_t noBytes = 0xFFFF;
struct Tables {
    bool ready = false;
    Unit single[256] = {};
    Unit pairs[128][256] = {};
    std::uint16_t bytes[0x10000] = {};
};

// The one unit iconv gives for exactly these bytes, or `fallback` when it gives none,
// more than one, or leaves bytes over.
Unit AskUnit(iconv_t toUnits, const char* bytes, std::size_t count, Unit fallback)
{
    char in[2];
    std::memcpy(in, bytes, count);
    char* inPointer = in;
    std::size_t inLeft = count;
    Unit units[2] = {};
    char* outPointer = reinterpret_cast<char*>(units);
    std::size_t outLeft = sizeof units;
    iconv(toUnits, nullptr, nullptr, nullptr, nullptr);
    if (iconv(toUnits, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<std::size_t>(-1) ||
        iconv(toUnits, nullptr, nullptr, &outPointer, &outLeft) == static_cast<std::size_t>(-1) ||
        inLeft != 0 || outLeft != sizeof units - sizeof(Unit))
        return fallback;
    return units[0];
}

// The bytes iconv writes for one unit, or noBytes when it writes none, or more than two.
std::uint16_t AskBytes(iconv_t toBytes, Unit unit)
{
    char in[sizeof(Unit)];
    std::memcpy(in, &unit, sizeof unit);
    char* inPointer = in;
    std::size_t inLeft = sizeof in;
    char bytes[4] = {};
    char* outPointer = bytes;
    std::size_t outLeft = sizeof bytes;
    iconv(toBytes, nullptr, nullptr, nullptr, nullptr);
    if (iconv(toBytes, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<std::size_t>(-1))
        return noBytes;
    const std::size_t n = sizeof bytes - outLeft;
    const auto first = static_cast<unsigned char>(bytes[0]);
    if (n == 1)
        return first;
    if (n == 2)
        return static_cast<std::uint16_t>(first << 8 | static_cast<unsigned char>(bytes[1]));
    return noBytes;
}

void Fill(const PageRules& rules, iconv_t toUnits, iconv_t toBytes, Tables& t)
{
    for (unsigned b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        Unit lone = rules.defaultUnit;
        for (const LoneByte& entry : rules.lone)
            if (entry.unit != 0 && entry.byte == b)
                lone = entry.unit;
        t.single[b] = IsLeadByte(rules, b) ? rules.defaultUnit : AskUnit(toUnits, &byte, 1, lone);
    }
    for (unsigned lead = 0x80; lead < 0x100; ++lead) {
        for (unsigned trail = 0; trail < 0x100; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            t.pairs[lead - 0x80][trail] =
                IsLeadByte(rules, lead) ? AskUnit(toUnits, pair, 2, rules.defaultUnit) : rules.defaultUnit;
        }
    }
    for (const UserArea& area : rules.user) {
        Unit next = area.first;
        for (unsigned lead = area.leadFrom; area.first != 0 && lead <= area.leadTo; ++lead) {
            for (unsigned trail = area.trailFrom; trail <= 0xFF; ++trail) {
                const bool second =
                    area.trailFrom2 != 0 && trail >= area.trailFrom2 && trail <= area.trailTo2;
                if (trail == 0x7F || (trail > area.trailTo && !second))
                    continue;
                Unit& cell = t.pairs[lead - 0x80][trail];
                if (cell == rules.defaultUnit)
                    cell = next;
                ++next;
            }
        }
    }

    for (unsigned lead = 0x81, next = rules.restFirst; next != 0 && lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            Unit& cell = t.pairs[lead - 0x80][trail];
            if (trail != 0x7F && cell == rules.defaultUnit)
                cell = static_cast<Unit>(next++);
        }
    }

    // The way back: what iconv writes, when it reads back as the same unit (Windows
    // writes a character without a way back, a look-alike such as the yen sign as a
    // backslash, as the default character); else the first bytes that read as it.
    std::fill(std::begin(t.bytes), std::end(t.bytes), noBytes);
    const auto decodes = [&t](std::uint16_t bytes) -> unsigned {
        return bytes < 0x100     ? t.single[bytes]
               : bytes >= 0x8000 ? t.pairs[(bytes >> 8) - 0x80][bytes & 0xFF]
                                 : 0;
    };
    for (unsigned u = 0; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF)
            continue;
        const std::uint16_t bytes = AskBytes(toBytes, static_cast<Unit>(u));
        if (bytes != noBytes && decodes(bytes) == u && (bytes < 0x100 || (bytes & 0xFF) != 0))
            t.bytes[u] = bytes;
    }
    for (const Preferred& entry : rules.preferred)
        if (entry.unit != 0 && decodes(entry.bytes) == entry.unit)
            t.bytes[entry.unit] = entry.bytes;
    for (unsigned b = 0; b < 0x100; ++b)
        if (!IsLeadByte(rules, b) && t.bytes[t.single[b]] == noBytes && t.single[b] != rules.defaultUnit)
            t.bytes[t.single[b]] = static_cast<std::uint16_t>(b);
    for (unsigned lead = 0x80; lead < 0x100; ++lead) {
        for (unsigned trail = 1; trail < 0x100 && IsLeadByte(rules, lead); ++trail) {
            const Unit u = t.pairs[lead - 0x80][trail];
            if (u != rules.defaultUnit && t.bytes[u] == noBytes)
                t.bytes[u] = static_cast<std::uint16_t>(lead << 8 | trail);
        }
    }
    t.ready = true;
}

const Tables& TablesOf(DoubleBytePage page)
{
    // Each built once, on its page's first use, by whichever thread comes first;
    // read-only afterwards. A host uses one page at most: the others cost nothing.
    static Tables tables[4];
    static std::once_flag built[4];
    const auto index = static_cast<std::size_t>(page);
    std::call_once(built[index], [page, index] {
        const PageRules& rules = RulesOf(page);
        const iconv_t toUnits = iconv_open(unitName, rules.iconvName);
        const iconv_t toBytes = iconv_open(rules.iconvName, unitName);
        if (toUnits != noDescriptor && toBytes != noDescriptor)
            Fill(rules, toUnits, toBytes, tables[index]);
        if (toUnits != noDescriptor)
            iconv_close(toUnits);
        if (toBytes != noDescriptor)
            iconv_close(toBytes);
    });
    return tables[index];
}

template <typename T> std::size_t Result(const Output<T>& output)
{
    return output.Overflowed() ? 0 : output.Count();
}

} // namespace

std::size_t DoubleByteDecode(DoubleBytePage page, const unsigned char* source, std::size_t count,
                             Unit* target, std::size_t capacity)
{
    const Tables& tables = TablesOf(page);
    if (!tables.ready)
        return 0;
    const PageRules& rules = RulesOf(page);
    Output<Unit> output(target, capacity);
    for (std::size_t i = 0; i < count && !output.Overflowed(); ++i) {
        const unsigned char byte = source[i];
        // Every lead byte is the first of two, unless a zero byte or the end follows.
        if (IsLeadByte(rules, byte) && i + 1 < count && source[i + 1] != 0) {
            output.Put(tables.pairs[byte - 0x80][source[i + 1]]);
            ++i;
        } else {
            output.Put(tables.single[byte]);
        }
    }
    return Result(output);
}

std::size_t DoubleByteEncode(DoubleBytePage page, const Unit* source, std::size_t count, char* target,
                             std::size_t capacity)
{
    const Tables& tables = TablesOf(page);
    if (!tables.ready)
        return 0;
    Output<char> output(target, capacity);
    for (std::size_t i = 0; i < count && !output.Overflowed(); ++i) {
        const std::uint16_t bytes = tables.bytes[source[i]];
        if (bytes == noBytes) {
            output.Put(defaultCharacter);
        } else if (bytes < 0x100) {
            output.Put(static_cast<char>(bytes));
        } else {
            output.Put(static_cast<char>(bytes >> 8));
            output.Put(static_cast<char>(bytes & 0xFF));
        }
    }
    return Result(output);
}

} // namespace velmora::platform::detail
