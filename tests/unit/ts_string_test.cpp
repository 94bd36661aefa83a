// TS_String through the operations the program uses: the null state against the
// empty string, exact sizing, searches, substrings, numbers, paths, conversions
// and running out of host memory.
#include <gtest/gtest.h>

#include <string>

#include "core/TS_String.hpp"
#include "failing_allocations.hpp"
#include "kit/Host.hpp"
#include "velmora/platform.hpp"

using namespace velmora::core;

namespace {

using velmora::test::FailingAllocations;

std::u16string U(const TS_String& s)
{
    return s.IsNull() ? u"<null>" : std::u16string(s.GetUnits(), s.GetLength());
}

TS_String S(const std::u16string& units)
{
    TS_String s;
    s.SetCapacity(static_cast<UInt32>(units.size()) + 1, false);
    s.AppendUnits(units.data(), static_cast<UInt32>(units.size()));
    return s;
}

bool AnsiIs1252()
{
    return velmora::platform::AnsiCodePage() == 1252;
}

TEST(TS_String, NullStateIsNotTheEmptyString)
{
    const TS_String null;
    const TS_String fromNull(static_cast<const char*>(nullptr));
    const TS_String empty("");
    EXPECT_TRUE(null.IsNull());
    EXPECT_TRUE(fromNull.IsNull());
    EXPECT_EQ(null.GetCapacity(), 0u);
    EXPECT_FALSE(empty.IsNull());
    EXPECT_EQ(empty.GetLength(), 0u);
    EXPECT_EQ(empty.GetCapacity(), 1u);

    EXPECT_EQ(null.Compare(0, empty), -1);
    EXPECT_EQ(empty.Compare(0, null), 1);
    EXPECT_EQ(null.Compare(0, TS_String()), 0);
    EXPECT_EQ(empty.Compare(0, TS_String("")), 0);
    EXPECT_TRUE(null.IsEqual(nullptr));
    EXPECT_FALSE(null.IsEqual(""));
    EXPECT_FALSE(empty.IsGreater(empty));
    EXPECT_TRUE(empty.IsGreater(null));
    EXPECT_FALSE(null.IsGreater(empty));

    // Copies, substrings and transformations keep the distinction.
    EXPECT_TRUE(TS_String(null).IsNull());
    EXPECT_EQ(TS_String(empty).GetCapacity(), 1u);
    EXPECT_TRUE(null.Mid(0).IsNull());
    EXPECT_EQ(U(empty.Mid(0)), u"");
    EXPECT_TRUE(null.ToUpper().IsNull());
    EXPECT_TRUE(null.Trim().IsNull());
    EXPECT_EQ(U(TS_String("   ").Trim()), u"");
    EXPECT_TRUE((null + null).IsNull());
    EXPECT_EQ(U(null + empty), u"");

    TS_String s("text");
    s = null;
    EXPECT_TRUE(s.IsNull());
    s = "again";
    s = static_cast<const char*>(nullptr);
    EXPECT_TRUE(s.IsNull());
}

TEST(TS_String, ConstructionAndAssignmentSizeExactly)
{
    TS_String s("hello");
    EXPECT_EQ(U(s), u"hello");
    EXPECT_EQ(s.GetCapacity(), 6u);
    const TS_String shorter("hi");
    const TS_String longer("longer text");
    s = shorter; // fits: the block stays
    EXPECT_EQ(U(s), u"hi");
    EXPECT_EQ(s.GetCapacity(), 6u);
    s = longer;
    EXPECT_EQ(s.GetCapacity(), 12u);
    s = "abc";
    EXPECT_EQ(s.GetCapacity(), 12u);
    s = s; // assignment to itself does nothing
    EXPECT_EQ(U(s), u"abc");

    EXPECT_EQ(U(TS_String("abcdef", 3, TextEncoding::Ansi)), u"abc");
    EXPECT_EQ(U(TS_String("abc", 0, TextEncoding::Ansi)), u"abc");
    EXPECT_EQ(U(TS_String("\xC3\xA9t\xC3\xA9", TextEncoding::Utf8)), u"\u00E9t\u00E9");
    EXPECT_EQ(U(TS_String("\0a\0b", 4, TextEncoding::Utf16BE)), u"ab");

    // A text the conversion refuses leaves the string as it was (construction: null).
    EXPECT_TRUE(TS_String("abc", TextEncoding::Unknown).IsNull());
    EXPECT_FALSE(s.AssignBytes("+AG-", 4, TextEncoding::Utf7));
    EXPECT_EQ(U(s), u"abc");
    EXPECT_TRUE(s.AssignBytes("x\xC3\xA9", 3, TextEncoding::Utf8));
    EXPECT_EQ(U(s), u"x\u00E9");
}

TEST(TS_String, AssignJoinedCutsEachText)
{
    TS_String s("old");
    EXPECT_TRUE(s.AssignJoined("abcdef", 3, nullptr, 0, "xyz", 0));
    EXPECT_EQ(U(s), u"abcxyz");
    EXPECT_EQ(s.GetCapacity(), 7u);
    s.AssignJoined("ab", 5, "", 0, "cd", 1);
    EXPECT_EQ(U(s), u"abc");
    s.AssignJoined(nullptr, 0, "", 0, nullptr, 0);
    EXPECT_TRUE(s.IsNull());
}

TEST(TS_String, ReserveAndSetCapacity)
{
    TS_String s("abc");
    EXPECT_TRUE(s.Reserve(2, false)); // already enough: nothing happens
    EXPECT_TRUE(s.Reserve(4, false)); // just enough, terminator included
    EXPECT_EQ(U(s), u"abc");
    EXPECT_TRUE(s.Reserve(10, true));
    EXPECT_EQ(s.GetCapacity(), 10u);
    EXPECT_EQ(U(s), u"abc");
    EXPECT_TRUE(s.Reserve(20, false));
    EXPECT_EQ(s.GetLength(), 0u);

    TS_String t("abcdef");
    EXPECT_TRUE(t.SetCapacity(4, true));
    EXPECT_EQ(U(t), u"abc");
    EXPECT_EQ(t.GetCapacity(), 4u);
    EXPECT_TRUE(t.SetCapacity(50, true));
    EXPECT_EQ(U(t), u"abc");
    EXPECT_EQ(t.GetCapacity(), 50u);
    EXPECT_TRUE(t.SetCapacity(3, false));
    EXPECT_EQ(U(t), u"");
    EXPECT_TRUE(t.SetCapacity(0, true));
    EXPECT_TRUE(t.IsNull());
}

TEST(TS_String, AppendingGrowsExactly)
{
    TS_String s;
    EXPECT_TRUE(s.Append("ab"));
    EXPECT_EQ(s.GetCapacity(), 3u);
    s += TS_String("cd");
    EXPECT_EQ(U(s), u"abcd");
    EXPECT_EQ(s.GetCapacity(), 5u);
    s += s;
    EXPECT_EQ(U(s), u"abcdabcd");
    EXPECT_EQ(s.GetCapacity(), 9u);
    s.Reserve(20, true);
    s += "!"; // fits: no new block
    EXPECT_EQ(s.GetCapacity(), 20u);
    EXPECT_EQ(U(s), u"abcdabcd!");

    EXPECT_TRUE(s.AppendUnits(nullptr, 5));
    EXPECT_TRUE(s.AppendUnits(u"xyz", 0));
    EXPECT_TRUE(s.AppendBytes(nullptr, 0, TextEncoding::Ansi));
    EXPECT_FALSE(s.AppendBytes("x", 1, TextEncoding::Unsupported));
    EXPECT_EQ(U(s), u"abcdabcd!");
    EXPECT_TRUE(s.AppendBytes("\x00\x01\xF6\x00", 4, TextEncoding::Utf32BE));
    EXPECT_EQ(U(s), u"abcdabcd!\U0001F600");

    // Appending nothing to a null string keeps it null; appending "" makes it empty.
    TS_String n;
    n += TS_String();
    EXPECT_TRUE(n.IsNull());
    n += "";
    EXPECT_EQ(n.GetCapacity(), 1u);
}

TEST(TS_String, Concatenation)
{
    const TS_String left("ab");
    EXPECT_EQ(U(left + TS_String("cd")), u"abcd");
    EXPECT_EQ((left + TS_String("cd")).GetCapacity(), 5u);
    EXPECT_EQ(U(left + "x"), u"abx");
    EXPECT_EQ(U("x" + left), u"xab");
    EXPECT_EQ(U(TS_String() + "x"), u"x");
}

TEST(TS_String, UnitAccess)
{
    TS_String s("a\x80z");
    EXPECT_EQ(s.GetAt(0), u'a');
    EXPECT_EQ(s.GetAt(3), 0);
    EXPECT_EQ(TS_String().GetAt(0), 0);
    EXPECT_EQ(s.GetAnsiAt(3), 0);
    EXPECT_EQ(TS_String().GetAnsiAt(0), 0);
    EXPECT_EQ(S(u"\u263A").GetAnsiAt(0), '?');
    s.SetAnsiAt(0, 'Q');
    s.SetAnsiAt(9, 'Q');
    EXPECT_EQ(U(s).substr(0, 1), u"Q");
    if (AnsiIs1252()) {
        EXPECT_EQ(s.GetAt(1), 0x20AC);
        EXPECT_EQ(s.GetAnsiAt(1), '\x80');
        s.SetAnsiAt(2, '\x9C');
        EXPECT_EQ(s.GetAt(2), 0x0153);
    }
}

TEST(TS_String, Compare)
{
    const TS_String abc("abc");
    EXPECT_EQ(abc.Compare(0, TS_String("abd")), -1);
    EXPECT_EQ(abc.Compare(0, TS_String("ab")), 1);
    EXPECT_EQ(abc.Compare(0, TS_String("abcd")), -1);
    EXPECT_EQ(abc.Compare(1, TS_String("xbc"), 1), 0);
    EXPECT_EQ(abc.Compare(0, TS_String("abx"), 0, 2), 0);
    EXPECT_EQ(abc.Compare(0, TS_String("abx"), 0, 3), -1);
    // Units compare as unsigned numbers.
    EXPECT_EQ(S(u"\u00E9").Compare(0, TS_String("z")), 1);
    EXPECT_EQ(S(u"\uFFFF").Compare(0, S(u"\U0001F600")), 1);

    EXPECT_EQ(abc.CompareNoCase(0, TS_String("ABC")), 0);
    EXPECT_EQ(S(u"\u00C9T\u00C9").CompareNoCase(0, S(u"\u00E9t\u00E9")), 0);
    // Ordered by the lower-case units: "_" (5F) sorts before "a" (61) though after "A" (41).
    EXPECT_EQ(TS_String("_").CompareNoCase(0, TS_String("A")), -1);
    EXPECT_EQ(TS_String("_").Compare(0, TS_String("A")), 1);

    EXPECT_TRUE(abc.IsEqual("abc"));
    EXPECT_TRUE(abc.IsNotEqual("ABC"));
    EXPECT_TRUE(TS_String("b").IsGreater(abc));
    EXPECT_TRUE(abc.IsGreater(TS_String("ab")));
    EXPECT_FALSE(TS_String("ab").IsGreater(abc));
    EXPECT_FALSE(abc.IsGreater(abc));
}

TEST(TS_String, Searches)
{
    EXPECT_EQ(TS_String("xxabc").FindNoCase(TS_String("ABC"), 0), 2);
    EXPECT_EQ(TS_String("abcabc").FindNoCase(TS_String("BC"), 2), 4);
    EXPECT_EQ(TS_String("xxabc").FindNoCase(TS_String("abc"), 5), -1);
    EXPECT_EQ(TS_String("xxabc").FindNoCase(TS_String(""), 0), -1);
    EXPECT_EQ(TS_String("xxabc").FindNoCase(TS_String(), 0), -1);
    EXPECT_EQ(TS_String("ab").FindNoCase(TS_String("abc"), 0), -1);

    EXPECT_EQ(TS_String("banana").ReverseFind(TS_String("a")), 5);
    EXPECT_EQ(TS_String("banana").ReverseFind(TS_String("ana")), 3);
    EXPECT_EQ(TS_String("banana").ReverseFind(TS_String("A")), -1);
    EXPECT_EQ(TS_String("banana").ReverseFind(TS_String("")), -1);

    const TS_String path("a.b.c");
    EXPECT_EQ(path.FindChar('.', 0), 1);
    EXPECT_EQ(path.FindChar('.', 2), 3);
    EXPECT_EQ(path.FindChar('.', 5), -1);
    EXPECT_EQ(path.FindChar('\0', 0), -1);
    EXPECT_EQ(path.ReverseFindChar('.'), 3);
    EXPECT_EQ(path.ReverseFindChar('x'), -1);
    EXPECT_EQ(TS_String().FindChar('.', 0), -1);

    const TS_String word("prefix");
    EXPECT_TRUE(word.MatchesAt(TS_String("pre"), 0));
    EXPECT_TRUE(word.MatchesAt(TS_String("fix"), 3));
    EXPECT_FALSE(word.MatchesAt(TS_String("fixes"), 3));
    EXPECT_FALSE(word.MatchesAt(TS_String("x"), 6));
    EXPECT_FALSE(word.MatchesAt(TS_String(""), 0));
    EXPECT_FALSE(TS_String("").MatchesAt(TS_String("x"), 0));

    EXPECT_TRUE(word.EndsWith(TS_String("fix")));
    EXPECT_TRUE(word.EndsWith(word));
    EXPECT_FALSE(word.EndsWith(TS_String("FIX")));
    EXPECT_FALSE(word.EndsWith(TS_String("xprefix")));
    EXPECT_FALSE(word.EndsWith(TS_String("")));
}

TEST(TS_String, Substrings)
{
    const TS_String s("abcdef");
    EXPECT_EQ(U(s.Mid(2)), u"cdef");
    EXPECT_EQ(U(s.Mid(6)), u"");
    EXPECT_EQ(s.Mid(6).GetCapacity(), 1u);
    EXPECT_TRUE(s.Mid(7).IsNull());
    EXPECT_EQ(U(s.Mid(1, 2)), u"bc");
    EXPECT_EQ(U(s.Mid(4, 99)), u"ef");
    EXPECT_EQ(s.Mid(4, 99).GetCapacity(), 3u);
    EXPECT_TRUE(s.Mid(7, 1).IsNull());

    EXPECT_EQ(U(s.Right(1, 0)), u"f");
    EXPECT_EQ(U(s.Right(2, 1)), u"de");
    EXPECT_EQ(U(s.Right(6, 0)), u"abcdef");
    EXPECT_EQ(U(s.Right(0, 6)), u"");
    EXPECT_TRUE(s.Right(6, 1).IsNull());
    EXPECT_TRUE(s.Right(0, 7).IsNull());
    EXPECT_TRUE(s.Right(0xFFFFFFFF, 1).IsNull());
}

TEST(TS_String, CaseTrimAndReplace)
{
    TS_String mixed = S(u"Stra\u00DFe \u00C9T\u00E9");
    EXPECT_EQ(U(mixed.ToLower()), u"stra\u00DFe \u00E9t\u00E9");
    EXPECT_EQ(U(mixed.ToUpper()), u"STRA\u00DFE \u00C9T\u00C9");
    mixed.Reserve(40, true);
    EXPECT_EQ(mixed.ToUpper().GetCapacity(), mixed.GetLength() + 1);

    EXPECT_EQ(U(TS_String(" \tx y\t ").Trim(true, true, false)), u"\tx y\t");
    EXPECT_EQ(U(TS_String(" \tx y\t ").Trim(true, true, true)), u"x y");
    EXPECT_EQ(U(TS_String("  x  ").Trim(true, false)), u"x  ");
    EXPECT_EQ(U(TS_String("  x  ").Trim(false, true)), u"  x");
    EXPECT_EQ(TS_String(" \t ").Trim(true, true, true).GetCapacity(), 1u);

    EXPECT_EQ(U(TS_String("aab").Replace("ab", "x")), u"ax");
    EXPECT_EQ(U(TS_String("aaaa").Replace("aa", "b")), u"bb");
    EXPECT_EQ(U(TS_String("aaa").Replace("aa", "b")), u"ba");
    EXPECT_EQ(U(TS_String("a.b.c").Replace(".", "\\\\")), u"a\\\\b\\\\c");
    const TS_String grown = TS_String("x-y-z").Replace(TS_String("-"), TS_String("<->"));
    EXPECT_EQ(U(grown), u"x<->y<->z");
    EXPECT_EQ(grown.GetCapacity(), 10u);
    EXPECT_EQ(TS_String("x--y").Replace("--", "").GetCapacity(), 3u);
    EXPECT_EQ(U(TS_String("abc").Replace("", "x")), u"abc");
    EXPECT_EQ(U(TS_String("abc").Replace("z", "x")), u"abc");
    EXPECT_TRUE(TS_String("abc").Replace(nullptr, "x").IsNull());
    EXPECT_TRUE(TS_String("abc").Replace("a", nullptr).IsNull());
    EXPECT_TRUE(TS_String().Replace("a", "b").IsNull());
}

TEST(TS_String, SurrogatePairsCountAsTwoUnits)
{
    const TS_String s("a\xF0\x9F\x98\x80z", TextEncoding::Utf8);
    EXPECT_EQ(s.GetLength(), 4u);
    EXPECT_EQ(s.GetAt(1), 0xD83D);
    EXPECT_EQ(s.GetAt(2), 0xDE00);
    EXPECT_EQ(U(s.Mid(2, 1)), std::u16string(1, char16_t(0xDE00)));
    EXPECT_EQ(U(s.Right(1, 1)), std::u16string(1, char16_t(0xDE00)));
    EXPECT_EQ(U(s.ToUpper()), u"A\U0001F600Z");
}

TEST(TS_String, Numbers)
{
    EXPECT_EQ(U(TS_String::FromNumber(-42)), u"-42");
    EXPECT_EQ(U(TS_String::FromNumber(-42, 5)), u"  -42");
    EXPECT_EQ(U(TS_String::FromNumber(12345, 3)), u"12345");
    EXPECT_EQ(U(TS_String::FromNumber(-2147483647 - 1)), u"-2147483648");
    EXPECT_EQ(TS_String::FromNumber(7, 300).GetLength(), 300u);

    EXPECT_EQ(ParseLong(nullptr), 0);
    EXPECT_EQ(ParseLong(""), 0);
    EXPECT_EQ(ParseLong("abc"), 2147483647);
    EXPECT_EQ(ParseLong("-"), 0);
    EXPECT_EQ(ParseLong("-x5"), 0);
    EXPECT_EQ(ParseLong("12.5"), 12);
    EXPECT_EQ(ParseLong("v12a"), 12);
    EXPECT_EQ(ParseLong("x-7"), -7);
    EXPECT_EQ(ParseLong("+15"), 15);
    EXPECT_EQ(ParseLong("\xB2"
                        "3"),
              3);                          // bytes above 7F are no digits
    EXPECT_EQ(ParseLong("4294967297"), 1); // wraps modulo 2^32
    EXPECT_EQ(ParseLong("2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseLong("-0"), 0);

    EXPECT_EQ(TS_String(" -12x").ToLong(), -12);
    EXPECT_EQ(TS_String().ToLong(), 0);

    EXPECT_EQ(NumberKind(TS_String()), 0);
    EXPECT_EQ(NumberKind(TS_String("")), 0);
    EXPECT_EQ(NumberKind(TS_String(" + ")), 0);
    EXPECT_EQ(NumberKind(TS_String(" +12")), 1);
    EXPECT_EQ(NumberKind(TS_String("- 7")), 1);
    EXPECT_EQ(NumberKind(TS_String("3,5")), 2);
    EXPECT_EQ(NumberKind(TS_String(".5")), 2);
    EXPECT_EQ(NumberKind(TS_String("3.")), 0);
    EXPECT_EQ(NumberKind(TS_String("1.2.3")), 0);
    EXPECT_EQ(NumberKind(TS_String("1.,3")), 0);
    EXPECT_EQ(NumberKind(TS_String("\t1")), 0);
    EXPECT_EQ(NumberKind(TS_String("12 ")), 0);
    EXPECT_EQ(NumberKind(TS_String("1e5")), 0);

    EXPECT_EQ(TextLength(nullptr), 0u);
    EXPECT_EQ(TextLength("abc"), 3u);
}

TEST(TS_String, PathParts)
{
    const TS_String path("C:\\dir\\file.txt");
    EXPECT_EQ(U(path.FileNamePart()), u"file.txt");
    EXPECT_EQ(U(path.ExtensionPart()), u"txt");
    EXPECT_EQ(U(path.FolderPart(false)), u"C:\\dir");
    EXPECT_EQ(U(path.FolderPart(true)), u"C:\\dir\\");

    EXPECT_EQ(U(TS_String("C:\\d.x\\file").ExtensionPart()), u"");
    EXPECT_EQ(U(TS_String("C:\\dir\\file.").ExtensionPart()), u"");
    EXPECT_EQ(U(TS_String("archive.tar.gz").ExtensionPart()), u"gz");
    EXPECT_EQ(U(TS_String("C:\\dir\\").FileNamePart()), u"");
    EXPECT_EQ(TS_String("C:\\dir\\").FileNamePart().GetCapacity(), 1u);
    EXPECT_EQ(U(TS_String("name").FileNamePart()), u"name");
    EXPECT_EQ(U(TS_String("name").FolderPart(true)), u"\\");
    EXPECT_EQ(U(TS_String("name").FolderPart(false)), u"");
    EXPECT_EQ(U(TS_String("C:/dir/file").FileNamePart()), u"C:/dir/file"); // the slash is no separator

    EXPECT_TRUE(TS_String().FileNamePart().IsNull());
    EXPECT_TRUE(TS_String().ExtensionPart().IsNull());
    EXPECT_TRUE(TS_String().FolderPart(true).IsNull());

    TS_String cut("C:\\a\\b");
    cut.RemoveLastPathPart();
    EXPECT_EQ(U(cut), u"C:\\a");
    cut.RemoveLastPathPart();
    EXPECT_EQ(U(cut), u"C:");
    cut.RemoveLastPathPart();
    EXPECT_EQ(U(cut), u"");
    TS_String null;
    null.RemoveLastPathPart();
    EXPECT_TRUE(null.IsNull());
}

TEST(TS_String, ToBytes)
{
    const TS_String s = S(u"\u00E9\U0001F600");
    EncodedBytes utf8 = s.ToBytes(TextEncoding::Utf8);
    ASSERT_NE(utf8.data, nullptr);
    EXPECT_EQ(std::string(utf8.data, utf8.size), std::string("\xC3\xA9\xF0\x9F\x98\x80\0", 7));
    EXPECT_EQ(utf8.encoding, TextEncoding::Utf8);
    EncodedBytes big = s.ToBytes(TextEncoding::Utf16BE);
    EXPECT_EQ(std::string(big.data, big.size), std::string("\x00\xE9\xD8\x3D\xDE\x00\0\0", 8));

    // Length 0, null or empty, gives just the terminator.
    EXPECT_EQ(TS_String().ToBytes(TextEncoding::Ansi).size, 1u);
    EXPECT_EQ(TS_String("").ToBytes(TextEncoding::Utf16LE).size, 2u);
    EncodedBytes wide = TS_String().ToBytes(TextEncoding::Utf32BE);
    EXPECT_EQ(std::string(wide.data, wide.size), std::string(4, '\0'));

    EncodedBytes failed = s.ToBytes(TextEncoding::Unknown);
    EXPECT_EQ(failed.data, nullptr);
    EXPECT_EQ(failed.size, 0u);
    // A high surrogate cut off on the way to UTF-32.
    EXPECT_EQ(S({u'a', char16_t(0xD83D)}).ToBytes(TextEncoding::Utf32LE).data, nullptr);

    char* kept = utf8.Release();
    EXPECT_EQ(utf8.data, nullptr);
    GS::DeleteArrayOperator(kept);
}

TEST(TS_String, FromEncodedBytesUsesMarkFallbackOrGuess)
{
    TS_String s("before");
    EXPECT_EQ(s.FromEncodedBytes(nullptr, 0, true, TextEncoding::Utf8), TextEncoding::Unknown);
    EXPECT_EQ(U(s), u"");
    EXPECT_EQ(s.GetCapacity(), 1u);

    auto decode = [&s](const std::string& bytes, bool detect, TextEncoding fallback) {
        return s.FromEncodedBytes(bytes.data(), static_cast<UInt32>(bytes.size()), detect, fallback);
    };
    // A mark wins over everything and is skipped.
    EXPECT_EQ(decode("\xEF\xBB\xBF"
                     "a\xC3\xA9",
                     false, TextEncoding::Utf16BE),
              TextEncoding::Utf8);
    EXPECT_EQ(U(s), u"a\u00E9");
    EXPECT_EQ(decode(std::string("\xFF\xFE"
                                 "a\0",
                                 4),
                     true, TextEncoding::Ansi),
              TextEncoding::Utf16LE);
    EXPECT_EQ(U(s), u"a");
    EXPECT_EQ(decode(std::string("\0\0\xFE\xFF\0\0\0b", 8), false, TextEncoding::Ansi),
              TextEncoding::Utf32BE);
    EXPECT_EQ(U(s), u"b");
    EXPECT_EQ(decode("\xEF\xBB\xBF", false, TextEncoding::Ansi), TextEncoding::Utf8);
    EXPECT_EQ(U(s), u"");
    // A mark of an unsupported encoding: the rest as ANSI.
    EXPECT_EQ(decode("\x0E\xFE\xFFxy", true, TextEncoding::Utf8), TextEncoding::Unsupported);
    EXPECT_EQ(U(s), u"xy");

    // No mark, no detection: the fallback (0 and 1 decode as ANSI but are returned).
    EXPECT_EQ(decode("a\xC3\xA9", false, TextEncoding::Utf8), TextEncoding::Utf8);
    EXPECT_EQ(U(s), u"a\u00E9");
    EXPECT_EQ(decode("xy", false, TextEncoding::Unknown), TextEncoding::Unknown);
    EXPECT_EQ(U(s), u"xy");
    EXPECT_EQ(decode("zz", false, TextEncoding::Unsupported), TextEncoding::Unsupported);
    EXPECT_EQ(U(s), u"zz");

    // No mark, detection: the guess, or ANSI and 0.
    EXPECT_EQ(decode(std::string("a\0b\0c\0", 6), true, TextEncoding::Ansi), TextEncoding::Utf16LE);
    EXPECT_EQ(U(s), u"abc");
    EXPECT_EQ(decode("\xC3\xA9!", true, TextEncoding::Ansi), TextEncoding::Utf8);
    EXPECT_EQ(U(s), u"\u00E9!");
    EXPECT_EQ(decode("a\xE9!", true, TextEncoding::Utf8), TextEncoding::Unknown);
    if (AnsiIs1252()) {
        EXPECT_EQ(U(s), u"a\u00E9!");
    }
}

TEST(TS_String, UniStringAndLocation)
{
    const TS_String s = S(u"\u00E9\U0001F600");
    const GS::UniString uni = s.ToUniString();
    EXPECT_EQ(std::u16string(uni.ToUStr(), uni.GetLength()), U(s));
    EXPECT_TRUE(TS_String().ToUniString().IsEmpty());

    TS_String back;
    back.FromUniChars(uni.ToUStr());
    EXPECT_EQ(U(back), U(s));
    EXPECT_EQ(back.GetCapacity(), 4u);
    back.FromUniChars(nullptr);
    EXPECT_TRUE(back.IsNull());

    const TS_String path("C:\\dir\\file.txt");
    TS_String again;
    again.FromLocation(path.ToLocation());
    EXPECT_EQ(U(again), u"C:\\dir\\file.txt");
    again.FromLocation(TS_String("C:\\").ToLocation());
    EXPECT_EQ(U(again), u"C:");
    again.FromLocation(IO::Location());
    EXPECT_TRUE(again.IsNull());
}

TEST(TS_String, OutOfHostMemory)
{
    const long before = kit::LiveAllocations();
    {
        TS_String s("abc");
        const TS_String other("more text");
        {
            FailingAllocations noMemory(0);
            EXPECT_THROW(TS_String("x"), GS::OutOfMemoryException);
            EXPECT_THROW(TS_String copy(other), GS::OutOfMemoryException);
            EXPECT_THROW(s = other, GS::OutOfMemoryException);
            EXPECT_EQ(U(s), u"abc"); // a failed assignment keeps the old text
            EXPECT_THROW(other.Mid(1), GS::OutOfMemoryException);
            EXPECT_THROW(other.Replace("t", "T"), GS::OutOfMemoryException);
            EXPECT_THROW(s += other, GS::OutOfMemoryException);
            EXPECT_TRUE(s.IsNull());
        }
        s = "abc";
        {
            FailingAllocations noMemory(0);
            EXPECT_TRUE(s.Reserve(2, true)); // no block needed
            EXPECT_FALSE(s.Reserve(100, true));
            EXPECT_TRUE(s.IsNull());
        }
        s = "abc";
        {
            FailingAllocations noMemory(0);
            EXPECT_FALSE(s.AppendUnits(u"xyz", 3));
            EXPECT_TRUE(s.IsNull());
        }
        s = "abc";
        {
            FailingAllocations noMemory(0);
            EXPECT_FALSE(s.Append("defg"));
            EXPECT_TRUE(s.IsNull());
        }
        s = "abc";
        {
            // The larger block is all an append needs: the text is converted straight into it.
            FailingAllocations noMemory(1);
            EXPECT_TRUE(s.Append("defg"));
            EXPECT_EQ(s.GetLength(), 7u);
            EXPECT_EQ(s.GetAt(6), u'g');
            EXPECT_THROW(s += "xyz", GS::OutOfMemoryException);
            EXPECT_TRUE(s.IsNull());
        }
        s = "abc";
        {
            FailingAllocations noMemory(0);
            EXPECT_FALSE(s.SetCapacity(10, true));
            EXPECT_TRUE(s.IsNull());
            EXPECT_THROW(other.ToBytes(TextEncoding::Utf8), GS::OutOfMemoryException);
        }
    }
    EXPECT_EQ(kit::LiveAllocations(), before);
}

} // namespace
