// The host functions of the add-on interface that this host offers: the table of
// their addresses handed to the add-on, and what each does on the current host
// (AddonHost's members of that name), with the record of every call.
#pragma once

#include <array>

#include "ACAPI.hpp"

namespace velmora::host {

// [any thread] The host-function table: the entries this host offers, null elsewhere.
// Each entry reaches AddonHost::Current() and refuses the call (APIERR_GENERAL)
// when there is no host. The table never changes once made; the add-on copies it.
std::array<const void*, APIHostTableEntries> HostFunctionTable();

} // namespace velmora::host
