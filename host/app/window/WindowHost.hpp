// velmora-host in windows on the desktop (GTK 4): the add-on's menu in a menu bar,
// its dialogs as windows of real widgets, the transcript in a pane. The session,
// its commands and the kit's dialog model are the terminal host's; this is only
// another front end of them. Built natively where GTK 4 is found.
#pragma once

#include <string>

#include "AddonHost.hpp"
#include "DialogPictures.hpp"
#include "Script.hpp"
#include "Transcript.hpp"

namespace velmora::host {

struct WindowSettings {
    std::string userFolder;   // native path of special location 14
    std::string shellRecord;  // the shell recorder's file (empty: the desktop's handler)
    std::string updateServer; // as given (empty: the add-on's own), shown in the status line
    bool timings = false;     // report the time from a menu command to its dialog's window drawn
};

// [the thread that will be the UI thread] Connects to the desktop (DISPLAY or
// WAYLAND_DISPLAY). False with the reason when there is none.
bool WindowSystemAvailable(std::string* why);

// [UI thread, after WindowSystemAvailable] Opens the main window and runs a session
// with the loaded add-on of `host` (borrowed): a person uses the windows until the
// main window is closed, or `script` (borrowed; null: a person) drives them. Returns
// the session's status (0, or 1 for a failed script). The add-on stays loaded.
int RunWindowSession(AddonHost& host, Transcript& transcript, CommandSource* script, DialogPictures pictures,
                     const WindowSettings& settings);

} // namespace velmora::host
