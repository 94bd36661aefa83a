// The text core sizes every conversion before it makes it: the sizing call must
// return exactly what the converting call then writes, for every character of
// every plane and every encoding, or text holding that character cannot be stored
// at all. Characters a code page cannot hold become its default character "?".
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/TS_String.hpp"
#include "core/TextEncoding.hpp"
#include "velmora/Platform.hpp"

using namespace velmora::core;

namespace {

const struct {
    const char* name;
    TextEncoding encoding;
    bool singleByte;
} encodings[] = {
    {"ansi", TextEncoding::Ansi, true},
    {"utf7", TextEncoding::Utf7, false},
    {"utf8", TextEncoding::Utf8, false},
    {"utf16le", TextEncoding::Utf16LE, false},
    {"utf16be", TextEncoding::Utf16BE, false},
    {"utf32le", TextEncoding::Utf32LE, false},
    {"utf32be", TextEncoding::Utf32BE, false},
    {"us-ascii", TextEncoding::UsAscii, true},
    {"mac-roman", TextEncoding::MacRoman, true},
    {"windows-1252", TextEncoding::Windows1252, true},
    {"iso-8859-1", TextEncoding::Iso8859_1, true},
};

// The units of the code points [first, first + count), surrogate code points left out.
std::u16string UnitsOf(char32_t first, char32_t count)
{
    std::u16string units;
    for (char32_t c = first; c < first + count; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        if (c < 0x10000) {
            units.push_back(static_cast<char16_t>(c));
        } else {
            units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    return units;
}

Int32 TerminatorOf(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return 2;
    case TextEncoding::Utf32LE:
    case TextEncoding::Utf32BE:
        return 4;
    default:
        return 1;
    }
}

// Sizes (with the terminator), then converts into a block of exactly that size.
struct Conversion {
    Int32 sized = 0;
    Int32 written = 0;
    std::string bytes;
};

Conversion Convert(TextEncoding from, const void* source, Int32 count, TextEncoding to)
{
    Conversion result;
    result.sized = ConvertText(from, source, count, to, nullptr, 0, true);
    if (result.sized <= 0)
        return result;
    result.bytes.assign(static_cast<std::size_t>(result.sized), '\x7F');
    result.written = ConvertText(from, source, count, to, result.bytes.data(), result.sized, true);
    return result;
}

TEST(ConversionSizes, SizingCallEqualsConvertingCallOverEveryPlane)
{
    constexpr char32_t block = 512;
    for (const auto& target : encodings) {
        int mismatches = 0;
        for (char32_t first = 0; first < 0x110000 && mismatches < 5; first += block) {
            const std::u16string units = UnitsOf(first == 0 ? 1 : first, first == 0 ? block - 1 : block);
            if (units.empty())
                continue;
            const auto bytes = static_cast<Int32>(units.size() * 2);
            const Conversion out = Convert(TextEncoding::Utf16LE, units.data(), bytes, target.encoding);
            const bool oneBytePerUnit =
                !target.singleByte || out.sized == static_cast<Int32>(units.size()) + 1;
            if (out.sized <= 0 || out.written != out.sized || !oneBytePerUnit) {
                ADD_FAILURE() << target.name << " from U+" << std::hex << unsigned(first) << std::dec
                              << ": sized " << out.sized << ", wrote " << out.written << " for "
                              << units.size() << " units";
                ++mismatches;
                continue;
            }
            // And back: the bytes just written decode with the same rule.
            const Conversion back = Convert(target.encoding, out.bytes.data(),
                                            out.sized - TerminatorOf(target.encoding), TextEncoding::Utf16LE);
            if (back.sized <= 0 || back.written != back.sized) {
                ADD_FAILURE() << target.name << " back from U+" << std::hex << unsigned(first) << std::dec
                              << ": sized " << back.sized << ", wrote " << back.written;
                ++mismatches;
            }
        }
    }
}

// Every code page Windows uses as an ANSI code page, through the platform layer:
// units to bytes and those bytes back, over every plane; and every byte pair.
TEST(ConversionSizes, SizingCallEqualsConvertingCallForEveryAnsiCodePage)
{
    namespace platform = velmora::platform;
    const struct {
        unsigned codePage;
        bool doubleByte;
    } pages[] = {{874, false},  {1250, false}, {1251, false}, {1252, false}, {1253, false},
                 {1254, false}, {1255, false}, {1256, false}, {1257, false}, {1258, false},
                 {932, true},   {936, true},   {949, true},   {950, true}};
    std::string pairs; // every lead byte with every trail byte, a zero byte and a lone lead
    for (unsigned lead = 0x81; lead <= 0xFF; ++lead) {
        for (unsigned trail = 0x00; trail <= 0xFF; ++trail) {
            pairs.push_back(static_cast<char>(lead));
            pairs.push_back(static_cast<char>(trail));
        }
    }
    for (const auto& page : pages) {
        int mismatches = 0;
        const auto decode = [&](const std::string& bytes, const char* what) {
            const auto n = static_cast<int>(bytes.size());
            const int sized = platform::MultiByteToWide(page.codePage, bytes.data(), n, nullptr, 0);
            std::u16string units(static_cast<std::size_t>(std::max(sized, 1)), u'\0');
            const int written =
                platform::MultiByteToWide(page.codePage, bytes.data(), n, units.data(), sized);
            if (sized <= 0 || written != sized) {
                ADD_FAILURE() << page.codePage << " " << what << ": sized " << sized << ", wrote " << written;
                ++mismatches;
            }
        };
        constexpr char32_t block = 4096;
        for (char32_t first = 1; first < 0x110000 && mismatches < 5; first += block) {
            const std::u16string units = UnitsOf(first, block);
            const auto n = static_cast<int>(units.size());
            const int sized = platform::WideToMultiByte(page.codePage, units.data(), n, nullptr, 0);
            std::string bytes(static_cast<std::size_t>(std::max(sized, 1)), '\x7F');
            const int written =
                platform::WideToMultiByte(page.codePage, units.data(), n, bytes.data(), sized);
            const bool oneBytePerUnit = page.doubleByte || sized == n;
            if (sized <= 0 || written != sized || !oneBytePerUnit) {
                ADD_FAILURE() << page.codePage << " from U+" << std::hex << unsigned(first) << std::dec
                              << ": sized " << sized << ", wrote " << written << " for " << n << " units";
                ++mismatches;
                continue;
            }
            decode(bytes, "back");
        }
        if (page.doubleByte)
            decode(pairs, "byte pairs");
    }
}

TEST(ConversionSizes, UnicodeFormsRoundTripEveryPlane)
{
    const TextEncoding lossless[] = {TextEncoding::Utf7, TextEncoding::Utf8, TextEncoding::Utf16BE,
                                     TextEncoding::Utf32LE, TextEncoding::Utf32BE};
    const std::u16string all = UnitsOf(1, 0x10FFFF);
    for (TextEncoding encoding : lossless) {
        const Conversion out =
            Convert(TextEncoding::Utf16LE, all.data(), static_cast<Int32>(all.size() * 2), encoding);
        ASSERT_EQ(out.written, out.sized) << static_cast<int>(encoding);
        const Conversion back =
            Convert(encoding, out.bytes.data(), out.sized - TerminatorOf(encoding), TextEncoding::Utf16LE);
        ASSERT_EQ(back.written, back.sized) << static_cast<int>(encoding);
        EXPECT_TRUE(std::u16string(reinterpret_cast<const char16_t*>(back.bytes.data()),
                                   static_cast<std::size_t>(back.sized) / 2 - 1) == all)
            << static_cast<int>(encoding);
    }
}

TEST(ConversionSizes, CharactersACodePageLacksBecomeItsDefaultCharacter)
{
    const struct {
        const char* name;
        std::u16string text;
        TextEncoding encoding;
        std::string expected;
    } cases[] = {
        {"tag character", u"a\U000E0001b", TextEncoding::Ansi, "a??b"},
        {"cancel tag", u"\U000E007F", TextEncoding::Windows1252, "??"},
        {"tag letters", u"\U0001F3F4\U000E0067\U000E0062\U000E007F", TextEncoding::Iso8859_1, "????????"},
        {"tag in mac roman", u"x\U000E0020", TextEncoding::MacRoman, "x??"},
        {"tag in ascii", u"\U000E0041.", TextEncoding::UsAscii, "??."},
        {"variation selector", u"\uFE0F", TextEncoding::Windows1252, "?"},
        {"noncharacter", u"\uFFFF", TextEncoding::Windows1252, "?"},
        {"private use", u"\uE000", TextEncoding::Windows1252, "?"},
    };
    for (const auto& c : cases) {
        const Conversion out =
            Convert(TextEncoding::Utf16LE, c.text.data(), static_cast<Int32>(c.text.size() * 2), c.encoding);
        ASSERT_EQ(out.written, out.sized) << c.name;
        EXPECT_EQ(out.bytes.substr(0, out.bytes.size() - 1), c.expected) << c.name;
    }
}

TEST(ConversionSizes, TextWithATagCharacterLeavesTheStringAsBytes)
{
    TS_String text;
    ASSERT_TRUE(text.AppendUnits(u"flag \U000E0067.", 8));
    EncodedBytes encoded = text.ToBytes(TextEncoding::Ansi);
    ASSERT_NE(encoded.data, nullptr);
    EXPECT_EQ(std::string(encoded.data), "flag ??.");
    EXPECT_EQ(encoded.size, 9u);
}

} // namespace
