// The code pages of the text encodings, through ConvertText and the platform layer.
//
// The same expectations hold on Windows (the system's own conversions, run under
// Wine) and on POSIX systems (tables read from iconv with Windows' results put in
// where iconv differs, and converters of their own for UTF-8 and UTF-7): running this file on both is what
// checks the POSIX conversions. The expectations that differ are marked where they are.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/TextEncoding.hpp"
#include "velmora/Platform.hpp"

using namespace velmora::core;

namespace {

namespace platform = velmora::platform;

const std::u16string failed = u"<failed>";
const int moduleMarker = 0; // an address inside this program
const std::string failedBytes = "<failed>";

std::u16string Decode(TextEncoding encoding, const std::string& bytes)
{
    const auto count = static_cast<Int32>(bytes.size());
    Int32 size = ConvertText(encoding, bytes.data(), count, TextEncoding::Utf16LE, nullptr, 0, false);
    if (size < 0)
        return failed;
    std::u16string units(static_cast<std::size_t>(size) / 2, u'\0');
    if (ConvertText(encoding, bytes.data(), count, TextEncoding::Utf16LE, units.data(), size, false) != size)
        return failed;
    return units;
}

std::string Encode(TextEncoding encoding, const std::u16string& units)
{
    const auto count = static_cast<Int32>(units.size() * 2);
    Int32 size = ConvertText(TextEncoding::Utf16LE, units.data(), count, encoding, nullptr, 0, false);
    if (size < 0)
        return failedBytes;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (ConvertText(TextEncoding::Utf16LE, units.data(), count, encoding, bytes.data(), size, false) != size)
        return failedBytes;
    return bytes;
}

std::string AllBytes(unsigned from, unsigned to)
{
    std::string bytes;
    for (unsigned b = from; b <= to; ++b)
        bytes.push_back(static_cast<char>(b));
    return bytes;
}

std::u16string Units(std::initializer_list<unsigned> values)
{
    std::u16string units;
    for (unsigned v : values)
        units.push_back(static_cast<char16_t>(v));
    return units;
}

// Bytes 80 to FF of Windows-1252 and Mac OS Roman as Windows decodes them.
const char16_t windows1252High[128] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152,
    0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122,
    0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, 0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF, 0x00B0, 0x00B1, 0x00B2, 0x00B3,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x00C0,
    0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, 0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD,
    0x00CE, 0x00CF, 0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA,
    0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF, 0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4,
    0x00F5, 0x00F6, 0x00F7, 0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};
const char16_t macRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5,
    0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, 0x00F2, 0x00F4,
    0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6,
    0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8, 0x221E, 0x00B1, 0x2264, 0x2265,
    0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x2126, 0x00E6, 0x00F8, 0x00BF,
    0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5,
    0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044,
    0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02, 0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9,
    0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

// Every byte of a single-byte code page decodes to its unit and every such unit
// encodes back to its byte; what a page lacks is "?" on every system, with no
// look-alikes, one per unit (a surrogate pair gives two).
TEST(CodePages, SingleByteCodePagesBothWays)
{
    std::u16string latin1, ascii, windows1252, macRoman;
    for (unsigned b = 1; b <= 255; ++b) {
        latin1.push_back(static_cast<char16_t>(b));
        ascii.push_back(static_cast<char16_t>(b & 0x7F)); // bytes from 80 up lose their high bit
        windows1252.push_back(b < 0x80 ? static_cast<char16_t>(b) : windows1252High[b - 0x80]);
        macRoman.push_back(b < 0x80 ? static_cast<char16_t>(b) : macRomanHigh[b - 0x80]);
    }
    const struct {
        const char* name;
        TextEncoding encoding;
        std::u16string units; // of bytes 1 to FF
        std::u16string lacking;
        std::string lackingBytes;
    } rows[] = {
        {"Windows-1252", TextEncoding::Windows1252, windows1252,
         Units({'a', 0x263A, 0x4E2D, 0xD800, 'A', 0xDC00, 0x0100, 0x03A9, 0xFF02}) + u"\U0001F600",
         "a???A??????"},
        // The Greek capitals are not the Ohm and increment signs of bytes BD and C6.
        {"Mac OS Roman", TextEncoding::MacRoman, macRoman, u"\u03A9\u0394\u2126\u2206\u0100\u263A",
         "??\xBD\xC6??"},
        {"Latin-1", TextEncoding::Iso8859_1, latin1, u"\u20AC\u263A\u0100\u2013", "????"},
        {"US-ASCII", TextEncoding::UsAscii, ascii, u"\u263A\u20ACcaf\u00E9", "??caf?"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Decode(row.encoding, AllBytes(1, 255)), row.units);
        const std::size_t defined = row.encoding == TextEncoding::UsAscii ? 127 : 255;
        EXPECT_EQ(Encode(row.encoding, row.units.substr(0, defined)),
                  AllBytes(1, static_cast<unsigned>(defined)));
        EXPECT_EQ(Encode(row.encoding, row.lacking), row.lackingBytes);
    }
}

