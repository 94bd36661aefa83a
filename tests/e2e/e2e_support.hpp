// Helpers of the end-to-end tests: running a built program of the build folder.
#pragma once

#include <string>
#include <vector>

namespace velmora::e2e {

struct ProgramRun {
    int exitCode = -1;
    bool timedOut = false; // killed after the time limit
    std::string output;    // standard output and standard error together
};

// Runs `program` (a native path) with `arguments`, standard input empty, and waits
// for it at most `seconds`: a program still running then is killed and the test
// fails. `outputFile` is a native path where the output is collected.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& outputFile, double seconds = 120);

// The built velmora-host program beside the test program.
std::string HostProgram();

// The host's Windows form of a native path ("Z:\..." for a POSIX path).
std::string WindowsForm(const std::string& nativePath);

} // namespace velmora::e2e
