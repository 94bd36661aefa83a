// TS_String through the operations the program uses: the null state against the
// empty string, exact sizing, searches, substrings, numbers, paths, conversions
// and running out of host memory.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "FailingAllocations.hpp"
#include "core/NumberText.hpp"
#include "core/PathText.hpp"
#include "core/TS_String.hpp"
#include "kit/Host.hpp"
#include "velmora/Platform.hpp"

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

// A text an operation gave ("<null>" for the null string) and, where the row names
// one, the size of its block.
struct TextRow {
    const char* name;
    TS_String got;
    std::u16string text;
    UInt32 capacity = 0;
};

template <std::size_t N> void CheckTexts(const TextRow (&rows)[N])
{
    for (const TextRow& row : rows) {
        EXPECT_EQ(U(row.got), row.text) << row.name;
        if (row.capacity != 0) {
            EXPECT_EQ(row.got.GetCapacity(), row.capacity) << row.name;
        }
    }
}

// A number or yes/no an operation gave.
struct ValueRow {
    const char* name;
    Int64 got, want;
};

template <std::size_t N> void CheckValues(const ValueRow (&rows)[N])
{
    for (const ValueRow& row : rows)
        EXPECT_EQ(row.got, row.want) << row.name;
}

TEST(TS_String, NullStateIsNotTheEmptyString)
{
    const TS_String null;
    const TS_String empty("");
    CheckValues({
        {"null", null.IsNull(), 1},
        {"from a null pointer", TS_String(static_cast<const char*>(nullptr)).IsNull(), 1},
        {"null's block", null.GetCapacity(), 0},
        {"empty", empty.IsNull(), 0},
        {"empty's length", empty.GetLength(), 0},
        {"empty's block", empty.GetCapacity(), 1},
        {"a copy of empty", TS_String(empty).GetCapacity(), 1},
        {"null before empty", null.Compare(0, empty), -1},
        {"empty after null", empty.Compare(0, null), 1},
        {"null equals null", null.Compare(0, TS_String()), 0},
        {"null equals no text", null.IsEqual(nullptr), 1},
        {"null is not \"\"", null.IsEqual(""), 0},
        {"empty not greater than itself", empty.IsGreater(empty), 0},
        {"empty greater than null", empty.IsGreater(null), 1},
        {"null not greater than empty", null.IsGreater(empty), 0},
    });
    // Copies, substrings and transformations keep the distinction.
    CheckTexts({
        {"a copy of null", TS_String(null), u"<null>"},
        {"Mid of null", null.Mid(0), u"<null>"},
        {"Mid of empty", empty.Mid(0), u""},
        {"ToUpper of null", null.ToUpper(), u"<null>"},
        {"Trim of null", null.Trim(), u"<null>"},
        {"trimmed to nothing", TS_String("   ").Trim(), u""},
        {"null + null", null + null, u"<null>"},
        {"null + empty", null + empty, u""},
    });
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

TEST(TS_String, QueriesGiveTheirValues)
{
    const TS_String abc("abc"), path("a.b.c"), word("prefix");
    TS_String ansi("a\x80z");
    ansi.SetAnsiAt(0, 'Q');
    ansi.SetAnsiAt(9, 'Q'); // beyond the text: nothing
    CheckValues({
        {"GetAt", ansi.GetAt(0), u'Q'},
        {"GetAt at the terminator", ansi.GetAt(3), 0},
        {"GetAt of null", TS_String().GetAt(0), 0},
        {"GetAnsiAt at the terminator", ansi.GetAnsiAt(3), 0},
        {"GetAnsiAt of null", TS_String().GetAnsiAt(0), 0},
        {"GetAnsiAt of a unit ANSI lacks", S(u"\u263A").GetAnsiAt(0), '?'},
        // Compare gives -1, 0 or 1; units compare as unsigned numbers.
        {"Compare, smaller unit", abc.Compare(0, TS_String("abd")), -1},
        {"Compare, longer", abc.Compare(0, TS_String("ab")), 1},
        {"Compare, shorter", abc.Compare(0, TS_String("abcd")), -1},
        {"Compare from offsets", abc.Compare(1, TS_String("xbc"), 1), 0},
        {"Compare a count", abc.Compare(0, TS_String("abx"), 0, 2), 0},
        {"Compare a count, differing", abc.Compare(0, TS_String("abx"), 0, 3), -1},
        {"Compare above 7F", S(u"\u00E9").Compare(0, TS_String("z")), 1},
        {"Compare FFFF with a surrogate", S(u"\uFFFF").Compare(0, S(u"\U0001F600")), 1},
        {"CompareNoCase", abc.CompareNoCase(0, TS_String("ABC")), 0},
        {"CompareNoCase above 7F", S(u"\u00C9T\u00C9").CompareNoCase(0, S(u"\u00E9t\u00E9")), 0},
        // Ordered by the lower-case units: "_" (5F) before "a" (61) though after "A" (41).
        {"CompareNoCase by lower case", TS_String("_").CompareNoCase(0, TS_String("A")), -1},
        {"Compare by units", TS_String("_").Compare(0, TS_String("A")), 1},
        {"IsEqual", abc.IsEqual("abc"), 1},
        {"IsNotEqual", abc.IsNotEqual("ABC"), 1},
        {"IsGreater, longer", abc.IsGreater(TS_String("ab")), 1},
        {"IsGreater, shorter", TS_String("ab").IsGreater(abc), 0},
        {"IsGreater, equal", abc.IsGreater(abc), 0},
        {"FindNoCase", TS_String("xxabc").FindNoCase(TS_String("ABC"), 0), 2},
        {"FindNoCase from", TS_String("abcabc").FindNoCase(TS_String("BC"), 2), 4},
        {"FindNoCase from the end", TS_String("xxabc").FindNoCase(TS_String("abc"), 5), -1},
        {"FindNoCase of empty", TS_String("xxabc").FindNoCase(TS_String(""), 0), -1},
        {"FindNoCase of null", TS_String("xxabc").FindNoCase(TS_String(), 0), -1},
        {"FindNoCase of a longer text", TS_String("ab").FindNoCase(TS_String("abc"), 0), -1},
        {"ReverseFind", TS_String("banana").ReverseFind(TS_String("a")), 5},
        {"ReverseFind, longer", TS_String("banana").ReverseFind(TS_String("ana")), 3},
        {"ReverseFind with case", TS_String("banana").ReverseFind(TS_String("A")), -1},
        {"ReverseFind of empty", TS_String("banana").ReverseFind(TS_String("")), -1},
        {"FindChar", path.FindChar('.', 0), 1},
        {"FindChar from", path.FindChar('.', 2), 3},
        {"FindChar from the end", path.FindChar('.', 5), -1},
        {"FindChar of the terminator", path.FindChar('\0', 0), -1},
        {"FindChar in null", TS_String().FindChar('.', 0), -1},
        {"ReverseFindChar", path.ReverseFindChar('.'), 3},
        {"ReverseFindChar, none", path.ReverseFindChar('x'), -1},
        {"MatchesAt the end", word.MatchesAt(TS_String("fix"), 3), 1},
        {"MatchesAt past the end", word.MatchesAt(TS_String("fixes"), 3), 0},
        {"MatchesAt the terminator", word.MatchesAt(TS_String("x"), 6), 0},
        {"MatchesAt of empty", word.MatchesAt(TS_String(""), 0), 0},
        {"MatchesAt in empty", TS_String("").MatchesAt(TS_String("x"), 0), 0},
        {"EndsWith", word.EndsWith(TS_String("fix")), 1},
        {"EndsWith itself", word.EndsWith(word), 1},
        {"EndsWith with case", word.EndsWith(TS_String("FIX")), 0},
        {"EndsWith a longer text", word.EndsWith(TS_String("xprefix")), 0},
        {"EndsWith empty", word.EndsWith(TS_String("")), 0},
    });
    if (AnsiIs1252()) {
        EXPECT_EQ(ansi.GetAt(1), 0x20AC);
        EXPECT_EQ(ansi.GetAnsiAt(1), '\x80');
        ansi.SetAnsiAt(2, '\x9C');
        EXPECT_EQ(ansi.GetAt(2), 0x0153);
    }
}

TEST(TS_String, NewStringsFromOperations)
{
    const TS_String s("abcdef"), left("ab");
    TS_String mixed = S(u"Stra\u00DFe \u00C9T\u00E9");
    mixed.Reserve(40, true); // a result's block fits its text, not its source's
    const TS_String pair("a\xF0\x9F\x98\x80z", TextEncoding::Utf8);
    const std::u16string lowSurrogate(1, char16_t(0xDE00));
    CheckTexts({
        {"+", left + TS_String("cd"), u"abcd", 5},
        {"+ a text", left + "x", u"abx"},
        {"a text +", "x" + left, u"xab"},
        {"null + a text", TS_String() + "x", u"x"},
        {"Mid", s.Mid(2), u"cdef"},
        {"Mid at the end", s.Mid(6), u"", 1},
        {"Mid past the end", s.Mid(7), u"<null>"},
        {"Mid with a count", s.Mid(1, 2), u"bc"},
        {"Mid with a count past the end", s.Mid(4, 99), u"ef", 3},
        {"Mid with a count, past the end", s.Mid(7, 1), u"<null>"},
        {"Right", s.Right(1, 0), u"f"},
        {"Right, skipping", s.Right(2, 1), u"de"},
        {"Right, all", s.Right(6, 0), u"abcdef"},
        {"Right, none", s.Right(0, 6), u""},
        {"Right, too many", s.Right(6, 1), u"<null>"},
        {"Right, skipping too many", s.Right(0, 7), u"<null>"},
        {"Right, wrapping", s.Right(0xFFFFFFFF, 1), u"<null>"},
        {"ToLower", mixed.ToLower(), u"stra\u00DFe \u00E9t\u00E9"},
        {"ToUpper", mixed.ToUpper(), u"STRA\u00DFE \u00C9T\u00C9", mixed.GetLength() + 1},
        {"Trim spaces", TS_String(" \tx y\t ").Trim(true, true, false), u"\tx y\t"},
        {"Trim tabs too", TS_String(" \tx y\t ").Trim(true, true, true), u"x y"},
        {"Trim left", TS_String("  x  ").Trim(true, false), u"x  "},
        {"Trim right", TS_String("  x  ").Trim(false, true), u"  x"},
        {"Trim to nothing", TS_String(" \t ").Trim(true, true, true), u"", 1},
        {"Replace", TS_String("aab").Replace("ab", "x"), u"ax"},
        {"Replace without overlap", TS_String("aaa").Replace("aa", "b"), u"ba"},
        {"Replace with backslashes", TS_String("a.b.c").Replace(".", "\\\\"), u"a\\\\b\\\\c"},
        {"Replace growing", TS_String("x-y-z").Replace(TS_String("-"), TS_String("<->")), u"x<->y<->z", 10},
        {"Replace with nothing", TS_String("x--y").Replace("--", ""), u"xy", 3},
        {"Replace empty", TS_String("abc").Replace("", "x"), u"abc"},
        {"Replace, none", TS_String("abc").Replace("z", "x"), u"abc"},
        {"Replace no text", TS_String("abc").Replace(nullptr, "x"), u"<null>"},
        {"Replace by no text", TS_String("abc").Replace("a", nullptr), u"<null>"},
        {"Replace in null", TS_String().Replace("a", "b"), u"<null>"},
        // A surrogate pair counts as two units.
        {"Mid of a pair", pair.Mid(2, 1), lowSurrogate},
        {"Right of a pair", pair.Right(1, 1), lowSurrogate},
        {"ToUpper around a pair", pair.ToUpper(), u"A\U0001F600Z"},
        {"FromNumber", TS_String::FromNumber(-42), u"-42"},
        {"FromNumber, padded", TS_String::FromNumber(-42, 5), u"  -42"},
        {"FromNumber, wider than asked", TS_String::FromNumber(12345, 3), u"12345"},
        {"FromNumber, smallest", TS_String::FromNumber(-2147483647 - 1), u"-2147483648"},
        {"FileNamePart", FileNamePart(TS_String("C:\\dir\\file.txt")), u"file.txt"},
        {"FileNamePart of a folder", FileNamePart(TS_String("C:\\dir\\")), u"", 1},
        {"FileNamePart of a name", FileNamePart(TS_String("name")), u"name"},
        {"the slash is no separator", FileNamePart(TS_String("C:/dir/file")), u"C:/dir/file"},
        {"FileNamePart of null", FileNamePart(TS_String()), u"<null>"},
        {"ExtensionPart", ExtensionPart(TS_String("C:\\dir\\file.txt")), u"txt"},
        {"ExtensionPart, full stop in a folder", ExtensionPart(TS_String("C:\\d.x\\file")), u""},
        {"ExtensionPart, final full stop", ExtensionPart(TS_String("C:\\dir\\file.")), u""},
        {"ExtensionPart, the last", ExtensionPart(TS_String("archive.tar.gz")), u"gz"},
        {"ExtensionPart of null", ExtensionPart(TS_String()), u"<null>"},
        {"FolderPart", FolderPart(TS_String("C:\\dir\\file.txt"), FolderSeparator::Drop), u"C:\\dir"},
        {"FolderPart with separator", FolderPart(TS_String("C:\\dir\\file.txt"), FolderSeparator::Keep),
         u"C:\\dir\\"},
        {"FolderPart of a name", FolderPart(TS_String("name"), FolderSeparator::Keep), u"\\"},
        {"FolderPart of a name, bare", FolderPart(TS_String("name"), FolderSeparator::Drop), u""},
        {"FolderPart of null", FolderPart(TS_String(), FolderSeparator::Keep), u"<null>"},
    });
    EXPECT_EQ(pair.GetLength(), 4u);
    EXPECT_EQ(pair.GetAt(1), 0xD83D);
    EXPECT_EQ(TS_String::FromNumber(7, 300).GetLength(), 300u);

    TS_String cut("C:\\a\\b");
    for (const std::u16string expected : {u"C:\\a", u"C:", u""}) {
        RemoveLastPathPart(cut);
        EXPECT_EQ(U(cut), expected);
    }
    TS_String null;
    RemoveLastPathPart(null);
    EXPECT_TRUE(null.IsNull());
}

TEST(TS_String, Numbers)
{
    CheckValues({
        {"no text", ParseLong(nullptr), 0},
        {"empty", ParseLong(""), 0},
        {"no digits", ParseLong("abc"), 2147483647},
        {"a sign alone", ParseLong("-"), 0},
        {"a sign before a letter", ParseLong("-x5"), 0},
        {"the whole part", ParseLong("12.5"), 12},
        {"the first number", ParseLong("v12a"), 12},
        {"a sign after a letter", ParseLong("x-7"), -7},
        {"plus", ParseLong("+15"), 15},
        {"bytes above 7F are no digits", ParseLong("\xB2\x33"), 3},
        {"wraps modulo 2^32", ParseLong("4294967297"), 1},
        {"one past the largest", ParseLong("2147483648"), -2147483647 - 1},
        {"minus zero", ParseLong("-0"), 0},
        {"ToLong", TS_String(" -12x").ToLong(), -12},
        {"ToLong of null", TS_String().ToLong(), 0},
        {"NumberKind of null", NumberKind(TS_String()), 0},
        {"NumberKind of empty", NumberKind(TS_String("")), 0},
        {"a sign alone", NumberKind(TS_String(" + ")), 0},
        {"whole, signed", NumberKind(TS_String(" +12")), 1},
        {"whole, space after the sign", NumberKind(TS_String("- 7")), 1},
        {"decimal comma", NumberKind(TS_String("3,5")), 2},
        {"decimal point first", NumberKind(TS_String(".5")), 2},
        {"decimal point last", NumberKind(TS_String("3.")), 0},
        {"two points", NumberKind(TS_String("1.2.3")), 0},
        {"point and comma", NumberKind(TS_String("1.,3")), 0},
        {"a tab first", NumberKind(TS_String("\t1")), 0},
        {"a space last", NumberKind(TS_String("12 ")), 0},
        {"an exponent", NumberKind(TS_String("1e5")), 0},
        {"TextLength of no text", TextLength(nullptr), 0},
        {"TextLength", TextLength("abc"), 3},
    });
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
    // No bytes behind a count: nothing is read.
    s = "before";
    EXPECT_EQ(s.FromEncodedBytes(nullptr, 4, false, TextEncoding::Utf8), TextEncoding::Utf8);
    EXPECT_EQ(U(s), u"");
    using E = TextEncoding;
    const struct {
        const char* name;
        std::string bytes;
        bool detect;
        E fallback, returned;
        const char16_t* text; // null: how the system's ANSI code page reads it
    } rows[] = {
        // A mark wins over everything and is skipped.
        {"UTF-8 mark", "\xEF\xBB\xBF\x61\xC3\xA9", false, E::Utf16BE, E::Utf8, u"a\u00E9"},
        {"UTF-16 mark", std::string("\xFF\xFE\x61\0", 4), true, E::Ansi, E::Utf16LE, u"a"},
        {"UTF-32 mark", std::string("\0\0\xFE\xFF\0\0\0b", 8), false, E::Ansi, E::Utf32BE, u"b"},
        {"a mark alone", "\xEF\xBB\xBF", false, E::Ansi, E::Utf8, u""},
        // A mark of an unsupported encoding: the rest as ANSI.
        {"unsupported mark", "\x0E\xFE\xFFxy", true, E::Utf8, E::Unsupported, u"xy"},
        // No mark, no detection: the fallback (0 and 1 decode as ANSI but are returned).
        {"fallback", "a\xC3\xA9", false, E::Utf8, E::Utf8, u"a\u00E9"},
        {"fallback 0", "xy", false, E::Unknown, E::Unknown, u"xy"},
        {"fallback 1", "zz", false, E::Unsupported, E::Unsupported, u"zz"},
        // No mark, detection: the guess, or ANSI and 0.
        {"guessed UTF-16", std::string("a\0b\0c\0", 6), true, E::Ansi, E::Utf16LE, u"abc"},
        {"guessed UTF-8", "\xC3\xA9!", true, E::Ansi, E::Utf8, u"\u00E9!"},
        {"no guess", "a\xE9!", true, E::Utf8, E::Unknown, AnsiIs1252() ? u"a\u00E9!" : nullptr},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(s.FromEncodedBytes(row.bytes.data(), static_cast<UInt32>(row.bytes.size()), row.detect,
                                     row.fallback),
                  row.returned)
            << row.name;
        if (row.text != nullptr) {
            EXPECT_EQ(U(s), row.text) << row.name;
        }
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
            EXPECT_THROW(other.ToBytes(TextEncoding::Utf8), GS::OutOfMemoryException);
            EXPECT_THROW(s += other, GS::OutOfMemoryException);
            EXPECT_TRUE(s.IsNull());
        }
        // A failed growth releases the text.
        const struct {
            const char* name;
            std::function<bool(TS_String&)> grow;
        } growths[] = {
            {"Reserve", [](TS_String& t) { return t.Reserve(100, true); }},
            {"AppendUnits", [](TS_String& t) { return t.AppendUnits(u"xyz", 3); }},
            {"Append", [](TS_String& t) { return t.Append("defg"); }},
            {"SetCapacity", [](TS_String& t) { return t.SetCapacity(10, true); }},
        };
        for (const auto& growth : growths) {
            s = "abc";
            FailingAllocations noMemory(0);
            EXPECT_TRUE(s.Reserve(2, true)) << "no block needed";
            EXPECT_FALSE(growth.grow(s)) << growth.name;
            EXPECT_TRUE(s.IsNull()) << growth.name;
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
    }
    EXPECT_EQ(kit::LiveAllocations(), before);
}

} // namespace
