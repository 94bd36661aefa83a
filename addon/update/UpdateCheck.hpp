// The update check: asks the maker's update server whether it lists a newer build of
// the add-on, manually from the menu or automatically at most every 14 days, and
// reports the outcome in the modeless result window 32755, whose buttons open the
// maker's pages.
//
// Threads. The check starts on the host's UI thread; the version list arrives on a
// download worker, whose callback compares it and fills the window. Everything the
// two share lives in UpdateCheckState, behind one lock that is never held across a
// dialog call. Each check has a serial number, passed to the download as its
// userData and to the window as its DG userData: the late reports of a cancelled
// check, and the messages of its closed window, touch nothing of a newer check.
#pragma once

#include <chrono>

#include "DG.h"
#include "GSRoot.hpp"
#include "core/TS_String.hpp"

// The result window and its items.
constexpr short UpdateDialogId = 32755;
constexpr short HomePageItem = 1;
constexpr short CancelItem = 2;
constexpr short StatusItem = 3;
constexpr short AddOnStatusItem = 4;
constexpr short AddOnDownloadItem = 5;
constexpr short LibraryStatusItem = 6;
constexpr short LibraryDownloadItem = 7;

// Values of UpdateState and LibraryState.
constexpr Int16 StateChecking = 1;
constexpr Int16 StateUpToDate = 2;
constexpr Int16 StateUpdateAvailable = 3;

// The shortest time between two automatic checks, in seconds (14 days).
constexpr Int64 CheckPeriodSeconds = 1209600;

// [any thread] Whether an automatic check at `now` (seconds since 1970 UTC) comes
// less than CheckPeriodSeconds after the last check, stored as `lastCheck`: the low
// 32 bits of its time read as a signed number, 0 for none. A last check in the
// future does not count.
bool TooEarlyForAutomaticCheck(Int32 lastCheck, Int64 now);

// The longest a check may take from its start to its outcome, whatever the server
// does (sends nothing, or a byte a second): past it the check fails with the alert
// "Unable to get an internet connection.".
constexpr std::chrono::seconds CheckTimeLimit{120};

// [UI thread] Starts a check: kind 2 does nothing (true). False when nothing can be
// started for want of a version line or of the list folder; true otherwise, also
// when the period suppresses an automatic check, when the download could not start
// (the alert has been shown), and when a check whose window is open refuses this
// one. A manual check shows its window at once, in the checking state; an automatic
// check shows it only when there is something to report. Borrows its arguments.
bool CheckForUpdates(int kind, bool manual, const velmora::core::TS_String& versionLine,
                     const velmora::core::TS_String& libraryName);

// [UI thread] The automatic check of the first menu command: a missing "AutoUpdate"
// is stored as "1" and nothing is checked; "1" runs CheckForUpdates (not manual);
// any other value does nothing. Kind 2 does nothing.
bool AutoCheckForUpdates(int kind, const velmora::core::TS_String& versionLine,
                         const velmora::core::TS_String& libraryName);

// [worker thread] The DownloadCallback of the check; userData carries the check's
// serial number.
Int32 UpdateCheckCallback(Int32 state, double fraction, void* userData);

// [UI thread] The callback of window 32755; userData carries the check's serial.
short UpdateDialogCallback(short message, short dialId, short item, DGUserData userData,
                           DGMessageData msgData);

// [any thread] Sets the window's texts and visibility from the state of the check.
void FillUpdateDialog(short dialId);

// [UI thread] Before the add-on is released, while the host lets go of the workers'
// dialog calls: a running check is asked to stop and its window is closed, so that
// nothing of the add-on is left for the host to call. Its transfer is then ended
// with the add-on's other workers (velmora::platform::StopWorkers).
void EndUpdateCheck();
