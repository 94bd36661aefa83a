// Version lines, their fields and the comparison with the maker's list, with real
// list files in a temporary per-user folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "SettingsFixture.hpp"
#include "core/TextFile.hpp"
#include "update/Fields.hpp"
#include "update/VersionLine.hpp"
#include "update/VersionList.hpp"

using namespace velmora::update;
using namespace velmora::core;
using velmora::test::FileExists;
using velmora::test::Utf8Of;
using velmora::test::WriteFileBytes;

namespace {

const char* const Installed = "VelmoraLibrary 19.0.4.2200 (DA190) 03/08/2018";

TEST(FieldsTest, LinesAreCutAtRunsOfBlanksAndVersionsAtEveryDot)
{
    using V = std::vector<std::string>;
    // name, text, separator (0: runs of blanks), fields
    const std::tuple<const char*, TS_String, char, V> rows[] = {
        {"blanks around and between", TS_String(" a  b "), 0, V{"", "a", "b", ""}},
        {"tabs are blanks", TS_String("a\t\t b\tc"), 0, V{"a", "b", "c"}},
        {"one field", TS_String("abc"), 0, V{"abc"}},
        {"empty text", TS_String(""), 0, V{""}},
        {"null text", TS_String(), 0, V{""}},
        {"only blanks", TS_String(" \t "), 0, V{"", ""}},
        {"other white space is text",
         TS_String("a\vb\xA0"
                   "c"),
         0,
         V{"a\vb\xC2\xA0"
           "c"}},
        {"four parts", TS_String("19.0.4.2200"), '.', V{"19", "0", "4", "2200"}},
        {"adjacent dots", TS_String("19..4"), '.', V{"19", "", "4"}},
        {"dot at the end", TS_String("19."), '.', V{"19", ""}},
        {"dot at the start", TS_String(".5"), '.', V{"", "5"}},
        {"no dot", TS_String("19"), '.', V{"19"}},
        {"empty text at dots", TS_String(""), '.', V{""}},
        {"null text at dots", TS_String(), '.', V{""}},
    };
    for (const auto& [name, text, separator, expected] : rows) {
        TS_List<TS_String> list;
        separator == 0 ? SplitFields(text, list) : SplitAt(text, separator, list);
        V fields;
        for (Int32 i = 0; i < list.GetCount(); ++i)
            fields.push_back(list[i].IsNull() ? "<null>" : Utf8Of(list[i]));
        EXPECT_EQ(fields, expected) << name;
    }
    const std::pair<TS_String, bool> digits[] = {
        {TS_String("0123456789"), true},
        {TS_String(""), true},
        {TS_String(), true},
        {TS_String("12a"), false},
        {TS_String("1 2"), false},
        {TS_String("-1"), false},
        {TS_String("1.5"), false},
        {TS_String("\xC2\xB2", TextEncoding::Utf8), false}, // superscript two
    };
    for (const auto& [text, isDigits] : digits)
        EXPECT_EQ(IsDigits(text), isDigits) << Utf8Of(text);
}

TEST(VersionLineTest, ValidateTellsVersionEntriesDateEntriesAndInvalidLines)
{
    const LineKind version = LineKind::Version, date = LineKind::Date, invalid = LineKind::Invalid;
    const std::tuple<const char*, const char*, LineKind> rows[] = {
        {"the add-on's own line", Installed, version},
        {"ArchiCAD host tag", "VelmoraLibrary 19.0.4.2200 (AC190) 03/08/2018", version},
        {"dash separators", "VelmoraLibrary 19.0.4.2200 (DA190) 03-08-2018", version},
        {"mixed separators", "VelmoraLibrary 19.0.4.2200 (DA190) 03-08/2018", version},
        {"optional tokens", "VelmoraLibrary 19.0.4.2200 (DA190) 03/08/2018 Edu ita", version},
        {"five version parts", "VelmoraLibrary 19.0.4.2200.7 (DA190) 03/08/2018", version},
        {"an empty version part", "VelmoraLibrary 19..4.2200 (DA190) 03/08/2018", version},
        {"host tag without digits", "VelmoraLibrary 19.0.4.2200 (AC) 03/08/2018", version},
        {"a date entry", "News 12-05-2019", date},
        {"a date entry with more", "News 12/05/2019 whatever follows", date},
        {"one field", "VelmoraLibrary", invalid},
        {"empty line", "", invalid},
        {"three fields", "VelmoraLibrary 19.0.4.2200 (DA190)", invalid},
        {"three version parts", "VelmoraLibrary 19.0.4 (DA190) 03/08/2018", invalid},
        {"a letter in the version", "VelmoraLibrary 19.0.4b.2200 (DA190) 03/08/2018", invalid},
        {"another host tag opening", "VelmoraLibrary 19.0.4.2200 (XX190) 03/08/2018", invalid},
        {"lower-case host tag", "VelmoraLibrary 19.0.4.2200 (da190) 03/08/2018", invalid},
        {"host tag unclosed", "VelmoraLibrary 19.0.4.2200 (DA190 03/08/2018", invalid},
        {"host tag with a letter", "VelmoraLibrary 19.0.4.2200 (DA19x) 03/08/2018", invalid},
        {"host tag only its opening", "VelmoraLibrary 19.0.4.2200 (DA 03/08/2018", invalid},
        {"dotted date", "VelmoraLibrary 19.0.4.2200 (DA190) 03.08.2018", invalid},
        {"two-digit year", "VelmoraLibrary 19.0.4.2200 (DA190) 03/08/18", invalid},
        {"date without a year", "VelmoraLibrary 19.0.4.2200 (DA190) 03/08/", invalid},
        {"one-digit day", "VelmoraLibrary 19.0.4.2200 (DA190) 3/08/2018", invalid},
        {"leading blank", " VelmoraLibrary 19.0.4.2200 (DA190) 03/08/2018", invalid},
    };
    for (const auto& [name, line, kind] : rows) {
        TS_List<TS_String> fields;
        SplitFields(TS_String(line, TextEncoding::Utf8), fields);
        EXPECT_EQ(ValidateVersionLine(fields), kind) << name;
    }
}

// One record parses line after line: nothing of a line may stay for the next.
TEST(VersionLineTest, ParseFillsTheRecordAndLeavesNothingOfTheLineBefore)
{
    // line, name, date, numbers (major, minor, release, build, host version), sortable date, Edu, languages
    using V = std::vector<int>;
    const std::tuple<const char*, const char*, const char*, V, const char*, bool, V> rows[] = {
        {Installed, "VelmoraLibrary", "03/08/2018", {19, 0, 4, 2200, 19}, "20180803", false, {}},
        {"Other 20.1 (AC210) 31-12-2019 JAP Edu int xyz ita Ita", "Other", "31-12-2019", V{20, 1, 0, 0, 21},
         "20191231", true, V{5, 1, 0, 0}},
        {"", "", "", {0, 0, 0, 0, 0}, "", false, {}},
        {"Short 1.2", "Short", "", {1, 2, 0, 0, 0}, "", false, {}},
    };
    VersionRecord record;
    for (const auto& [line, name, date, numbers, sortable, edu, languages] : rows) {
        ParseVersionLine(TS_String(line), record);
        EXPECT_EQ(Utf8Of(record.name), name) << line;
        EXPECT_EQ(Utf8Of(record.dateText), date) << line;
        EXPECT_EQ(V({record.major, record.minor, record.release, record.build, record.hostVersion}), numbers)
            << line;
        EXPECT_EQ(Utf8Of(record.sortableDate), sortable) << line;
        EXPECT_EQ(record.edu, edu) << line;
        V parsed;
        for (Int32 i = 0; i < record.languages.GetCount(); ++i)
            parsed.push_back(record.languages[i]);
        EXPECT_EQ(parsed, languages) << line;
    }
    ParseVersionLine(TS_String(Installed), record);
    EXPECT_EQ(Utf8Of(record.versionText), "19.0.4.2200");
}

// A per-user folder for the local copy of the list.
class VersionListTest : public ::testing::Test {
protected:
    void SetUp() override { kit::SetSpecialFolder(14, folder.Native()); }
    void TearDown() override { kit::SetSpecialFolder(14, ""); }
    std::string ListFile() const { return folder.File("__updts__.tmp"); }
    VersionListOutcome CompareWith(const std::string& list, const char* installed = Installed)
    {
        WriteFileBytes(ListFile(), list);
        return CompareWithVersionList(TS_String(installed));
    }

