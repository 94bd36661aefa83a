// ConvertText's own rules (checks, empty sources, sizing, the UTF-16 and UTF-32
// forms), byte-order marks, the encoding guess and UTF-8 validation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FailingAllocations.hpp"
#include "core/TextEncoding.hpp"
#include "kit/Host.hpp"

using namespace velmora::core;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Convert(TextEncoding from, const void* source, Int32 count, TextEncoding to, bool terminate = false)
{
    Int32 size = ConvertText(from, source, count, to, nullptr, 0, terminate);
    if (size < 0)
        return Bytes{0xEE, static_cast<unsigned char>(-size)}; // marks a failure code
    Bytes out(static_cast<std::size_t>(size));
    EXPECT_EQ(ConvertText(from, source, count, to, out.data(), size, terminate), size);
    return out;
}

Bytes Failure(Int32 code)
{
    return Bytes{0xEE, static_cast<unsigned char>(-code)};
}

TEST(ConvertText, ChecksSourceThenEncodings)
{
    char target[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(ConvertText(TextEncoding::Ansi, nullptr, 3, TextEncoding::Unknown, target, 4, true), -3);
    EXPECT_EQ(target[0], '\0'); // a null source still leaves a terminated target
    EXPECT_EQ(ConvertText(TextEncoding::Unsupported, "a", 1, TextEncoding::Unknown, nullptr, 0, true), -4);
    EXPECT_EQ(ConvertText(TextEncoding::Unknown, "a", 1, TextEncoding::Utf8, nullptr, 0, true), -4);
    EXPECT_EQ(ConvertText(TextEncoding::Ansi, "a", 1, TextEncoding::Unsupported, nullptr, 0, true), -5);
    EXPECT_EQ(ConvertText(TextEncoding::Ansi, "a", 1, TextEncoding::Unknown, nullptr, 0, true), -5);
}

TEST(ConvertText, EmptySourceGivesOnlyTheTerminatorOfTheTarget)
{
    const char32_t zero = 0;
    for (TextEncoding from : {TextEncoding::Ansi, TextEncoding::Utf16BE, TextEncoding::Utf32LE}) {
        EXPECT_EQ(ConvertText(from, &zero, 0, TextEncoding::Ansi, nullptr, 0, false), 0);
        EXPECT_EQ(ConvertText(from, &zero, 0, TextEncoding::Ansi, nullptr, 0, true), 1);
        EXPECT_EQ(ConvertText(from, &zero, 0, TextEncoding::Utf16LE, nullptr, 0, true), 2);
        EXPECT_EQ(ConvertText(from, &zero, 0, TextEncoding::Utf32LE, nullptr, 0, true), 4);
        EXPECT_EQ(ConvertText(from, &zero, 0, TextEncoding::Utf32BE, nullptr, 0, true), 4);
    }
    unsigned char target[4] = {1, 1, 1, 1};
    EXPECT_EQ(ConvertText(TextEncoding::Ansi, "", 0, TextEncoding::Utf32LE, target, 3, true), -2);
    EXPECT_EQ(target[0], 1);
    EXPECT_EQ(ConvertText(TextEncoding::Ansi, "", 0, TextEncoding::Utf32LE, target, 4, true), 4);
    EXPECT_EQ(Bytes(target, target + 4), Bytes(4, 0));
    // A zero-terminated count (-1) of an empty 8-bit text leaves nothing to convert.
    EXPECT_EQ(ConvertText(TextEncoding::Ansi, "", -1, TextEncoding::Ansi, nullptr, 0, true), -1);
}

TEST(ConvertText, SizeQueryMatchesWhatIsWrittenAndTooSmallWritesNothing)
{
    const char* text = "Gr\xFC\xDF\x65 \x80";
    for (TextEncoding to : {TextEncoding::Ansi, TextEncoding::Utf7, TextEncoding::Utf8, TextEncoding::Utf16LE,
                            TextEncoding::Utf16BE, TextEncoding::Utf32LE, TextEncoding::Utf32BE}) {
        for (bool terminate : {false, true}) {
            const Int32 size = ConvertText(TextEncoding::Windows1252, text, 0, to, nullptr, 0, terminate);
            ASSERT_GT(size, 0);
            std::vector<char> target(static_cast<std::size_t>(size) + 1, '#');
            EXPECT_EQ(ConvertText(TextEncoding::Windows1252, text, 0, to, target.data(), size - 1, terminate),
                      -2);
            EXPECT_EQ(std::string(target.begin(), target.end()), std::string(target.size(), '#'));
            EXPECT_EQ(ConvertText(TextEncoding::Windows1252, text, 0, to, target.data(), size, terminate),
                      size);
            EXPECT_EQ(target[static_cast<std::size_t>(size)], '#');
        }
    }
    // The ANSI text's own byte length is one byte short of room for the terminator.
    char ansi[7];
    EXPECT_EQ(ConvertText(TextEncoding::Utf16LE, u"abcdef", 12, TextEncoding::Ansi, ansi, 6, true), -2);
    EXPECT_EQ(ConvertText(TextEncoding::Utf16LE, u"abcdef", 12, TextEncoding::Ansi, ansi, 7, true), 7);
    EXPECT_STREQ(ansi, "abcdef");
}

TEST(ConvertText, Utf16InBothByteOrders)
{
    const unsigned char big[] = {0x00, 'A', 0xD8, 0x3D, 0xDE, 0x00, 0x00, 0x00};
    const unsigned char little[] = {'A', 0x00, 0x3D, 0xD8, 0x00, 0xDE, 0x00, 0x00};
    EXPECT_EQ(Convert(TextEncoding::Utf16BE, big, 6, TextEncoding::Utf16LE), Bytes(little, little + 6));
    EXPECT_EQ(Convert(TextEncoding::Utf16LE, little, 6, TextEncoding::Utf16BE, true), Bytes(big, big + 8));
    // A count of 0 or less reads up to the zero unit.
    EXPECT_EQ(Convert(TextEncoding::Utf16BE, big, 0, TextEncoding::Utf16LE), Bytes(little, little + 6));
    EXPECT_EQ(Convert(TextEncoding::Utf16LE, little, -1, TextEncoding::Utf8),
              Bytes({'A', 0xF0, 0x9F, 0x98, 0x80}));
    // An odd byte count drops the last byte; the source may lie at an odd address.
    unsigned char shifted[8];
    std::memcpy(shifted + 1, little, 6);
    EXPECT_EQ(Convert(TextEncoding::Utf16LE, shifted + 1, 5, TextEncoding::Utf16BE), Bytes(big, big + 4));
}

TEST(ConvertText, Utf32InBothByteOrders)
{
    const unsigned char little[] = {0x00, 0xF6, 0x01, 0x00, 'A', 0, 0, 0, 0, 0, 0, 0};
    const unsigned char big[] = {0x00, 0x01, 0xF6, 0x00, 0, 0, 0, 'A', 0, 0, 0, 0};
    const Bytes pivot = {0x3D, 0xD8, 0x00, 0xDE, 'A', 0x00};
    EXPECT_EQ(Convert(TextEncoding::Utf32LE, little, 8, TextEncoding::Utf16LE), pivot);
    EXPECT_EQ(Convert(TextEncoding::Utf32BE, big, 0, TextEncoding::Utf16LE), pivot);
    EXPECT_EQ(Convert(TextEncoding::Utf16LE, pivot.data(), 6, TextEncoding::Utf32LE, true),
              Bytes(little, little + 12));
    EXPECT_EQ(Convert(TextEncoding::Utf16LE, pivot.data(), 6, TextEncoding::Utf32BE, true),
              Bytes(big, big + 12));
}

TEST(ConvertText, Utf32ValuesOutsideUnicodeBecomeReplacementCharacters)
{
    const char32_t values[] = {0xD800, 0x110000, 0xDFFF, 0xFFFF};
    EXPECT_EQ(Convert(TextEncoding::Utf32LE, values, 16, TextEncoding::Utf16BE),
              Bytes({0xFF, 0xFD, 0xFF, 0xFD, 0xFF, 0xFD, 0xFF, 0xFF}));
}

TEST(ConvertText, SurrogatesOnTheWayToUtf32)
{
    // A high surrogate at the end, or before the zero unit, fails.
    const char16_t atEnd[] = {u'a', 0xD83D};
    EXPECT_EQ(Convert(TextEncoding::Utf16LE, atEnd, 4, TextEncoding::Utf32LE), Failure(-1));
    const char16_t beforeZero[] = {u'a', 0xD83D, 0, u'b'};
    EXPECT_EQ(Convert(TextEncoding::Utf16LE, beforeZero, 8, TextEncoding::Utf32BE), Failure(-1));
    // A lone low surrogate, and a high one before any other unit, keep their value.
    const char16_t lone[] = {0xDC00, 0xD800, u'b'};
    EXPECT_EQ(Convert(TextEncoding::Utf16LE, lone, 6, TextEncoding::Utf32BE),
              Bytes({0, 0, 0xDC, 0x00, 0, 0, 0xD8, 0x00, 0, 0, 0, 'b'}));
}

TEST(ConvertText, WorkBlocksComeFromTheHostAndAreReleased)
{
    const long before = kit::LiveAllocations();
    char target[64];
    EXPECT_GT(
        ConvertText(TextEncoding::Utf8, "\xC3\xA9t\xC3\xA9", 0, TextEncoding::Utf16BE, target, 64, true), 0);
    EXPECT_EQ(ConvertText(TextEncoding::Utf8, "\xC3\xA9t\xC3\xA9", 0, TextEncoding::Utf16BE, target, 2, true),
              -2);
    EXPECT_EQ(ConvertText(TextEncoding::Utf16BE, "\xD8\x3D", 2, TextEncoding::Utf32LE, target, 64, true), -1);
    EXPECT_GT(ConvertText(TextEncoding::Utf32BE, "\0\0\0A", 4, TextEncoding::Ansi, target, 64, true), 0);
    EXPECT_EQ(kit::LiveAllocations(), before);

    velmora::test::FailingAllocations noMemory(0);
    // Sizing a UTF-16 result needs no work block, nor does converting into an aligned
    // block of the internal form; the other byte order does.
    EXPECT_EQ(ConvertText(TextEncoding::Ansi, "abc", 0, TextEncoding::Utf16LE, nullptr, 0, true), 8);
    alignas(char16_t) char aligned[16];
    EXPECT_EQ(ConvertText(TextEncoding::Ansi, "abc", 0, TextEncoding::Utf16LE, aligned, 16, true), 8);
    EXPECT_EQ(std::memcmp(aligned, "a\0b\0c\0\0\0", 8), 0);
    EXPECT_THROW(ConvertText(TextEncoding::Ansi, "abc", 0, TextEncoding::Utf16BE, target, 64, true),
                 GS::OutOfMemoryException);
    EXPECT_THROW(ConvertText(TextEncoding::Utf8, "abc", 0, TextEncoding::Utf32BE, nullptr, 0, true),
                 GS::OutOfMemoryException);
    EXPECT_EQ(kit::LiveAllocations(), before);
}

TEST(DetectBOM, EveryMark)
{
    const struct {
        Bytes bytes;
        TextEncoding encoding;
        UInt32 length;
    } cases[] = {
        {{0xFF, 0xFE}, TextEncoding::Utf16LE, 2},
        {{0xFF, 0xFE, 0x00}, TextEncoding::Utf16LE, 2},
        {{0xFF, 0xFE, 0x00, 0x41}, TextEncoding::Utf16LE, 2},
        {{0xFF, 0xFE, 0x00, 0x00}, TextEncoding::Utf32LE, 4},
        {{0xFE, 0xFF, 0x00, 0x41}, TextEncoding::Utf16BE, 2},
        {{0xF7, 0x64, 0x4C, 0x41}, TextEncoding::Unsupported, 3},
        {{0xFB, 0xEE, 0x28}, TextEncoding::Unsupported, 3},
        {{0x2B, 0x2F, 0x76, 0x38}, TextEncoding::Utf7, 4},
        {{0x2B, 0x2F, 0x76, 0x38, 0x2D}, TextEncoding::Utf7, 5},
        {{0x2B, 0x2F, 0x76, 0x39, 0x2D}, TextEncoding::Utf7, 4},
        {{0x2B, 0x2F, 0x76, 0x2B}, TextEncoding::Utf7, 4},
        {{0x2B, 0x2F, 0x76, 0x2F}, TextEncoding::Utf7, 4},
        {{0xDD, 0x73, 0x66, 0x73}, TextEncoding::Unsupported, 4},
        {{0x84, 0x31, 0x95, 0x33}, TextEncoding::Unsupported, 4},
        // No mark.
        {{0xFF}, TextEncoding::Unknown, 0},
        {{0xEF, 0xBB}, TextEncoding::Unknown, 0},
        {{0x2B, 0x2F, 0x76}, TextEncoding::Unknown, 0},
        {{0x2B, 0x2F, 0x76, 0x41}, TextEncoding::Unknown, 0},
        {{0x00, 0x00, 0xFE}, TextEncoding::Unknown, 0},
        {{'a', 'b', 'c', 'd'}, TextEncoding::Unknown, 0},
    };
    for (const auto& c : cases) {
        TextEncoding found = TextEncoding::Ansi;
        EXPECT_EQ(DetectBOM(c.bytes.data(), static_cast<UInt32>(c.bytes.size()), &found), c.length)
            << "mark of " << c.bytes.size() << " bytes starting " << int(c.bytes[0]);
        EXPECT_EQ(found, c.encoding) << "mark of " << c.bytes.size() << " bytes starting " << int(c.bytes[0]);
    }
}

TEST(GuessEncoding, RecognisesUnmarkedText)
{
    auto guess = [](const Bytes& bytes) {
        TextEncoding found = TextEncoding::Unknown;
        return GuessEncoding(bytes.data(), static_cast<UInt32>(bytes.size()), &found) ? found
                                                                                      : TextEncoding::Unknown;
    };
    EXPECT_EQ(guess({0x41, 0x00, 0x00, 0x00, 0x00, 0xF6, 0x01, 0x00}), TextEncoding::Utf32LE);
    EXPECT_EQ(guess({0x00, 0x00, 0x00, 0x41, 0x00, 0x01, 0xF6, 0x00}), TextEncoding::Utf32BE);
    // Both UTF-32 tests fail; zeros at every odd position.
    EXPECT_EQ(guess({0x41, 0x00, 0x42, 0x00}), TextEncoding::Utf16LE);
    EXPECT_EQ(guess({0x00, 0x41, 0x00, 0x42, 0x00, 0x43}), TextEncoding::Utf16BE);
    EXPECT_EQ(guess({'p', 'l', 'a', 'i', 'n', '!'}), TextEncoding::Utf8);
    EXPECT_EQ(guess({0xC3, 0x41}), TextEncoding::Unknown);
    // Zero shares at the limits: 2E/N must stay below 0.2 and 2O/N exceed 0.6.
    EXPECT_EQ(guess({'a', 0, 'b', 0, 'c', 0, 'd', 'e', 'f', 'g'}), TextEncoding::Utf8);  // 2O/N = 0.6
    EXPECT_EQ(guess({'a', 0, 'b', 0, 'c', 0, 'd', 0, 'f', 'g'}), TextEncoding::Utf16LE); // 0.8
    EXPECT_EQ(guess({0, 0, 'b', 0, 'c', 0, 'd', 0, 'f', 'g'}), TextEncoding::Utf8);      // 2E/N = 0.2
    TextEncoding untouched = TextEncoding::Iso8859_1;
    const unsigned char bad[] = {0xC3, 0x41};
    EXPECT_FALSE(GuessEncoding(bad, 2, &untouched));
    EXPECT_EQ(untouched, TextEncoding::Iso8859_1);
}

TEST(IsValidUTF8, AcceptsExactlyWellFormedSequences)
{
    auto valid = [](const Bytes& bytes, bool requireNonAscii = false) {
        return IsValidUTF8(bytes.data(), static_cast<UInt32>(bytes.size()), requireNonAscii);
    };
    EXPECT_TRUE(valid({0xEF, 0xBB, 0xBF}));
    EXPECT_TRUE(valid({0x7F, 0xC2, 0x80, 0xDF, 0xBF, 0xE0, 0xA0, 0x80, 0xED, 0x9F, 0xBF}));
    EXPECT_TRUE(valid({0xF0, 0x90, 0x80, 0x80, 0xF4, 0x8F, 0xBF, 0xBF, 0xEE, 0x80, 0x80}));
    EXPECT_FALSE(valid({0xC0, 0x80})); // overlong
    EXPECT_FALSE(valid({0xC1, 0xBF}));
    EXPECT_FALSE(valid({0xE0, 0x9F, 0xBF}));       // overlong
    EXPECT_FALSE(valid({0xED, 0xA0, 0x80}));       // surrogate
    EXPECT_FALSE(valid({0xF0, 0x8F, 0xBF, 0xBF})); // overlong
    EXPECT_FALSE(valid({0xF4, 0x90, 0x80, 0x80})); // above U+10FFFF
    EXPECT_FALSE(valid({0xF5, 0x80, 0x80, 0x80}));
    EXPECT_FALSE(valid({0x80}));       // lone continuation
    EXPECT_FALSE(valid({0xE2, 0x82})); // cut off by the end
    EXPECT_FALSE(valid({0xC3, 0x41}));
    EXPECT_FALSE(valid({0xFF}));

    EXPECT_TRUE(valid({}));
    EXPECT_FALSE(valid({}, true));
    EXPECT_FALSE(valid({'a', 'b'}, true));
    EXPECT_TRUE(valid({'a', 0xC3, 0xA9}, true));
}

TEST(CodePageOf, MapsEveryEncoding)
{
    const struct {
        Int32 encoding;
        UInt32 codePage;
    } cases[] = {{2, 0},      {10, 65000},  {11, 65001},  {12, 1200},  {13, 1201},   {14, 12000},
                 {15, 12001}, {100, 20127}, {101, 10000}, {102, 1252}, {103, 28591}, {3, 0},
                 {9, 0},      {16, 0},      {99, 0},      {104, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(CodePageOf(static_cast<TextEncoding>(c.encoding)), c.codePage) << c.encoding;
}

} // namespace
