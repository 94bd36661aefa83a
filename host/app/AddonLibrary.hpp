// An add-on file loaded into the host's process: LoadLibraryW on Windows, dlopen
// elsewhere.
#pragma once

#include <string>

namespace velmora::host {

class AddonLibrary {
public:
    AddonLibrary() = default;
    ~AddonLibrary() { Close(); }
    AddonLibrary(const AddonLibrary&) = delete;
    AddonLibrary& operator=(const AddonLibrary&) = delete;

    // Loads the file (a native path); false with a reason when the system refuses.
    bool Open(const std::string& path, std::string* error);
    // The address of an exported symbol; null when the file does not export it.
    void* Symbol(const char* name) const;
    // Removes the file from the process (its unload notification runs now).
    void Close();

    bool IsOpen() const { return handle != nullptr; }
    // The system's handle of the loaded file (HMODULE or dlopen handle).
    void* Handle() const { return handle; }

private:
    void* handle = nullptr;
};

// The add-on file that the host loads by default: the built one beside the program.
std::string DefaultAddonPath();
// The folder of the running program.
std::string ProgramFolder();

} // namespace velmora::host
