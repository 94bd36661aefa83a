// Code-page conversion on Windows: the system's own calls.
#include <windows.h>

#include "velmora/Platform.hpp"

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
    // A character the code page lacks becomes its default character, never a look-alike
    // (the "best fit" would turn a fullwidth quote into a real one). UTF-7 and UTF-8 take no flags.
    const unsigned page = codePage == 0 ? ::GetACP() : codePage;
    const DWORD flags = page == CP_UTF7 || page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    return ::WideCharToMultiByte(codePage, flags, reinterpret_cast<const wchar_t*>(source), count, target,
                                 capacity, nullptr, nullptr);
}

unsigned AnsiCodePage()
{
    return ::GetACP();
}

} // namespace velmora::platform
