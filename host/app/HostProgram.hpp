// The program velmora-host: a whole run of the host (set-up, load, session,
// unload) as main() and the tests start it, with the options of HostOptions.hpp.
#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "HostOptions.hpp"

namespace velmora::host {

// [the thread that becomes the UI thread] Runs the host: sets up the user folder
// and the shell recorder, loads the add-on with the full protocol, runs the session
// (terminal when `in` is one, else a script), then lets go of the add-on's waiting
// workers, frees and unloads it. Returns the program's exit status: 0 success, 1 a
// failed script, 2 a script that cannot be read or a user folder that cannot be
// made, 3 an add-on that cannot be loaded. At a terminal the start is quiet (unless
// --verbose); `lineEditing` edits the lines typed on standard input (which must be
// `in` and the terminal) where the build has a line editor.
int RunHost(const HostOptions& options, std::istream& in, bool inIsTerminal, std::ostream& out,
            bool lineEditing = false);

} // namespace velmora::host
