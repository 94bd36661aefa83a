#include "AddonLibrary.hpp"
#include "Utf8Paths.hpp"

#include <cstring>
#include <filesystem>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace fs = std::filesystem;

namespace velmora::host {

#if defined(_WIN32)

namespace {

std::string SystemMessage(DWORD code)
{
    char* buffer = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n > 0 && buffer != nullptr ? std::string(buffer, n) : std::string();
    if (buffer != nullptr)
        LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return "error " + std::to_string(code) + (text.empty() ? "" : ": " + text);
}

} // namespace

bool AddonLibrary::Open(const std::string& path, std::string* error)
{
    Close();
    // The host's texts are UTF-8; the ANSI code page could not name every folder.
    HMODULE module = LoadLibraryW(PathFromUtf8(path).wstring().c_str());
    if (module == nullptr) {
        if (error != nullptr)
            *error = SystemMessage(GetLastError());
        return false;
    }
    handle = module;
    return true;
}

void* AddonLibrary::Symbol(const char* name) const
{
    if (handle == nullptr)
        return nullptr;
    FARPROC proc = GetProcAddress(static_cast<HMODULE>(handle), name);
    void* address = nullptr;
    static_assert(sizeof(proc) == sizeof(address));
    std::memcpy(&address, &proc, sizeof(address));
    return address;
}

void AddonLibrary::Close()
{
    if (handle == nullptr)
        return;
    FreeLibrary(static_cast<HMODULE>(handle));
    handle = nullptr;
}

std::string ProgramFolder()
{
    wchar_t buffer[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return Utf8FromPath(fs::path(std::wstring(buffer, n)).parent_path());
}

#else

bool AddonLibrary::Open(const std::string& path, std::string* error)
{
    Close();
    // A path without a folder would make the system search its library folders.
    std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        if (error != nullptr) {
            const char* reason = dlerror();
            *error = reason != nullptr ? reason : "unknown reason";
        }
        return false;
    }
    return true;
}

void* AddonLibrary::Symbol(const char* name) const
{
    if (handle == nullptr)
        return nullptr;
    return dlsym(handle, name);
}

void AddonLibrary::Close()
{
    if (handle == nullptr)
        return;
    dlclose(handle);
    handle = nullptr;
}

std::string ProgramFolder()
{
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : Utf8FromPath(self.parent_path());
}

#endif

std::string DefaultAddonPath()
{
    return Utf8FromPath(PathFromUtf8(ProgramFolder()) / VELMORA_DEFAULT_ADDON_NAME);
}

} // namespace velmora::host
