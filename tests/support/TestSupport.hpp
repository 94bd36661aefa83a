// Helpers shared by the tests: temporary per-user folders, the build's folders
// and conversions for readable assertions.
#pragma once

#include <chrono>
#include <string>
#include <thread>

#include "GSRoot.hpp"

namespace velmora::test {

// A fresh folder under the system's temporary folder, removed with its contents
// when the object goes away.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Native() const { return native; } // the system's own form
    std::string Windows() const;                         // the host's form (backslashes)
    std::string File(const std::string& name) const;     // native path of a file inside
    std::string WindowsFile(const std::string& name) const;

private:
    std::string native;
};

// The value of an environment variable; empty when it is not set.
std::string Environment(const char* name);

// Whole-file helpers on native paths.
std::string ReadFileBytes(const std::string& nativePath);
void WriteFileBytes(const std::string& nativePath, const std::string& bytes);
bool FileExists(const std::string& nativePath);

// The source tree, for the files of the sources a test reads: named at run time in
// VELMORA_SOURCE_DIR (CTest sets it), so that no binary carries a path of the tree.
std::string SourceDir();

// The folder of the running test program, where the build puts every binary.
std::string BinDir();
// The built add-on file beside the test program.
std::string AddonFile();

// Bytes with the two 4-bit halves of each exchanged: the stored form of the
// configuration files (its own inverse).
std::string NibbleSwapped(std::string bytes);

// The running test program as a module: the resources linked into it are opened
// through this handle, as the host opens an add-on's.
void* TestProgramModule();

// Polls `condition` until it holds, at most `seconds`: no test waits without a limit.
// Whether it holds in the end.
template <typename Condition> bool WaitFor(Condition condition, double seconds = 20)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition() && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return condition();
}

// UTF-8 of a host string, for assertions and messages.
std::string Utf8(const GS::UniString& text);
std::u16string U16(const GS::UniString& text);

} // namespace velmora::test
