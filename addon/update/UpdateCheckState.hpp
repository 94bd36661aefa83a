// The state of the update check, shared by the UI thread (menu commands, the result
// window's callback) and the download workers (the download callback), behind one
// lock. Every operation takes the lock for a moment and never calls the host with it
// held, so that a dialog call that waits for the UI thread cannot wait for this lock.
//
// A check is known by its serial number. Only the current (latest) check may change
// the state and touch the window; a window section of a worker is counted as a
// ticket, and a new window waits until no ticket is out, because the new window would
// get the identifier of the closed one (the host knows dialogs by their resource id).
// One transfer runs at a time: a later check's transfer waits for the earlier one's
// last report (a Cancel reaches a running transfer within a fraction of a second).
// Each check has a list file of its own, and a time limit for the whole check.
#pragma once

#include <chrono>

#include "GSRoot.hpp"
#include "core/TS_String.hpp"

namespace velmora::update {

// A copy of the current check's state.
struct CheckView {
    UInt32 serial = 0; // 0: no check since the add-on was loaded
    bool manual = false;
    bool libraryKnown = false;
    velmora::core::TS_String libraryName;
    velmora::core::TS_String installedLine;
    Int16 updateState = 0;
    Int16 libraryState = 0;
    bool abortRequested = false;
};

// What a new check is to do first.
struct CheckStart {
    enum Outcome { Refused, MadeManual, Started } outcome = Refused;
    UInt32 serial = 0;
    Int16 dialId = 0;           // MadeManual: the hidden window to show
    bool createWindow = false;  // Started: create the window now (else a worker creates it later)
    bool startTransfer = false; // Started: start the download now (else the running one's end starts it)
};

// What a worker is to do when it lets go of a window or of its transfer.
struct PendingWork {
    bool createWindow = false;
    bool startTransfer = false;
    UInt32 serial = 0;
    bool manual = false;
};

using CheckClock = std::chrono::steady_clock;

// [UI thread] A check that is refused while the current one's window is open (or
// turns a silent automatic one into a manual one), else becomes the current check,
// which is to end by `deadline`. listPath is the check's own local list file.
CheckStart BeginCheck(bool manual, const velmora::core::TS_String& libraryName,
                      const velmora::core::TS_String& installedLine,
                      const velmora::core::TS_String& listAddress, const velmora::core::TS_String& listPath,
                      CheckClock::time_point deadline);
// [any thread] The current check's state.
CheckView CurrentCheck();
bool IsCurrent(UInt32 serial);
// [any thread] The address and the local list file of check `serial`'s transfer;
// false unless that transfer is the running one (started, last report not made).
bool RunningTransfer(UInt32 serial, velmora::core::TS_String* listAddress,
                     velmora::core::TS_String* listPath);

// [UI thread] The window of check `serial` has been created, or closed. A window
// closed while its check is still checking asks the check to stop.
void WindowOpened(UInt32 serial, Int16 dialId);
void WindowClosed(UInt32 serial);
// [any thread] Cancel: the check stops at its transfer's next report.
void RequestAbort(UInt32 serial);
// [any thread] True when check `serial` is to stop: asked to, or no longer current.
bool AbortRequested(UInt32 serial);
// [any thread] True when check `serial` is the current one and its deadline has
// passed: it is to end as a failure.
bool PastDeadline(UInt32 serial);

// [worker thread] A ticket for touching the current check's open window: true and its
// identifier, else false (another check, no window). Every ticket is given back.
bool TakeWindow(UInt32 serial, Int16* dialId);
// [worker thread] Gives the ticket back; a window that waited for the last ticket is
// now to be created by the caller.
PendingWork ReleaseWindow();

// [worker thread] Decides the outcome of check `serial` once: false when it is no
// longer current or was cancelled (nothing is to be reported). `updateState` 0 marks
// a failure.
bool DecideOutcome(UInt32 serial, Int16 updateState);
// [any thread] The transfer of check `serial` could not start, or has made its last
// report: the next check's waiting transfer is now the caller's to start (unless that
// check has been cancelled meanwhile).
PendingWork TransferEnded(UInt32 serial);

// [UI thread] Forgets the checks (for tests); only while no transfer runs.
void ResetChecks();

} // namespace velmora::update
