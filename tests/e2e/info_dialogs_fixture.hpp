// What the end-to-end tests of the About and information dialogs share: a host run
// over a fresh per-user folder with the language chosen in the add-on's own
// configuration, script texts that carry any path, and a recording `xdg-open`
// first on PATH that notes what reaches the shell.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "e2e_support.hpp"
#include "test_support.hpp"

namespace velmora::e2e {

// A text as a quoted argument of a host script: backslashes and quotes escaped.
inline std::string ScriptText(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

inline std::size_t CountOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// A recording `xdg-open` that notes every target handed to it, one line each.
//
// Natively the object puts its own recorder first on PATH while it lives, and the
// add-on's shell reaches it directly. Under Wine the add-on's ShellExecuteA goes
// through Wine's file associations to winebrowser, which hands a file:// address
// of the document to xdg-open, looked up on the Unix PATH that Wine started with:
// the test run puts scripts/shell-recorder there and names its record file
// in VELMORA_SHELL_RECORD (tests/CMakeLists.txt). Without that, Observed() is
// false and nothing can be checked.
class ShellRecording {
public:
    ShellRecording()
    {
#if defined(_WIN32)
        const char* unixPath = std::getenv("VELMORA_SHELL_RECORD");
        if (unixPath != nullptr && *unixPath == '/') {
            record = std::string("Z:") + unixPath;
            for (char& c : record)
                if (c == '/')
                    c = '\\';
        }
#else
        const std::string script = folder.File("xdg-open");
        test::WriteFileBytes(script, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + folder.File("record") + "'\n");
        std::string command = "chmod +x '" + script + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        const char* path = std::getenv("PATH");
        oldPath = path != nullptr ? path : "";
        setenv("PATH", (folder.Native() + ":" + oldPath).c_str(), 1);
        record = folder.File("record");
#endif
        if (!record.empty())
            test::WriteFileBytes(record, "");
    }
    ~ShellRecording()
    {
#if !defined(_WIN32)
        setenv("PATH", oldPath.c_str(), 1);
#endif
    }
    ShellRecording(const ShellRecording&) = delete;
    ShellRecording& operator=(const ShellRecording&) = delete;

    bool Observed() const
    {
        return !record.empty();
    }

    // The targets recorded, once `count` have arrived or after 10 seconds: the
    // add-on starts the opener in the background and does not wait for it.
    std::vector<std::string> WaitForTargets(std::size_t count) const
    {
        std::vector<std::string> targets;
        for (int i = 0; i < 1000; ++i) {
            targets = Targets();
            if (targets.size() >= count)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return targets;
    }

    std::vector<std::string> Targets() const
    {
        std::vector<std::string> lines;
        const std::string text = record.empty() ? std::string() : test::ReadFileBytes(record);
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }

private:
    test::TempFolder folder;
    std::string oldPath;
    std::string record; // native path of the record file; empty: not observed
};

// A path's bytes as a file:// address writes them: unreserved bytes as they are,
// all others as %XX.
inline std::string PercentEncoded(const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
            c == '.' || c == '_' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

class InfoDialogsFixture : public ::testing::Test {
protected:
    // The add-on's own configuration: the language code, the automatic update check
    // off so that no check runs after the first command.
    void ChooseLanguage(const std::string& code)
    {
        test::WriteFileBytes(userFolder.File("VelmoraLibrary_190.cfg"),
                             test::NibbleSwapped("$AutoUpdate: 0\r\n$Language_str: " + code + "\r\n"));
    }

    ProgramRun Host(const std::string& script, const std::string& addon = "")
    {
        std::vector<std::string> arguments{"--user-folder", userFolder.Native()};
        if (!addon.empty()) {
            arguments.push_back("--addon");
            arguments.push_back(addon);
        }
        arguments.push_back("-c");
        arguments.push_back(script);
        return RunProgram(HostProgram(), arguments, work.File("output.txt"));
    }

    void SetUp() override { ChooseLanguage("int"); }

    test::TempFolder userFolder;
    test::TempFolder work;
};

} // namespace velmora::e2e
