// The host entry protocol: the two exported functions through which the host and
// the add-on exchange function tables, and the four entry points that the host
// calls in this order: CheckEnvironment, RegisterInterface, Initialize, FreeData.
#pragma once

#include "ACAPI.hpp"

extern "C" {
// [UI thread] Fills the host's 120-byte export record (borrowed): version word, entry-point addresses and
// the interface version; every other byte is zero.
void GetExportedFuncAddrs(API_ExportRecord* record);
// [UI thread] Copies the host-function table (502 entries of 8 bytes) and sets the table-present
// flag. Returns 0 (APIERR_BADPARS, and nothing changes, for a null table).
GSErrCode SetImportedFuncAddrs(const void* const* table);
}

namespace velmora::shell {

// [UI thread] Writes the add-on's name and description into the host's environment
// record (borrowed) and returns
// the add-on kind 2; returns 0 and writes nothing without the host table or when the
// record's first field is not 0.
Int32 CheckEnvironment(API_EnvirParams* envir);
// [UI thread] Loads the language and registers the menu of that language, then calls the host's
// registration entry 17. The first failing host result is returned.
GSErrCode RegisterInterface();
// [UI thread] Stores the host token, loads the language, installs the seven menu handlers, sets
// the check mark of the automatic-update item and writes the menu item texts.
GSErrCode Initialize(Int64 token);
// How long FreeData waits for the add-on's workers: long enough for a transfer to
// notice the stop request and end, short enough that quitting the host never hangs.
constexpr unsigned WorkerStopMilliseconds = 3000;

// [UI thread] Asks the add-on's worker threads to stop and waits for them, at most
// WorkerStopMilliseconds (a worker still running after that keeps the add-on's
// file mapped until it ends); then clears the token and returns 0.
GSErrCode FreeData();

} // namespace velmora::shell
