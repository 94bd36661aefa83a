// The program velmora-host: its options, and a whole run of the host (set-up,
// load, session, unload) as main() and the tests start it.
#pragma once

#include <istream>
#include <ostream>
#include <string>

namespace velmora::host {

struct HostOptions {
    std::string addonPath;  // empty: the add-on file beside the program
    std::string userFolder; // empty: kit::DefaultUserFolder()
    bool freeData = true;   // false: unload without FreeData (--no-freedata)
    std::string codePage;   // non-empty: VELMORA_ANSI_CODEPAGE for the add-on (POSIX systems)
    std::string scriptFile; // --script FILE
    std::string commands;   // -c "cmd; cmd"
    bool commandsGiven = false;
    std::string shellRecord;  // --shell-record FILE
    std::string updateServer; // --update-server URL: VELMORA_UPDATE_SERVER for the add-on
    std::string pictures;     // --pictures DIR: a picture of every drawn dialog
    bool verbose = false;     // --verbose: every host call at a terminal too
    bool help = false;        // --help
    bool window = false;      // --window: the menu and dialogs in windows on the desktop
    bool terminal = false;    // --terminal: the terminal even where a desktop is there
    bool timings = false;     // --timings: report how long a dialog's window took to be drawn
};

// Reads the command line (argv[1] on). False with the reason for an unknown
// option, a missing value, or a value the host cannot use (a code page that is not
// a number from 1 to 65535 or that the platform layer does not support).
bool ParseHostOptions(int argc, const char* const* argv, HostOptions* options, std::string* error);

// Whether this build has the window front end (--window).
bool WindowFrontEndBuilt();

// The options as --help shows them.
std::string OptionHelp();

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
