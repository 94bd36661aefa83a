// Code-page conversion on Windows: the system's own calls.
#include <windows.h>

#include "velmora/platform.hpp"

static_assert(sizeof(wchar_t) == sizeof(velmora::platform::Unit));

namespace velmora::platform {

int MultiByteToWide(unsigned codePage, const char* source, int count, Unit* target, int capacity)
{
    if (target == nullptr)
        capacity = 0;
    return ::MultiByteToWideChar(codePage, 0, source, count, reinterpret_cast<wchar_t*>(target), capacity);
}

int WideToMultiByte(unsigned codePage, const Unit* source, int count, char* target, int capacity)
{
    if (target == nullptr)
        capacity = 0;
    return ::WideCharToMultiByte(codePage, 0, reinterpret_cast<const wchar_t*>(source), count, target,
                                 capacity, nullptr, nullptr);
}

unsigned AnsiCodePage()
{
    return ::GetACP();
}

} // namespace velmora::platform
