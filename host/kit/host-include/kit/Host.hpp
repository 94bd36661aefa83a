// The host side of the kit: what the host program (and the tests, which play the
// host) set up and observe. An add-on never includes this header.
#pragma once

#include <string>

#include "GSRoot.hpp"

namespace kit {

// --- Memory -------------------------------------------------------------------
// [any thread] Makes the allocation after the next `allowed` ones fail, and every one after it
// while `sticky` (a negative `allowed` turns failures off). Counts GS::NewOperator,
// GS::NewArrayOperator, BMAllocateHandle and BMReallocHandle (growth only).
KIT_API void FailAllocationsAfter(long allowed, bool sticky = true);
KIT_API void StopFailingAllocations();
// [any thread] Blocks and handles currently held (a leak check for tests).
KIT_API long LiveAllocations();

// --- Special locations --------------------------------------------------------
// [any thread] The folder reported as special location `id`, in the system's native
// form (copied); an empty path makes the host report that it has no such folder.
KIT_API void SetSpecialFolder(Int32 id, const std::string& nativePath);
// [any thread] A sensible per-user default for location 14: %APPDATA%\velmora-host on Windows,
// $XDG_CONFIG_HOME/velmora-host or ~/.config/velmora-host elsewhere.
KIT_API std::string DefaultUserFolder();

// --- File faults --------------------------------------------------------------
// What fails in every file the host has open, as on a failing disk or a network
// share that went away: the length query, the positioning or the reading, each
// with an input/output error (IO::FileIOError). Nothing fails with None.
enum class FileFault { None, Length, Position, Read };
// [any thread] Sets the fault for every IO::File from now on.
KIT_API void InjectFileFault(FileFault fault);

// --- Debug output -------------------------------------------------------------
// [any thread, the thread that calls DBPrintf] Receives every DBPrintf text, borrowed
// for the call; without a sink the text goes to standard error. `context` is the
// host's, passed back untouched.
using DebugSink = void (*)(const char* text, void* context);
// [any thread] Installs the sink (null: standard error).
KIT_API void SetDebugSink(DebugSink sink, void* context);

} // namespace kit
