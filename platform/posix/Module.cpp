// The module's file path and window-message numbers on POSIX systems.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <map>
#include <mutex>
#include <string>
#include <unistd.h>

#include "velmora/PathForm.hpp"
#include "velmora/Platform.hpp"

namespace velmora::platform {
namespace {

// The absolute file path of the object that holds `address`, or "".
std::string ObjectPath(const void* address)
{
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr || info.dli_fname[0] == '\0')
        return {};
    std::string path = info.dli_fname;
    if (path.find('/') == std::string::npos) {
        // The main program is reported by the name it was started with.
        char self[PATH_MAX];
        ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        if (n > 0)
            return std::string(self, static_cast<std::size_t>(n));
    }
    if (path[0] != '/') {
        if (char* full = realpath(path.c_str(), nullptr)) {
            path = full;
            std::free(full);
        }
    }
    return path;
}

} // namespace

std::size_t ModuleFilePath(const void* addressInModule, Unit* buffer, std::size_t capacity)
{
    if (buffer == nullptr || capacity == 0)
        return 0;
    std::string path = pathform::ToWindows(ObjectPath(addressInModule));
    std::size_t length = 0;
    if (!path.empty()) {
        int units = MultiByteToWide(65001, path.data(), static_cast<int>(path.size()), nullptr, 0);
        if (units > 0) {
            std::u16string wide(static_cast<std::size_t>(units), u'\0');
            units = MultiByteToWide(65001, path.data(), static_cast<int>(path.size()), wide.data(), units);
            length = std::min(static_cast<std::size_t>(units > 0 ? units : 0), capacity - 1);
            wide.copy(buffer, length);
        }
    }
    buffer[length] = 0;
    return length;
}

unsigned RegisterNamedMessage(const Unit* name)
{
    // Names compare without regard to case, as Windows' atoms do; numbers run from
    // 0xC000 to 0xFFFF in the order of first registration.
    static std::mutex guard;
    static std::map<std::u16string, unsigned> registered;
    if (name == nullptr || name[0] == 0)
        return 0;
    std::u16string key;
    for (const Unit* p = name; *p != 0; ++p)
        key.push_back(ToUpperUnit(*p));
    std::lock_guard<std::mutex> lock(guard);
    auto found = registered.find(key);
    if (found != registered.end())
        return found->second;
    unsigned number = 0xC000 + static_cast<unsigned>(registered.size());
    if (number > 0xFFFF)
        return 0;
    registered.emplace(std::move(key), number);
    return number;
}

} // namespace velmora::platform
