// Addresses and documents handed to the shell, observed where they arrive: a
// recording xdg-open first on PATH (POSIX), which also notes what it inherited.
// Under Windows the hand-off is ShellExecuteW; there only the results are checked
// here, and the end-to-end tests observe the browser hand-off.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "services/ShellOpen.hpp"
#include "shell_recorder.hpp"
#include "test_support.hpp"

#if !defined(_WIN32)
#include <csignal>
#include <pthread.h>
#endif

using namespace velmora::core;
using namespace velmora::services;

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

std::vector<std::string> Sorted(std::vector<std::string> lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
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

TEST_F(ShellRecordTest, AddressesArriveUnchangedAndTheOpenerInheritsNothingOfTheHost)
{
#if !defined(_WIN32)
    // A file the host holds open (inheritable), a signal blocked on the calling
    // thread and one ignored by the host: none may reach the opener.
    const std::string held = documents.File("held-by-the-host.txt");
    std::FILE* file = std::fopen(held.c_str(), "w");
    ASSERT_NE(file, nullptr);
    sigset_t blocked;
    sigset_t previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &blocked, &previous), 0);
    const auto ignoredBefore = std::signal(SIGUSR2, SIG_IGN);
#endif
    const char* addresses[] = {
        "http://127.0.0.1:8080/update_plugins/updates.htm?acver=19&lang=1&addon=VelmoraLibrary",
        "https://www.example.com/a b;echo hacked $(id) `id` 'q' \"dq\"",
    };
    for (const char* address : addresses)
        EXPECT_TRUE(OpenUrl(TS_String(address)));
    // Each opener runs on its own: they may arrive in either order.
    const auto lines = Sorted(recorder.WaitForLines(2));
    EXPECT_EQ(lines, Sorted({addresses[0], addresses[1]}));
#if !defined(_WIN32)
    std::signal(SIGUSR2, ignoredBefore);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    std::fclose(file);
    const std::string inherited = recorder.Inherited();
    EXPECT_EQ(inherited.find(held), std::string::npos) << inherited;
    // Blocked: none. Ignored: not the host's SIGUSR2 (the shell ignores SIGINT and
    // SIGQUIT for a command it starts in the background, glibc its own two).
    EXPECT_NE(inherited.find("SigBlk:\t0000000000000000"), std::string::npos) << inherited;
    const std::size_t ignored = inherited.find("SigIgn:\t");
    ASSERT_NE(ignored, std::string::npos) << inherited;
    const unsigned long long mask = std::stoull(inherited.substr(ignored + 8, 16), nullptr, 16);
    EXPECT_EQ(mask & (1ull << (SIGUSR2 - 1)), 0u) << inherited;
#endif
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

    // Refused before anything reaches the shell: a missing file.
    EXPECT_FALSE(OpenDocument(TS_String(documents.WindowsFile("missing.pdf").c_str())));
    EXPECT_FALSE(OpenDocument(TS_String()));
    // Opened whole, also a name the ANSI code page (1252 here) cannot write.
    EXPECT_TRUE(OpenDocument(TS_String((documents.Windows() + "\\Файл.pdf").c_str(), TextEncoding::Utf8)));
    EXPECT_TRUE(OpenDocument(TS_String(windowsLongPath.c_str())));
    EXPECT_TRUE(OpenDocument(TS_String(documents.WindowsFile("01 - Libreria Velmora.pdf").c_str())));

    EXPECT_EQ(Sorted(recorder.WaitForLines(3)), Sorted({longFile, shortFile, cyrillicFile}));
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
