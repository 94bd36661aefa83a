// The update check as one state machine (its diagram is in update/UpdateCheck.hpp).
//
// CheckRules holds the state and decides every transition; it makes no host call
// and takes no lock. The events below run it behind one lock, held for a moment and
// never across a dialog call, so that a dialog call that waits for the UI thread
// never waits for this lock. What a transition leaves to do (create a window, start
// a transfer) the event does itself once the lock is let go.
#pragma once

#include <chrono>

#include "GSRoot.hpp"
#include "core/TS_String.hpp"

namespace velmora::update {

using CheckClock = std::chrono::steady_clock;

// The longest a check may take from its start to its outcome, whatever the server
// does (sends nothing, or a byte a second): past it the check fails with the alert
// "Unable to get an internet connection.".
constexpr std::chrono::seconds CheckTimeLimit{120};

// What the check has found of a part (the add-on, the library).
enum class Finding : Int16 { None = 0, Checking = 1, UpToDate = 2, UpdateAvailable = 3 };

// A copy of the current check's state.
struct CheckView {
    UInt32 serial = 0; // 0: no check since the add-on was loaded
    bool manual = false;
    bool libraryKnown = false;
    core::TS_String libraryName;
    core::TS_String installedLine;
    Finding addOn = Finding::None;
    Finding library = Finding::None;
    bool cancelled = false;
};

// What a check is asked to do. listPath is the check's own local list file.
struct CheckRequest {
    bool manual = false;
    core::TS_String libraryName;
    core::TS_String installedLine;
    core::TS_String listAddress;
    core::TS_String listPath;
    CheckClock::time_point deadline;
};

// What a transition leaves to do outside the lock: the serial of the check whose
// window is to be created, or whose transfer is to start; 0 for nothing.
struct FollowUp {
    UInt32 createWindow = 0;
    UInt32 startTransfer = 0;
};

// The state of the checks and its transitions. Only the current (latest) check may
// change the state and touch the window. A window section of a worker is counted as
// a ticket, and a new window waits until no ticket is out, because the new window
// would get the identifier of the closed one (the host knows dialogs by their
// resource id). One transfer runs at a time: a later check's transfer waits for the
// earlier one's last report (a Cancel reaches a running transfer within a fraction
// of a second). Not thread-safe by itself: the events below guard the one instance.
class CheckRules {
public:
    enum class Begun { Refused, MadeManual, Started };
    struct Start {
        Begun begun = Begun::Refused;
        UInt32 serial = 0;
        Int16 dialId = 0; // MadeManual: the hidden window to show
        FollowUp followUp;
    };

    // Refused while the current check's window is open or waits to be created (a
    // manual request turns a silent automatic check that is still checking into a
    // manual one), else the request becomes the current check.
    Start Begin(const CheckRequest& request);
    void Cancel(UInt32 serial);
    void WindowOpened(UInt32 serial, Int16 dialId);
    // A window closed while its check is still checking cancels the check.
    void WindowClosed(UInt32 serial);
    // A ticket for touching the current check's open window: true and its
    // identifier, else false (another check, no window). Every ticket is given back.
    bool TakeWindow(UInt32 serial, Int16* dialId);
    // A window that waited for the last ticket is now to be created.
    FollowUp ReleaseWindow();
    // Decides the outcome of check `serial` once: false when it is no longer
    // current or was cancelled (nothing is to be reported). None marks a failure.
    bool Decide(UInt32 serial, Finding addOn);
    // The transfer of check `serial` could not start, or has made its last report:
    // the current check's waiting transfer is now to start (unless cancelled).
    FollowUp TransferEnded(UInt32 serial);
    // Check `serial` is to stop: it was cancelled, or it is no longer current.
    bool Cancelled(UInt32 serial) const;
    // Check `serial` is the current one and its deadline has passed.
    bool PastDeadline(UInt32 serial, CheckClock::time_point now) const;
    // The address and the local list file of check `serial`'s transfer; false
    // unless that transfer is the running one (started, last report not made).
    bool RunningTransfer(UInt32 serial, core::TS_String* listAddress, core::TS_String* listPath) const;
    const CheckView& Current() const { return check; }

private:
    bool IsCurrent(UInt32 serial) const { return serial != 0 && serial == check.serial; }

    UInt32 lastSerial = 0;
    CheckView check;
    core::TS_String listAddress;
    core::TS_String listPath; // the current check's, until its transfer starts
    CheckClock::time_point deadline;
    bool decided = false;
    Int16 dialId = 0;
    bool windowOpen = false;
    bool windowPending = false; // the current check's window waits for the last ticket
    int tickets = 0;
    bool transferRunning = false;
    UInt32 transferSerial = 0;
    core::TS_String transferPath;
    bool transferPending = false; // the current check's transfer waits for the running one
};

// The events.

enum class BeginOutcome {
    Refused,         // the current check's window stays as it is
    Shown,           // a silent automatic check was made manual and its window shown
    Started,         // a new check runs, or waits for the old one's end
    TransferRefused, // the system refused the transfer: the alert has been shown
};
// [UI thread] begin: the request becomes the current check, or is refused.
BeginOutcome BeginCheck(const CheckRequest& request);
// [any thread] cancel: the check stops at its transfer's next report or poll.
void CancelCheck(UInt32 serial);
// [UI thread] window opened, window closed: sent by the result window's callback.
void CheckWindowOpened(UInt32 serial, Int16 dialId);
void CheckWindowClosed(UInt32 serial);
// [worker thread] transfer finished, and the reports before it: the DownloadCallback
// of a check's transfer, its userData the check's serial (SerialAsData).
Int32 TransferReport(Int32 state, double fraction, void* userData);
// [UI thread] end before unload: the current check is cancelled and its window closed.
void EndCheck();

// [any thread] A copy of the current check's state.
CheckView CurrentCheck();

// [any thread] The right to touch check `serial`'s open window while the ticket
// lives: false when the check is no longer current or has no open window. Giving it
// back creates a new check's window that waited for it.
class WindowTicket {
public:
    explicit WindowTicket(UInt32 serial);
    ~WindowTicket();
    WindowTicket(const WindowTicket&) = delete;
    WindowTicket& operator=(const WindowTicket&) = delete;
    explicit operator bool() const { return held; }
    Int16 DialId() const { return dialId; }

private:
    bool held = false;
    Int16 dialId = 0;
};

// The serial number of a check as the userData of its download and its window.
void* SerialAsData(UInt32 serial);
UInt32 SerialOf(const void* userData);

// [any thread] A copy of the machine's state, and its replacement: for tests, which
// set up a check without its window or transfer; replaced only while no transfer runs.
CheckRules CopyOfChecks();
void ReplaceChecks(const CheckRules& rules);

} // namespace velmora::update
