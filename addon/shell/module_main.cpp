// Load and unload notifications of the add-on file. The work itself lives in the
// shell's library code (Module.hpp), where the tests reach it directly.
#include "shell/Module.hpp"

#if defined(_WIN32)

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        velmora::shell::OnModuleLoad(instance);
        break;
    case DLL_PROCESS_DETACH:
        velmora::shell::OnModuleUnload();
        break;
    default:
        break;
    }
    return TRUE;
}

#else

namespace {

// An address inside the add-on file: it names the module to the system and the host.
// The load hook runs among the library's initialisers, possibly before those of
// other files of the library: what OnModuleLoad calls must not rely on them.
const char moduleAnchor = 0;

__attribute__((constructor)) void ModuleLoaded()
{
    velmora::shell::OnModuleLoad(const_cast<char*>(&moduleAnchor));
}

__attribute__((destructor)) void ModuleUnloaded()
{
    velmora::shell::OnModuleUnload();
}

} // namespace

#endif
