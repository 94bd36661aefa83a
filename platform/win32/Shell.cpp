// The shell's "open" verb on Windows.
#include <windows.h>

#include <shellapi.h>

#include "velmora/Platform.hpp"

namespace velmora::platform {

bool ShellOpen(const Unit* target)
{
    static_assert(sizeof(Unit) == sizeof(wchar_t));
    if (target == nullptr)
        return false;
    // The result is not looked at: a missing browser or association is the user's
    // system, not a failure of the add-on's.
    ::ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t*>(target), nullptr, nullptr,
                    SW_SHOWNORMAL);
    return true;
}

std::size_t ShellPathLimit()
{
    return MAX_PATH - 1;
}

} // namespace velmora::platform
