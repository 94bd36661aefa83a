// A recording `xdg-open` put first on PATH: what the add-on hands to the shell is
// appended to a file, one line per call, where the test reads it. It also notes the
// descriptors it holds (with the files they name) and its blocked and ignored
// signals, as it inherited them.
#pragma once

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "test_support.hpp"

namespace velmora::test {

class ShellRecorder {
public:
    ShellRecorder()
    {
#if !defined(_WIN32)
        const std::string script = folder.File("xdg-open");
        WriteFileBytes(script,
                       "#!/bin/sh\n{ ls -l /proc/$$/fd; grep -E '^Sig(Blk|Ign)' /proc/$$/status; } >> '" +
                           folder.File("inherited") + "' 2>&1\nprintf '%s\\n' \"$1\" >> '" +
                           folder.File("record") + "'\n");
        std::string command = "chmod +x '" + script + "'";
        [[maybe_unused]] int ignored = std::system(command.c_str());
        const char* path = std::getenv("PATH");
        oldPath = path != nullptr ? path : "";
        setenv("PATH", (folder.Native() + ":" + oldPath).c_str(), 1);
#endif
    }
    ~ShellRecorder()
    {
#if !defined(_WIN32)
        setenv("PATH", oldPath.c_str(), 1);
#endif
    }
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;

    // The lines recorded so far, once at least `count` have arrived or after 10 s.
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

    // What the openers so far noted of their inheritance.
    std::string Inherited() const
    {
        return ReadFileBytes(folder.File("inherited"));
    }

    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        std::string text = ReadFileBytes(folder.File("record"));
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }

private:
    TempFolder folder;
    std::string oldPath;
};

} // namespace velmora::test