    velmora::test::TempFolder folder;
};

TEST_F(VersionListTest, ListPathIsInTheUserFolder)
{
    TS_String path;
    ASSERT_TRUE(VersionListPath(&path));
    EXPECT_EQ(Utf8Of(path), folder.WindowsFile("__updts__.tmp"));
    // Each check's own copy: a fresh name in the same folder every time.
    TS_String fresh[2];
    for (TS_String& each : fresh) {
        ASSERT_TRUE(FreshVersionListPath(&each));
        const std::string name = Utf8Of(each).substr(folder.WindowsFile("").size());
        EXPECT_TRUE(std::regex_match(name, std::regex("__updts__-[0-9a-f]{16}\\.tmp"))) << name;
    }
    EXPECT_NE(Utf8Of(fresh[0]), Utf8Of(fresh[1]));
    EXPECT_EQ(CompareWithVersionList(TS_String(Installed)), VersionListOutcome::Failed) << "no list";
    kit::SetSpecialFolder(14, "");
    EXPECT_FALSE(VersionListPath(&path));
    EXPECT_FALSE(FreshVersionListPath(&path));
    EXPECT_EQ(CompareWithVersionList(TS_String(Installed)), VersionListOutcome::Failed);
}

TEST_F(VersionListTest, OnlyALaterDateOfTheSameProductIsAnUpdate)
{
    using O = VersionListOutcome;
    const std::string eduAndOther = "VelmoraLibrary 19.0.4.2300 (DA190) 01/01/2020 Edu\r\n"
                                    "Other 5.0.0.0 (AC190) 01/01/2020\r\n";
    struct Row {
        const char* name;
        std::string list;
        O outcome;
        const char* installed = Installed;
    } rows[] = {
        {"newer build", "VelmoraLibrary 19.1.0.100 (DA190) 04/08/2018\r\n", O::UpdateAvailable},
        {"same date with dashes", "VelmoraLibrary 19.1.0.100 (DA190) 03-08-2018\r\n", O::UpToDate},
        {"older build", "VelmoraLibrary 19.0.3.100 (DA190) 01/01/2018\r\n", O::UpToDate},
        {"later year, earlier day", "VelmoraLibrary 19.0.3.100 (DA190) 01/01/2019\r\n", O::UpdateAvailable},
        {"another major", "VelmoraLibrary 20.0.0.1 (DA190) 01/01/2020\r\n", O::UpToDate},
        {"another host tag", "VelmoraLibrary 19.0.4.2300 (AC200) 01/01/2020\r\n", O::UpToDate},
        {"ArchiCAD tag for this host", "VelmoraLibrary 19.0.4.2300 (AC190) 01/01/2020\r\n", O::UpToDate},
        {"another add-on", "VelmoraDoors 19.0.4.2300 (DA190) 01/01/2020\r\n", O::UpToDate},
        {"name in another case", "velmoralibrary 19.0.4.2300 (DA190) 01/01/2020\r\n", O::UpToDate},
        {"Edu edition", "VelmoraLibrary 19.0.4.2300 (DA190) 01/01/2020 Edu\r\n", O::UpToDate},
        {"language token", "VelmoraLibrary 19.0.4.2300 (DA190) 01/01/2020 ita\r\n", O::UpdateAvailable},
        {"date entry", "VelmoraLibrary 12-05-2019 (DA190) 01/01/2020\r\nX 1.0.0.0 (DA190) 01/01/2000\r\n",
         O::UpToDate},
        {"no final line break", "X 1.0.0.0 (DA190) 01/01/2000\nVelmoraLibrary 19.0.4.2201 (DA190) 05/08/2018",
         O::UpdateAvailable},
        {"lone CR line ends", "X\rVelmoraLibrary 19.0.4.2201 (DA190) 05/08/2018\rY", O::UpdateAvailable},
        {"the newer line among others",
         "\r\n\r\nVelmoraLibrary 19.0.4.2300 (AC200) 01/01/2020\n"
         "garbage line\r"
         "VelmoraLibrary 19.0.4.2201 (DA190) 05/08/2018\n"
         "VelmoraLibrary 19.0.4.2100 (DA190) 01/08/2018\n",
         O::UpdateAvailable},
        // No valid version line of any add-on: not a list (a sign-in page, a body
        // compressed unasked), whatever it holds.
        {"malformed lines only", "not a version line\r\n\r\n19.0 (DA190)\r\n", O::Failed},
        {"empty file", "", O::Failed},
        {"blank lines only", "\r\n \r\n\t\n", O::Failed},
        {"date entries only", "News 12/05/2019\r\nVelmoraLibrary 12-05-2019 (DA190) 01/01/2020\r\n",
         O::Failed},
        {"HTML sign-in page", "<html><body><form>Room <input name=room> 04/08/2018</form></body></html>\r\n",
         O::Failed},
        {"gzip body", std::string("\x1F\x8B\x08\0\0\0\0\0\0\x03\xF3\x4D\xCD\x29", 14), O::Failed},
        {"a valid line of another add-on only", "VelmoraDoors 19.0.4.2300 (DA190) 01/01/2020", O::UpToDate},
        {"larger than a download may be",
         "VelmoraLibrary 19.1.0.100 (DA190) 04/08/2018\r\n" + std::string(1024 * 1024, ' '), O::Failed},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBFVelmoraLibrary 19.1.0.1 (DA190) 05/08/2018",
         O::UpdateAvailable},
        // The installed line decides what is compared.
        {"Edu build sees Edu lines", eduAndOther, O::UpdateAvailable,
         "VelmoraLibrary 19.0.4.2200 (DA190) 03/08/2018 Edu"},
        {"ArchiCAD-tagged line", eduAndOther, O::UpdateAvailable, "Other 5.0.0.0 (AC190) 01/01/2019"},
        {"invalid installed line", eduAndOther, O::Failed, "VelmoraLibrary 19.0.4.2200"},
        {"empty installed line", eduAndOther, O::Failed, ""},
        {"installed date entry", eduAndOther, O::UpToDate, "VelmoraLibrary 01/01/2000"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CompareWith(row.list, row.installed), row.outcome) << row.name;
        EXPECT_FALSE(FileExists(ListFile())) << row.name << ": the local list is deleted after reading";
    }
}

