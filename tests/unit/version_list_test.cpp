// Version lines and the comparison with the maker's list, with real list files in a
// temporary per-user folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "kit/Host.hpp"
#include "update/VersionList.hpp"

using namespace velmora::core;

using velmora::test::FileExists;
using velmora::test::TempFolder;
using velmora::test::WriteFileBytes;

namespace {

const char* const Installed = "VelmoraLibrary 19.0.4.2200 (DA190) 03/08/2018";

std::string Utf8Of(const TS_String& text)
{
    return velmora::test::Utf8(text.ToUniString());
}

std::vector<std::string> Fields(const TS_String& text, bool atDots = false)
{
    TS_List<TS_String> list;
    if (atDots)
        SplitAt(text, '.', list);
    else
        SplitFields(text, list);
    std::vector<std::string> out;
    for (Int32 i = 0; i < list.GetCount(); ++i)
        out.push_back(list[i].IsNull() ? "<null>" : Utf8Of(list[i]));
    return out;
}

int Validate(const char* line)
{
    TS_List<TS_String> fields;
    SplitFields(TS_String(line, TextEncoding::Utf8), fields);
    return ValidateVersionLine(fields);
}

TEST(VersionLineTest, SplitFieldsCutsAtRunsOfBlanks)
{
    using V = std::vector<std::string>;
    struct Row {
        const char* name;
        TS_String text;
        V fields;
    } rows[] = {
        {"blanks around and between", TS_String(" a  b "), V{"", "a", "b", ""}},
        {"tabs are blanks", TS_String("a\t\t b\tc"), V{"a", "b", "c"}},
        {"one field", TS_String("abc"), V{"abc"}},
        {"empty text", TS_String(""), V{""}},
        {"null text", TS_String(), V{""}},
        {"only blanks", TS_String(" \t "), V{"", ""}},
        {"other white space is text",
         TS_String("a\vb\xA0"
                   "c"),
         V{"a\vb\xC2\xA0"
           "c"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Fields(row.text), row.fields) << row.name;
}

TEST(VersionLineTest, SplitAtCutsAtEverySeparator)
{
    using V = std::vector<std::string>;
    struct Row {
        const char* name;
        TS_String text;
        V parts;
    } rows[] = {
        {"four parts", TS_String("19.0.4.2200"), V{"19", "0", "4", "2200"}},
        {"adjacent separators", TS_String("19..4"), V{"19", "", "4"}},
        {"separator at the end", TS_String("19."), V{"19", ""}},
        {"separator at the start", TS_String(".5"), V{"", "5"}},
        {"no separator", TS_String("19"), V{"19"}},
        {"empty text", TS_String(""), V{""}},
        {"null text", TS_String(), V{""}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Fields(row.text, true), row.parts) << row.name;
}

TEST(VersionLineTest, IsDigitsAcceptsOnlyDecimalDigits)
{
    struct Row {
        const char* name;
        TS_String text;
        bool digits;
    } rows[] = {
        {"digits", TS_String("0123456789"), true},
        {"empty", TS_String(""), true},
        {"null", TS_String(), true},
        {"a letter", TS_String("12a"), false},
        {"a blank", TS_String("1 2"), false},
        {"a sign", TS_String("-1"), false},
        {"a superscript two", TS_String("\xC2\xB2", TextEncoding::Utf8), false},
        {"a decimal point", TS_String("1.5"), false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsDigits(row.text), row.digits) << row.name;
}

TEST(VersionLineTest, ValidateTellsVersionEntriesDateEntriesAndInvalidLines)
{
    struct Row {
        const char* name;
        const char* line;
        int kind;
    } rows[] = {
        {"the add-on's own line", Installed, VersionEntry},
        {"ArchiCAD host tag", "VelmoraLibrary 19.0.4.2200 (AC190) 03/08/2018", VersionEntry},
        {"dash separators", "VelmoraLibrary 19.0.4.2200 (DA190) 03-08-2018", VersionEntry},
        {"mixed separators", "VelmoraLibrary 19.0.4.2200 (DA190) 03-08/2018", VersionEntry},
        {"optional tokens", "VelmoraLibrary 19.0.4.2200 (DA190) 03/08/2018 Edu ita", VersionEntry},
        {"five version parts", "VelmoraLibrary 19.0.4.2200.7 (DA190) 03/08/2018", VersionEntry},
        {"an empty version part", "VelmoraLibrary 19..4.2200 (DA190) 03/08/2018", VersionEntry},
        {"host tag without digits", "VelmoraLibrary 19.0.4.2200 (AC) 03/08/2018", VersionEntry},
        {"a date entry", "News 12-05-2019", DateEntry},
        {"a date entry with more", "News 12/05/2019 whatever follows", DateEntry},
        {"one field", "VelmoraLibrary", InvalidLine},
        {"empty line", "", InvalidLine},
        {"three fields", "VelmoraLibrary 19.0.4.2200 (DA190)", InvalidLine},
        {"three version parts", "VelmoraLibrary 19.0.4 (DA190) 03/08/2018", InvalidLine},
        {"a letter in the version", "VelmoraLibrary 19.0.4b.2200 (DA190) 03/08/2018", InvalidLine},
        {"another host tag opening", "VelmoraLibrary 19.0.4.2200 (XX190) 03/08/2018", InvalidLine},
        {"lower-case host tag", "VelmoraLibrary 19.0.4.2200 (da190) 03/08/2018", InvalidLine},
        {"host tag unclosed", "VelmoraLibrary 19.0.4.2200 (DA190 03/08/2018", InvalidLine},
        {"host tag with a letter", "VelmoraLibrary 19.0.4.2200 (DA19x) 03/08/2018", InvalidLine},
        {"host tag only its opening", "VelmoraLibrary 19.0.4.2200 (DA 03/08/2018", InvalidLine},
        {"dotted date", "VelmoraLibrary 19.0.4.2200 (DA190) 03.08.2018", InvalidLine},
        {"two-digit year", "VelmoraLibrary 19.0.4.2200 (DA190) 03/08/18", InvalidLine},
        {"date without a year", "VelmoraLibrary 19.0.4.2200 (DA190) 03/08/", InvalidLine},
        {"one-digit day", "VelmoraLibrary 19.0.4.2200 (DA190) 3/08/2018", InvalidLine},
        {"leading blank", " VelmoraLibrary 19.0.4.2200 (DA190) 03/08/2018", InvalidLine},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Validate(row.line), row.kind) << row.name;
}

TEST(VersionLineTest, ParseFillsTheRecordOfTheAddOnsLine)
{
    VersionRecord record;
    ParseVersionLine(TS_String(Installed), record);
    EXPECT_EQ(Utf8Of(record.name), "VelmoraLibrary");
    EXPECT_EQ(Utf8Of(record.versionText), "19.0.4.2200");
    EXPECT_EQ(record.major, 19);
    EXPECT_EQ(record.minor, 0);
    EXPECT_EQ(record.release, 4);
    EXPECT_EQ(record.build, 2200);
    EXPECT_EQ(record.hostVersion, 19);
    EXPECT_EQ(Utf8Of(record.sortableDate), "20180803");
    EXPECT_EQ(Utf8Of(record.dateText), "03/08/2018");
    EXPECT_FALSE(record.edu);
    EXPECT_EQ(record.languages.GetCount(), 0);
}

TEST(VersionLineTest, ParseReadsOptionalTokensAndResetsOnEmptyText)
{
    VersionRecord record;
    ParseVersionLine(TS_String("Other 20.1 (AC210) 31-12-2019 JAP Edu int xyz ita Ita"), record);
    EXPECT_EQ(record.major, 20);
    EXPECT_EQ(record.minor, 1);
    EXPECT_EQ(record.release, 0) << "missing parts read 0";
    EXPECT_EQ(record.build, 0);
    EXPECT_EQ(record.hostVersion, 21);
    EXPECT_EQ(Utf8Of(record.sortableDate), "20191231");
    EXPECT_TRUE(record.edu);
    std::vector<int> languages;
    for (Int32 i = 0; i < record.languages.GetCount(); ++i)
        languages.push_back(record.languages[i]);
    EXPECT_EQ(languages, (std::vector<int>{5, 1, 0, 0}));

    ParseVersionLine(TS_String(""), record);
    EXPECT_TRUE(record.name.IsEmpty());
    EXPECT_EQ(record.major, 0);
    EXPECT_EQ(record.hostVersion, 0);
    EXPECT_FALSE(record.edu);
    EXPECT_EQ(record.languages.GetCount(), 0);

    ParseVersionLine(TS_String("Short 1.2"), record);
    EXPECT_EQ(Utf8Of(record.name), "Short");
    EXPECT_EQ(record.hostVersion, 0) << "a short line leaves nothing of the one before";
    EXPECT_TRUE(record.dateText.IsEmpty());
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

    TempFolder folder;
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
        EXPECT_EQ(name.size(), 30u) << name;
        EXPECT_EQ(name.substr(0, 10), "__updts__-") << name;
        EXPECT_EQ(name.find_first_not_of("0123456789abcdef", 10), 26u) << name;
        EXPECT_EQ(name.substr(26), ".tmp") << name;
    }
    EXPECT_NE(Utf8Of(fresh[0]), Utf8Of(fresh[1]));
    kit::SetSpecialFolder(14, "");
    EXPECT_FALSE(VersionListPath(&path));
    EXPECT_FALSE(FreshVersionListPath(&path));
    EXPECT_EQ(CompareWithVersionList(TS_String(Installed)), VersionListOutcome::Failed);
}

TEST_F(VersionListTest, OnlyALaterDateOfTheSameProductIsAnUpdate)
{
    using O = VersionListOutcome;
    struct Row {
        const char* name;
        std::string list;
        O outcome;
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
        {"UTF-16 with a byte-order mark",
         std::string("\xFF\xFE", 2) +
             [] {
                 std::string wide;
                 for (char c : std::string("VelmoraLibrary 19.1.0.1 (DA190) 05/08/2018\r\n")) {
                     wide += c;
                     wide += '\0';
                 }
                 return wide;
             }(),
         O::UpdateAvailable},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBFVelmoraLibrary 19.1.0.1 (DA190) 05/08/2018",
         O::UpdateAvailable},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CompareWith(row.list), row.outcome) << row.name;
        EXPECT_FALSE(FileExists(ListFile())) << row.name << ": the local list is deleted after reading";
    }
}

TEST_F(VersionListTest, TheInstalledLineDecidesWhatIsCompared)
{
    using O = VersionListOutcome;
    const std::string list = "VelmoraLibrary 19.0.4.2300 (DA190) 01/01/2020 Edu\r\n"
                             "Other 5.0.0.0 (AC190) 01/01/2020\r\n";
    struct Row {
        const char* name;
        const char* installed;
        O outcome;
    } rows[] = {
        {"Edu build sees Edu lines", "VelmoraLibrary 19.0.4.2200 (DA190) 03/08/2018 Edu", O::UpdateAvailable},
        {"ArchiCAD-tagged line", "Other 5.0.0.0 (AC190) 01/01/2019", O::UpdateAvailable},
        {"invalid installed line", "VelmoraLibrary 19.0.4.2200", O::Failed},
        {"empty installed line", "", O::Failed},
        {"installed date entry", "VelmoraLibrary 01/01/2000", O::UpToDate},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CompareWith(list, row.installed), row.outcome) << row.name;
        EXPECT_FALSE(FileExists(ListFile())) << row.name;
    }
}

TEST_F(VersionListTest, AMissingListFails)
{
    EXPECT_EQ(CompareWithVersionList(TS_String(Installed)), VersionListOutcome::Failed);
}

TEST_F(VersionListTest, ReadTextFileDecodesAndReportsMissingFiles)
{
    TS_String text;
    const std::string path = folder.WindowsFile("list.txt");
    EXPECT_EQ(ReadTextFile(TS_String(path.c_str()), text), 3);
    EXPECT_TRUE(text.IsNull());

    struct Row {
        const char* name;
        std::string bytes;
        std::u16string text;
    } rows[] = {
        {"UTF-16 big-endian with a mark", std::string("\xFE\xFF\0A\0\xE9", 6), u"A\u00E9"},
        {"UTF-8 without a mark", "caf\xC3\xA9", u"caf\u00E9"},
        {"ANSI without a mark", "caf\xE9", u"caf\u00E9"},
        {"empty", "", u""},
    };
    for (const Row& row : rows) {
        WriteFileBytes(folder.File("list.txt"), row.bytes);
        ASSERT_EQ(ReadTextFile(TS_String(path.c_str()), text), 0) << row.name;
        EXPECT_FALSE(text.IsNull()) << row.name;
        EXPECT_EQ(velmora::test::U16(text.ToUniString()), row.text) << row.name;
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
