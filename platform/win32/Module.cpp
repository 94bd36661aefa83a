// The module's file path and window-message numbers on Windows.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "velmora/Platform.hpp"

namespace velmora::platform {

std::size_t ModuleFilePath(const void* addressInModule, Unit* buffer, std::size_t capacity)
{
    if (buffer == nullptr || capacity == 0)
        return 0;
    std::size_t length = 0;
    HMODULE module = nullptr;
    if (::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                 GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             static_cast<LPCWSTR>(addressInModule), &module)) {
        // Long paths may exceed MAX_PATH; grow until the whole path fits.
        std::vector<wchar_t> path(MAX_PATH);
        for (;;) {
            DWORD n = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
            if (n == 0)
                break;
            if (n < path.size()) {
                length = std::min<std::size_t>(n, capacity - 1);
                std::copy(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(length), buffer);
                break;
            }
            if (path.size() >= 32768)
                break;
            path.resize(path.size() * 2);
        }
    }
    buffer[length] = 0;
    return length;
}

unsigned RegisterNamedMessage(const Unit* name)
{
    if (name == nullptr)
        return 0;
    return ::RegisterWindowMessageW(reinterpret_cast<const wchar_t*>(name));
}

} // namespace velmora::platform
