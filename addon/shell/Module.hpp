// The library's module data, kept from load to unload, and the work done when the
// operating system maps the library into the host's process and removes it.
#pragma once

#include "GSRoot.hpp"

namespace velmora::shell {

// Capacity of the module path in UTF-16 units, terminator included.
constexpr std::size_t ModulePathCapacity = 260;

// Process attach: registers the file-name window message, keeps the module handle
// (any address inside the library serves where the system has no handle), records
// the library's file path and opens the host's resource cache for the library.
// The library starts in the loaded state: no host table, no token.
void OnModuleLoad(void* moduleHandle);
// Process detach: asks any worker to stop without waiting (the loader's lock may be
// held; workers keep the file mapped while they run, so none runs here unless it
// is the thread doing the unload), closes the resource cache and, when the host
// never called FreeData, writes the abnormal-termination line to the debug output
// and clears the token.
void OnModuleUnload();

void* ModuleHandle();
// The library's file path in the host's Windows form; empty before the load.
const GS::uchar_t* ModulePath();

} // namespace velmora::shell