// The code pages Windows uses as a system's ANSI code page, through the platform
// layer: a few telling characters of each, both ways, and what each page lacks.
TEST(CodePages, EveryAnsiCodePageOfWindows)
{
    const struct {
        const char* name;
        unsigned codePage;
        std::string bytes;
        std::u16string units;
        std::u16string lacking;        // each unit written as "?"
        std::string undefined;         // bytes the page does not define...
        std::u16string undefinedUnits; // ...and what they are read as
    } rows[] = {
        {"Thai", 874, "\x80\xA1\xDF\xDB", u"\u20AC\u0E01\u0E3F\uF8C1", u"\u0416\u00E9", "\x81", u"\u0081"},
        {"Greek", 1253, "\xA2\xC1\xF9\xAA\xFF", u"\u0386\u0391\u03C9\uF8F9\uF8FB", u"\u0E01\u0416", "\x81",
         u"\u0081"},
        {"Hebrew: a point stays apart from its letter", 1255, "\xE0\xC8\xA4\xCA", u"\u05D0\u05B8\u20AA\u05BA",
         u"\u0E01\uFB2F", "\xFF", u"\uF896"},
        {"Arabic", 1256, "\x81\xC7\xFF", u"\u067E\u0627\u06D2", u"\u0E01\u0416", "", u""},
        {"Baltic", 1257, "\xC0\xE6\xFE\xA1", u"\u0104\u0119\u017E\uF8FC", u"\u0E01\u0416", "\x83", u"\u0083"},
        {"Vietnamese: a mark stays apart from its letter", 1258, "\xC3\xCC\xD2", u"\u0102\u0300\u0309",
         u"\u0E01\u1EA0", "\x8A", u"\u008A"},
        {"Japanese", 932, "\x82\xA0\x93\xFA\x96\x7B\xB1\x84\x47\xF0\x40\xA0",
         u"\u3042\u65E5\u672C\uFF71\u0416\uE000\uF8F0", u"\u0E01\u00A5", "\x81\x20\x82", u"\u30FB\u30FB"},
        {"Simplified Chinese", 936, "\xC4\xE3\xBA\xC3\x80\xAA\xA1", u"\u4F60\u597D\u20AC\uE000",
         u"\u0E01\u00A5", "\x81\x20\x82", u"??"},
        {"Korean", 949, "\xC7\xD1\xB1\xDB\x81\x41\xC9\xA1", u"\uD55C\uAE00\uAC02\uE000", u"\u0E01\u00A5",
         "\xA2\xE8\x82", u"??"},
        {"Traditional Chinese", 950, "\xA4\xA4\xA4\xE5\xA3\xE1\xFA\x40\xF9\xF9",
         u"\u4E2D\u6587\u20AC\uE000\u2550", u"\u0E01\u00A5", "\x81\x20\x82", u"??"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        char16_t units[16] = {};
        const int unitCount = platform::MultiByteToWide(row.codePage, row.bytes.data(),
                                                        static_cast<int>(row.bytes.size()), units, 16);
        EXPECT_EQ(std::u16string(units, static_cast<std::size_t>(std::max(unitCount, 0))), row.units);
        const std::u16string text = row.units + row.lacking + u"\U0001F600";
        char bytes[32] = {};
        const int byteCount =
            platform::WideToMultiByte(row.codePage, text.data(), static_cast<int>(text.size()), bytes, 32);
        EXPECT_EQ(std::string(bytes, static_cast<std::size_t>(std::max(byteCount, 0))),
                  row.bytes + std::string(row.lacking.size(), '?') + "??");
        // A lead byte at the end of the text stands alone.
        const std::string undefined = "a" + row.undefined;
        const int undefinedCount = platform::MultiByteToWide(row.codePage, undefined.data(),
                                                             static_cast<int>(undefined.size()), units, 16);
        EXPECT_EQ(std::u16string(units, static_cast<std::size_t>(std::max(undefinedCount, 0))),
                  u"a" + row.undefinedUnits);
    }
}

TEST(CodePages, AnsiIsTheSystemCodePage)
{
    if (platform::AnsiCodePage() != 1252)
        GTEST_SKIP() << "the ANSI code page here is " << platform::AnsiCodePage();
    const std::string bytes = AllBytes(1, 255);
    EXPECT_EQ(Decode(TextEncoding::Ansi, bytes), Decode(TextEncoding::Windows1252, bytes));
    // Encodings without a number of their own are ANSI too.
    EXPECT_EQ(Decode(static_cast<TextEncoding>(7), bytes), Decode(TextEncoding::Windows1252, bytes));
    EXPECT_EQ(Decode(static_cast<TextEncoding>(104), bytes), Decode(TextEncoding::Windows1252, bytes));
}

TEST(CodePages, Utf8)
{
    EXPECT_EQ(Encode(TextEncoding::Utf8, u"A\u20AC\U0001F600\uFFFF"),
              "A\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBF");
    // A byte-order mark is text like any other.
    EXPECT_EQ(Decode(TextEncoding::Utf8, "\xEF\xBB\xBF\x41"), u"\uFEFFA");
    // Lone surrogates are written as U+FFFD.
    EXPECT_EQ(Encode(TextEncoding::Utf8, Units({0xD800, 'A', 0xDC00})), "\xEF\xBF\xBD\x41\xEF\xBF\xBD");
}

TEST(CodePages, Utf8SequencesStraddlingEveryPositionOfABlock)
{
    // The converters read sixteen bytes at a time: each sample, well-formed or not,
    // is put at every offset from 0 to 33 behind ASCII text, so that it begins,
    // ends or is cut at every block boundary, and followed by more ASCII text.
    const std::u16string r = u"\uFFFD";
    const struct {
        const char* name;
        std::string bytes;
        std::u16string units;
    } samples[] = {
        {"two bytes", "\xC3\xA9", u"\u00E9"},
        {"three bytes", "\xE2\x82\xAC", u"\u20AC"},
        {"four bytes", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"lowest after E0", "\xE0\xA0\x80", u"\u0800"},
        {"highest before surrogates", "\xED\x9F\xBF", u"\uD7FF"},
        {"lowest after F0", "\xF0\x90\x80\x80", u"\U00010000"},
        {"highest", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"overlong after E0", "\xE0\x9F\xBF", r + r},
        {"surrogate after ED", "\xED\xA0\x80", r + r},
        {"overlong after F0", "\xF0\x8F\xBF\xBF", r + r + r},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", r + r + r},
        {"overlong two bytes", "\xC1\xBF", r + r},
        {"lead without continuation", "\xE2\x82", r},
        {"lone continuation", "\x80", r},
        {"byte that begins nothing", "\xFF", r},
        {"lead before a lead", "\xC3\xC3\xA9", r + u"\u00E9"},
        {"no lead byte, lone continuation", "\xC0\x80", r + r},
        {"four bytes cut short", "\xF0\x90\x80", r},
        {"bytes that begin nothing", "\x80\xBF\xFF\xF8", r + r + r + r},
    };
    for (const auto& sample : samples) {
        for (std::size_t offset = 0; offset < 34; ++offset) {
            const std::string before(offset, 'a');
            const std::string after = "z0123456789abcdefghij";
            const std::u16string expected =
                std::u16string(offset, u'a') + sample.units + u"z0123456789abcdefghij";
            EXPECT_EQ(Decode(TextEncoding::Utf8, before + sample.bytes + after), expected)
                << sample.name << " at " << offset;
            // Cut off by the end of the text.
            const std::u16string cut = Decode(TextEncoding::Utf8, before + sample.bytes);
            EXPECT_EQ(cut, std::u16string(offset, u'a') + sample.units)
                << sample.name << " at the end, " << offset;
            if (sample.units.find(u'\uFFFD') == std::u16string::npos) {
                EXPECT_EQ(Encode(TextEncoding::Utf8, expected), before + sample.bytes + after) << sample.name;
            }
        }
    }
    // A lead byte cut off by the end of the text takes the rest of the text with it.
    EXPECT_EQ(Decode(TextEncoding::Utf8, "x\xE1\x41"), u"x" + r);
    EXPECT_EQ(Decode(TextEncoding::Utf8, "x\xF0\x80\x41"), u"x" + r);
}

TEST(CodePages, Utf7)
{
    const struct {
        const char* name;
        std::string bytes;
        std::u16string units;
        bool decode, encode;
    } rows[] = {
        {"a shifted run closed by \"-\"", "Hi Mom -+Jjo--!", u"Hi Mom -\u263A-!", true, false},
        {"a run of several units", "+ZeVnLIqe-", u"\u65E5\u672C\u8A9E", true, false},
        {"\"+-\" and a run closed by the end", "A+-B+AGEAYgBj", u"A+Babc", true, false},
        {"a surrogate pair", "+2D3eAA-", u"\U0001F600", true, true},
        {"\"!\" is shifted when written", "Hi Mom -+Jjo--+ACE-", u"Hi Mom -\u263A-!", false, true},
        {"\"+\" written as \"+-\"", "A+-B", u"A+B", false, true},
        // A shifted run is always closed with "-".
        {"every run closed", "a+AOk-b +AOk-.+AOk-", u"a\u00E9b \u00E9.\u00E9", false, true},
        {"characters Windows shifts", "+AH4AXA-\t\r\n", u"~\\\t\r\n", false, true},
        {"a lone surrogate", "+2AA-", Units({0xD800}), false, true},
        // Bytes that Windows never writes stand for themselves.
        {"bytes never written", "~\\\x80", Units({'~', '\\', 0x80}), true, false},
        // "+" followed by no base64 is dropped; leftover bits are dropped at "-" or "."...
        {"leftover bits", "+!a+AOkB-x+AOkB.y", u"!a\u00E9x\u00E9.y", true, false},
        // ...but carried into the next run when a byte from 80 up ends the run.
        {"bits carried", "+A+\xFF+A\x80", Units({0xFF, 0x03E0, 0x80}), true, false},
        // Nothing but a cut-off run converts to no unit at all: a failure.
        {"only a cut-off run", "+AG-", failed, true, false},
    };
    for (const auto& row : rows) {
        if (row.decode) {
            EXPECT_EQ(Decode(TextEncoding::Utf7, row.bytes), row.units) << row.name;
        }
        if (row.encode) {
            EXPECT_EQ(Encode(TextEncoding::Utf7, row.units), row.bytes) << row.name;
        }
    }
}

// --- The platform layer's own contract ---------------------------------------------------

TEST(PlatformCodePages, SizesAndFailuresFollowTheWindowsCalls)
{
    // A count of -1 includes the terminator.
    EXPECT_EQ(platform::MultiByteToWide(1252, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(platform::WideToMultiByte(1252, u"abc", -1, nullptr, 0), 4);
    char16_t units[8] = {};
    EXPECT_EQ(platform::MultiByteToWide(65001, "a\xC3\xA9", 3, units, 8), 2);
    EXPECT_EQ(std::u16string(units, 2), u"a\u00E9");
    // A zero capacity asks for the size.
    EXPECT_EQ(platform::MultiByteToWide(65001, "a\xC3\xA9", 3, units, 0), 2);
    // A target too small, an empty input and an unknown code page fail.
    EXPECT_EQ(platform::MultiByteToWide(1252, "abc", 3, units, 2), 0);
    EXPECT_EQ(platform::MultiByteToWide(1252, "abc", 0, units, 8), 0);
    EXPECT_EQ(platform::MultiByteToWide(12345, "abc", 3, units, 8), 0);
    char bytes[8] = {};
    EXPECT_EQ(platform::WideToMultiByte(65001, u"\u00E9\u00E9", 2, bytes, 3), 0);
    EXPECT_EQ(platform::WideToMultiByte(65001, u"\u00E9\u00E9", 2, bytes, 4), 4);
    EXPECT_EQ(platform::WideToMultiByte(1252, u"a", 0, bytes, 8), 0);
    // Embedded zero units are converted like the others.
    EXPECT_EQ(platform::WideToMultiByte(1252, u"a\0b", 3, bytes, 8), 3);
    EXPECT_EQ(std::string(bytes, 3), std::string("a\0b", 3));
}

TEST(PlatformCaseMapping, MapsUnitsThatMapBothWays)
{
    const struct {
        char16_t unit, lower, upper;
    } cases[] = {
        {u'A', u'a', u'A'},
        {u'q', u'q', u'Q'},
        {u'1', u'1', u'1'},
        {0x00C9, 0x00E9, 0x00C9},
        {0x00FF, 0x00FF, 0x0178},
        {0x0178, 0x00FF, 0x0178},
        {0x01C4, 0x01C6, 0x01C4},
        {0x10A0, 0x2D00, 0x10A0},
        {0xA640, 0xA641, 0xA640},
        // No mapping where the other direction does not lead back.
        {0x00B5, 0x00B5, 0x00B5},
        {0x0130, 0x0130, 0x0130},
        {0x01C5, 0x01C5, 0x01C5},
        {0x1E9E, 0x1E9E, 0x1E9E},
        // Surrogates are left alone.
        {0xD83D, 0xD83D, 0xD83D},
        {0xDE00, 0xDE00, 0xDE00},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::ToLowerUnit(c.unit), c.lower) << std::hex << unsigned(c.unit);
        EXPECT_EQ(platform::ToUpperUnit(c.unit), c.upper) << std::hex << unsigned(c.unit);
    }
}

TEST(PlatformModule, FilePathOfThisProgramInWindowsForm)
{
    char16_t path[1024];
    std::size_t length = platform::ModuleFilePath(&moduleMarker, path, 1024);
    ASSERT_GT(length, 3u);
    const std::u16string text(path, length);
    EXPECT_EQ(path[length], 0);
    EXPECT_EQ(text.substr(1, 2), u":\\");
    EXPECT_EQ(text.find(u'/'), std::u16string::npos);
#if defined(_WIN32)
    const std::u16string name = u"\\velmora_unit_tests.exe";
#else
    const std::u16string name = u"\\velmora_unit_tests";
#endif
    ASSERT_GE(text.size(), name.size());
    EXPECT_EQ(text.substr(text.size() - name.size()), name);

    // A small buffer gets the start of the path, terminated.
    char16_t small[5];
    EXPECT_EQ(platform::ModuleFilePath(&moduleMarker, small, 5), 4u);
    EXPECT_EQ(std::u16string(small), text.substr(0, 4));
}

TEST(PlatformModule, WindowMessagesAreStablePerNameWithoutRegardToCase)
{
    const unsigned first = platform::RegisterNamedMessage(u"VelmoraUnitTestMessage");
    EXPECT_GE(first, 0xC000u);
    EXPECT_LE(first, 0xFFFFu);
    EXPECT_EQ(platform::RegisterNamedMessage(u"VelmoraUnitTestMessage"), first);
    EXPECT_EQ(platform::RegisterNamedMessage(u"velmoraunittestmessage"), first);
    const unsigned other = platform::RegisterNamedMessage(u"VelmoraUnitTestOther");
    EXPECT_NE(other, first);
    EXPECT_GE(other, 0xC000u);
    EXPECT_EQ(platform::RegisterNamedMessage(u""), 0u);
}

// Chiefly for the ThreadSanitizer build: conversions share no state between threads.
TEST(PlatformCodePages, ConversionsRunOnManyThreadsAtOnce)
{
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&wrong] {
            for (int i = 0; i < 500; ++i) {
                if (Decode(TextEncoding::Utf8, "\xC3\xA9\xE1\x41") != u"\u00E9\uFFFD" ||
                    Encode(TextEncoding::Windows1252, u"\u20AC\u263A") != "\x80?")
                    ++wrong;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

#if !defined(_WIN32)
// The ANSI code page of a POSIX host comes from its setting.
TEST(PlatformCodePages, AnsiCodePageFollowsTheHostSetting)
{
    const char* saved = std::getenv("VELMORA_ANSI_CODEPAGE");
    const std::string previous = saved != nullptr ? saved : "";
    setenv("VELMORA_ANSI_CODEPAGE", "65001", 1);
    EXPECT_EQ(platform::AnsiCodePage(), 65001u);
    EXPECT_EQ(Decode(TextEncoding::Ansi, "\xC3\xA9"), u"\u00E9");
    setenv("VELMORA_ANSI_CODEPAGE", "437", 1); // not one of ours
    EXPECT_EQ(platform::AnsiCodePage(), 1252u);
    unsetenv("VELMORA_ANSI_CODEPAGE");
    EXPECT_EQ(platform::AnsiCodePage(), 1252u);
    if (saved != nullptr)
        setenv("VELMORA_ANSI_CODEPAGE", previous.c_str(), 1);
}

#endif

} // namespace
