#include "io/SpecialFolders.hpp"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>

#include "kit/Host.hpp"

namespace {

std::mutex folderLock;
std::map<Int32, std::string>& Folders()
{
    static std::map<Int32, std::string> folders;
    return folders;
}

} // namespace

namespace kit {

void SetSpecialFolder(Int32 id, const std::string& nativePath)
{
    std::lock_guard<std::mutex> guard(folderLock);
    if (nativePath.empty())
        Folders().erase(id);
    else
        Folders()[id] = nativePath;
}

std::string DefaultUserFolder()
{
#if defined(_WIN32)
    // In wide characters: a profile folder named in Cyrillic is no ANSI text on a
    // system of another code page, and the host's paths are UTF-8.
    const wchar_t* appData = _wgetenv(L"APPDATA");
    const std::u8string base =
        std::filesystem::path(appData != nullptr && *appData != 0 ? appData : L".").u8string();
    return std::string(base.begin(), base.end()) + "\\velmora-host";
#else
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && *config == '/')
        return std::string(config) + "/velmora-host";
    const char* home = std::getenv("HOME");
    std::string base = home != nullptr && *home != 0 ? home : "/tmp";
    return base + "/.config/velmora-host";
#endif
}

namespace detail {

std::string SpecialFolder(Int32 id)
{
    std::lock_guard<std::mutex> guard(folderLock);
    auto it = Folders().find(id);
    return it == Folders().end() ? std::string() : it->second;
}

} // namespace detail
} // namespace kit
