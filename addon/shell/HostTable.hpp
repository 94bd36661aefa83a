// The add-on's copy of the host-function table, the table-present flag and the
// host token. The wrappers of HostCalls.hpp read them; the entry points write them.
#pragma once

#include "ACAPI.hpp"

namespace velmora::shell {

// Copies the host's table (exactly APIHostTableBytes bytes) and sets the flag.
void StoreHostTable(const void* const* table);
// True once the host has handed its table over (until the library is loaded anew).
bool HostTablePresent();
// Entry `index` of the table; null when the host offers no function there.
const void* HostTableEntry(int index);

Int64 HostToken();
void SetHostToken(Int64 token);

// Back to the state of a freshly loaded library: no table, no token.
void ResetHostState();

} // namespace velmora::shell
