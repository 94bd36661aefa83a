// Case mapping of single UTF-16 units on Windows: CharLowerW and CharUpperW.
#include <windows.h>

#include "velmora/Platform.hpp"

namespace velmora::platform {

Unit ToLowerUnit(Unit unit)
{
    // A real one-unit string: CharLowerW takes a pointer below 0x10000 as a
    // character rather than as a string.
    wchar_t text[2] = {static_cast<wchar_t>(unit), 0};
    ::CharLowerW(text);
    return static_cast<Unit>(text[0]);
}

Unit ToUpperUnit(Unit unit)
{
    wchar_t text[2] = {static_cast<wchar_t>(unit), 0};
    ::CharUpperW(text);
    return static_cast<Unit>(text[0]);
}

} // namespace velmora::platform
