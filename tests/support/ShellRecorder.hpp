// The recording `xdg-open` of the tests: what the add-on hands to the shell is
// appended to a file, one line per call, where the test reads it. Natively it also
// notes what each opener inherited (descriptors, blocked and ignored signals).
//
// Natively the object puts scripts/shell-recorder first on PATH and names its record
// file in VELMORA_SHELL_RECORD while it lives, and the add-on's shell reaches it
// directly. Under Wine the add-on's ShellExecuteA goes through Wine's file
// associations to winebrowser, which hands a file:// address of the document to
// xdg-open, looked up on the Unix PATH that Wine started with: the test run puts the
// same recorder there and names its file in VELMORA_SHELL_RECORD
// (tests/CMakeLists.txt). Without that, Observed() is false and nothing can be checked.
#pragma once

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.hpp"
#include "velmora/PathForm.hpp"

namespace velmora::test {

class ShellRecorder {
public:
    ShellRecorder()
    {
#if defined(_WIN32)
        const char* unixPath = std::getenv("VELMORA_SHELL_RECORD");
        if (unixPath != nullptr && *unixPath == '/')
            record = velmora::pathform::ToWindows(unixPath);
#else
        record = folder.File("record");
        const char* path = std::getenv("PATH");
        const char* named = std::getenv("VELMORA_SHELL_RECORD");
        oldPath = path != nullptr ? path : "";
        oldRecord = named != nullptr ? named : "";
        setenv("PATH", (SourceDir() + "/scripts/shell-recorder:" + oldPath).c_str(), 1);
        setenv("VELMORA_SHELL_RECORD", record.c_str(), 1);
        setenv("VELMORA_SHELL_INHERITED", folder.File("inherited").c_str(), 1);
#endif
        if (!record.empty())
            WriteFileBytes(record, "");
    }
    ~ShellRecorder()
    {
#if !defined(_WIN32)
        setenv("PATH", oldPath.c_str(), 1);
        setenv("VELMORA_SHELL_RECORD", oldRecord.c_str(), 1);
        unsetenv("VELMORA_SHELL_INHERITED");
#endif
    }
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;

    bool Observed() const
    {
        return !record.empty();
    }

    // The lines recorded, once `count` have arrived or after 10 seconds: the add-on
    // starts the opener in the background and does not wait for it.
    std::vector<std::string> WaitForLines(std::size_t count) const
    {
        std::vector<std::string> lines;
        for (int i = 0; i < 1000; ++i) {
            lines = Lines();
            if (lines.size() >= count)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return lines;
    }

    // What the openers so far noted of their inheritance (natively).
    std::string Inherited() const
    {
        return ReadFileBytes(folder.File("inherited"));
    }

    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        const std::string text = record.empty() ? std::string() : ReadFileBytes(record);
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }

private:
    TempFolder folder;
    std::string oldPath, oldRecord;
    std::string record; // native path of the record file; empty: not observed
};

} // namespace velmora::test
