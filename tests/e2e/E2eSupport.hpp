// Helpers of the end-to-end tests: running a built program of the build folder, and
// the add-on run in velmora-host over a fresh per-user folder.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.hpp"

namespace velmora::e2e {

struct ProgramRun {
    int exitCode = -1;
    bool timedOut = false; // killed after the time limit
    std::string output;    // standard output and standard error together
};

// Runs `program` (a native path) with `arguments` (UTF-8), standard input empty, and waits
// for it at most `seconds`: a program still running then is killed and the test
// fails. `outputFile` is a native path where the output is collected.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& outputFile, double seconds = 120);

// The built velmora-host program beside the test program.
std::string HostProgram();

// The host's Windows form of a native path ("Z:\..." for a POSIX path).
std::string WindowsForm(const std::string& nativePath);

// A text as a quoted argument of a host script: backslashes and quotes escaped.
std::string ScriptText(const std::string& text);

std::size_t CountOf(const std::string& text, const std::string& part);

// A path's bytes as a file:// address writes them: unreserved bytes as they are,
// all others as %XX.
std::string PercentEncoded(const std::string& text);

// The built add-on in velmora-host, over a per-user folder of its own and a work
// folder for what the test makes; the add-on's configuration file in its stored form.
class HostTest : public ::testing::Test {
protected:
    // Runs the host with `script` and the per-user folder, then `arguments`. The
    // script goes through a UTF-8 file: a command line carries only the ANSI code
    // page's characters to a Windows program.
    ProgramRun Host(const std::string& script, const std::vector<std::string>& arguments = {});
    void WriteConfig(const std::string& records);
    std::string Config() const;
    // The language code in the configuration, the automatic update check off so that
    // no check runs after the first command.
    void ChooseLanguage(const std::string& code);

    test::TempFolder userFolder;
    test::TempFolder work;
    std::string otherUserFolder; // handed to the host instead of userFolder (UTF-8)
};

} // namespace velmora::e2e
