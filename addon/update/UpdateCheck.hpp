// The update check: asks the maker's update server whether it lists a newer build of
// the add-on, manually from the menu or automatically at most every 14 days, and
// reports the outcome in the modeless result window 32755, whose buttons open the
// maker's pages. The add-on never downloads or installs a build itself.
//
// One check at a time is current; each has a serial number that its transfer and its
// window carry, so that the late reports of a cancelled check and the messages of a
// closed window touch nothing of a newer check. The check is one state machine
// (update/CheckMachine.hpp); its events are the ones below:
//
//   IDLE ---- begin ----> CHECKING ------- transfer finished ------> DECIDED
//    ^   refused while a     |    |   the list read and compared:       |
//    |   window is open or   |    |   up to date / update available;    |
//    |   waits to be made;   |    |   the window is filled and shown    |
//    |   a manual begin      |    |   (an automatic check that finds    |
//    |   shows a hidden      |    |   nothing closes it instead)        |
//    |   automatic check     |    |                                     |
//    |                       |    +-- transfer failed, or the 2-minute -+
//    |                       |        limit passed: the window closed,  |
//    |                       |        "Unable to get an internet        |
//    |    cancel, window     |        connection." shown                |
//    |    closed, end before v                                          |
//    |    unload         CANCELLED                                      |
//    |                       | its window closed (Cancel and the end    |
//    |                       | close it at once); the late reports of   |
//    |                       | its transfer change nothing              |
//    +-----------------------+------------------------------------------+
//                                       window closed
//
//   IDLE: no check since the add-on was loaded, or the current check's window closed.
//   window opened: the window of a CHECKING check is shown at once when the check
//   is manual (so the request is seen and can be cancelled), else stays hidden.
//   A begin while an older transfer or window section is still ending makes the new
//   check wait: its window is created after the old window's last section (the new
//   window gets the same identifier), its transfer starts at the old transfer's last
//   report. A CANCELLED check that waited never starts its transfer.
//   Every dialog call and alert runs outside the machine's lock.
//
// The information dialog reads the add-on's own version line with the grammar the
// check compares by: update/VersionLine.hpp.
#pragma once

#include "core/TS_String.hpp"

namespace velmora::update {

// [UI thread] Starts a check: kind 2 does nothing (true). False when nothing can be
// started for want of a version line or of the list folder; true otherwise, also
// when the period suppresses an automatic check, when the download could not start
// (the alert has been shown), and when a check whose window is open refuses this
// one. A manual check shows its window at once, in the checking state; an automatic
// check shows it only when there is something to report. Borrows its arguments.
bool CheckForUpdates(int kind, bool manual, const core::TS_String& versionLine,
                     const core::TS_String& libraryName);

// [UI thread] The automatic check of the first menu command: a missing "AutoUpdate"
// is stored as "1" and nothing is checked; "1" runs CheckForUpdates (not manual);
// any other value does nothing. Kind 2 does nothing.
bool AutoCheckForUpdates(int kind, const core::TS_String& versionLine, const core::TS_String& libraryName);

// [UI thread] Before the add-on is released, while the host lets go of the workers'
// dialog calls: a running check is asked to stop and its window is closed, so that
// nothing of the add-on is left for the host to call. Its transfer is then ended
// with the add-on's other workers (velmora::platform::StopWorkers).
void EndUpdateCheck();

} // namespace velmora::update
