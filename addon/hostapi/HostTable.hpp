// What the add-on keeps for its calls to the host: its copy of the host-function
// table, the table-present flag, the host token, and its own resource module and
// file path for the local glue. The wrappers of HostCalls.hpp read them; the entry
// points and the library's load and unload write them.
//
// Threads: the table and its flag are written by SetImportedFuncAddrs on the UI
// thread and cleared at the library's load, and read by the wrappers, which run on
// the UI thread only. The token is written by Initialize and FreeData on the UI
// thread and by the library's unload, which may run on the add-on's last worker
// thread as it ends; the resource module and the file's location are read on any
// thread (a worker's alert fetches its texts). Each is therefore atomic or behind a
// lock of its own, so that no reader meets half a write.
#pragma once

#include "ACAPI.hpp"
#include "GSRoot.hpp"
#include "IO.hpp"

namespace velmora::hostapi {

// [UI thread] Copies the host's table (exactly APIHostTableBytes bytes, borrowed)
// and sets the flag.
void StoreHostTable(const void* const* table);
// [any thread] True once the host has handed its table over (until the library is
// loaded anew).
bool HostTablePresent();
// [any thread] Entry `index` of the table; null when the host offers no function there.
const void* HostTableEntry(int index);

// [any thread] The token the host gave Initialize; 0 before it and after FreeData.
Int64 HostToken();
// [any thread] Stores the token (0 forgets it).
void SetHostToken(Int64 token);

// [any thread] Back to the state of a freshly loaded library: no table, no token.
void ResetHostState();

// [any thread] Sets the resource module the add-on reads its texts and pictures
// from and returns the one it replaces (InvalidResModule for none).
GSResModule ExchangeOwnResModule(GSResModule module);
// [any thread] The add-on's resource module; InvalidResModule before the load and
// after the unload.
GSResModule OwnResModule();
// [any thread] Names the add-on file's path (zero-terminated, Windows form), from
// which its location is built on first request. The path is borrowed and must stay
// valid until the next call; null forgets it.
void SetOwnFilePath(const GS::uchar_t* path);
// [any thread] Copies the add-on file's location into `out` (the caller's); false,
// with an empty location, when there is no valid one.
bool OwnLocation(IO::Location* out);

} // namespace velmora::hostapi
