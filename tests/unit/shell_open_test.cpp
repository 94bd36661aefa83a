// Addresses and documents handed to the shell, observed where they arrive: a
// recording xdg-open first on PATH (POSIX). Under Windows the hand-off is
// ShellExecuteA; there only the results are checked here, and the end-to-end tests
// observe the browser hand-off.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "shell_recorder.hpp"
#include "test_support.hpp"
#include "update/ShellOpen.hpp"

namespace {

using velmora::test::ShellRecorder;
using velmora::test::TempFolder;
using velmora::test::Utf8;

std::string Text(const TS_String& text)
{
    return text.IsNull() ? "<null>" : Utf8(text.ToUniString());
}

TEST(ShellOpenTest, LimitLengthKeepsFewerUnitsThanTheLimit)
{
    const std::string u319(319, 'a');
    struct Case {
        const char* name;
        TS_String text;
        Int32 limit;
        std::string expected;
    } cases[] = {
        {"null stays null", TS_String(), 320, "<null>"},
        {"empty stays empty", TS_String(""), 320, ""},
        {"319 units whole", TS_String(u319.c_str()), 320, u319},
        {"320 units cut to 319", TS_String((u319 + "b").c_str()), 320, u319},
        {"far longer cut to 319", TS_String((u319 + "bcdef").c_str()), 320, u319},
        {"short text whole", TS_String("abc"), 4, "abc"},
        {"limit reached", TS_String("abcd"), 4, "abc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(LimitLength(c.text, c.limit)), c.expected) << c.name;
}

class ShellRecordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
#if defined(_WIN32)
        GTEST_SKIP() << "the shell hand-off under Wine is observed by the end-to-end tests";
#endif
    }
    ShellRecorder recorder;
    TempFolder documents;
};

TEST_F(ShellRecordTest, AddressesArriveUnchangedWhateverTheyHold)
{
    const char* addresses[] = {
        "http://127.0.0.1:8080/update_plugins/updates.htm?acver=19&lang=1&addon=VelmoraLibrary",
        "https://www.example.com/a b;echo hacked $(id) `id` 'q' \"dq\"",
    };
    for (const char* address : addresses)
        EXPECT_TRUE(OpenUrl(TS_String(address)));
    const auto lines = recorder.WaitForLines(2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], addresses[0]);
    EXPECT_EQ(lines[1], addresses[1]);
}

TEST_F(ShellRecordTest, DocumentsArriveWholeInTheSystemsFormOrNotAtAll)
{
    // A folder path of more than 320 units: the whole path must arrive, not its first 319.
    std::filesystem::path deep = documents.Native();
    while (deep.string().size() < 340)
        deep /= std::string(40, 'd');
    std::filesystem::create_directories(deep);
    const std::string longFile = (deep / "02 - Libreria Velmora.pdf").string();
    velmora::test::WriteFileBytes(longFile, "%PDF-1.4\n");
    const std::string shortFile = documents.File("01 - Libreria Velmora.pdf");
    velmora::test::WriteFileBytes(shortFile, "%PDF-1.4\n");
    const std::string cyrillicFile = documents.File("Файл.pdf");
    velmora::test::WriteFileBytes(cyrillicFile, "%PDF-1.4\n");
    ASSERT_GT(longFile.size(), 320u);

    const std::string windowsLong = "Z:" + longFile;
    std::string windowsLongPath = windowsLong;
    for (char& c : windowsLongPath)
        if (c == '/')
            c = '\\';

    // Refused before anything reaches the shell: a missing file, and a name the ANSI
    // code page (1252 here) cannot write, which would arrive as another name.
    EXPECT_FALSE(OpenDocument(TS_String(documents.WindowsFile("missing.pdf").c_str())));
    EXPECT_FALSE(OpenDocument(TS_String()));
    EXPECT_FALSE(OpenDocument(TS_String((documents.Windows() + "\\Файл.pdf").c_str(), TextEncoding::Utf8)));
    // Opened whole.
    EXPECT_TRUE(OpenDocument(TS_String(windowsLongPath.c_str())));
    EXPECT_TRUE(OpenDocument(TS_String(documents.WindowsFile("01 - Libreria Velmora.pdf").c_str())));

    const auto lines = recorder.WaitForLines(2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], longFile);
    EXPECT_EQ(lines[1], shortFile);
}

TEST(FileExistsTest, OnlyExistingFiles)
{
    TempFolder folder;
    velmora::test::WriteFileBytes(folder.File("a.pdf"), "x");
    EXPECT_TRUE(FileExists(TS_String(folder.WindowsFile("a.pdf").c_str())));
    EXPECT_FALSE(FileExists(TS_String(folder.WindowsFile("b.pdf").c_str())));
    EXPECT_FALSE(FileExists(TS_String("")));
    EXPECT_FALSE(FileExists(TS_String()));
}

} // namespace
