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

#include "shell_recorder.hpp"
#include "test_support.hpp"
#include "update/ShellOpen.hpp"

#if !defined(_WIN32)
#include <csignal>
#include <pthread.h>
#endif

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

// Documents beside the add-on file, missing ones and names beyond the ANSI code page
// are opened end to end from the About dialog; here a path longer than any buffer.
TEST_F(ShellRecordTest, ALongDocumentPathArrivesWhole)
{
    // A folder path of more than 320 units: the whole path must arrive, not its first 319.
    std::filesystem::path deep = documents.Native();
    while (deep.string().size() < 340)
        deep /= std::string(40, 'd');
    std::filesystem::create_directories(deep);
    const std::string longFile = (deep / "02 - Libreria Velmora.pdf").string();
    velmora::test::WriteFileBytes(longFile, "%PDF-1.4\n");
    std::string windowsPath = "Z:" + longFile;
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');

    EXPECT_FALSE(OpenDocument(TS_String()));
    EXPECT_TRUE(OpenDocument(TS_String(windowsPath.c_str())));
    EXPECT_EQ(recorder.WaitForLines(1), std::vector<std::string>{longFile});
}

TEST(FileExistsTest, NoNameIsNoFile)
{
    EXPECT_FALSE(FileExists(TS_String("")));
    EXPECT_FALSE(FileExists(TS_String()));
}

} // namespace
