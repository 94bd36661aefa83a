// The command line of velmora-host: its options, how they are read and checked,
// and the help that lists them.
#pragma once

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

} // namespace velmora::host
