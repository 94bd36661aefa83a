// What the end-to-end tests of the About and information dialogs share: a host run
// over a fresh per-user folder with the language chosen in the add-on's own
// configuration, script texts that carry any path, and the recording `xdg-open`.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.hpp"
#include "shell_recorder.hpp"
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

// The recording `xdg-open` shared with the unit tests.
using ShellRecording = test::ShellRecorder;

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