TEST_F(VersionListTest, ReadTextFileDecodesWholeFilesAndTellsWhatFailed)
{
    // name, bytes (null: no file), their count, the most to read, fault, text
    const std::tuple<const char*, const char*, std::size_t, UInt64, FileFault, std::u16string> rows[] = {
        {"no file", nullptr, 0, 100, FileFault::NotFound, u""},
        {"UTF-16 big-endian with a mark", "\xFE\xFF\0A\0\xE9", 6, 100, FileFault::None, u"A\u00E9"},
        {"UTF-8 without a mark", "caf\xC3\xA9", 5, 100, FileFault::None, u"caf\u00E9"},
        {"ANSI without a mark", "caf\xE9", 4, 100, FileFault::None, u"caf\u00E9"},
        {"empty", "", 0, 100, FileFault::None, u""},
        {"as long as allowed", "abcd", 4, 4, FileFault::None, u"abcd"},
        {"longer than allowed", "abcde", 5, 4, FileFault::TooLarge, u""},
    };
    const TS_String path(folder.WindowsFile("list.txt").c_str());
    for (const auto& [name, bytes, size, limit, fault, expected] : rows) {
        std::remove(folder.File("list.txt").c_str());
        if (bytes != nullptr)
            WriteFileBytes(folder.File("list.txt"), std::string(bytes, size));
        TS_String text("stale");
        EXPECT_EQ(velmora::core::ReadTextFile(path, text, limit), fault) << name;
        EXPECT_EQ(text.IsNull(), fault != FileFault::None) << name;
        EXPECT_EQ(velmora::test::U16(text.ToUniString()), expected) << name;
    }
}

TEST_F(VersionListTest, DeleteFileAtRemovesOnlyExistingFiles)
{
    const std::string path = folder.WindowsFile("gone.txt");
    WriteFileBytes(folder.File("gone.txt"), "x");
    EXPECT_TRUE(DeleteFileAt(TS_String(path.c_str())));
    EXPECT_FALSE(FileExists(folder.File("gone.txt")));
    EXPECT_FALSE(DeleteFileAt(TS_String(path.c_str())));
    EXPECT_FALSE(DeleteFileAt(TS_String("not a path")));
}

} // namespace
