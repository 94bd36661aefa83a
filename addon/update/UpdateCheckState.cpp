#include "update/UpdateCheckState.hpp"

#include <mutex>
#include <utility>

#include "update/UpdateCheck.hpp"

using namespace velmora::core;

namespace velmora::update {
namespace {

struct Shared {
    std::mutex lock;
    UInt32 lastSerial = 0;
    CheckView check;
    TS_String listAddress;
    TS_String listPath; // the current check's, until its transfer starts
    CheckClock::time_point deadline;
    bool outcomeDecided = false;
    Int16 dialId = 0;
    bool windowOpen = false;
    bool windowPending = false; // the current check's window waits for the last ticket
    int tickets = 0;
    bool transferRunning = false;
    UInt32 transferSerial = 0;
    TS_String transferPath;
    bool transferPending = false; // the current check's transfer waits for the running one
};

Shared& State()
{
    static Shared shared;
    return shared;
}

bool CurrentLocked(const Shared& s, UInt32 serial)
{
    return serial != 0 && serial == s.check.serial;
}

} // namespace

CheckStart BeginCheck(bool manual, const TS_String& libraryName, const TS_String& installedLine,
                      const TS_String& listAddress, const TS_String& listPath,
                      CheckClock::time_point deadline)
{
    Shared& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    CheckStart start;
    if (s.check.serial != 0 && (s.windowOpen || s.windowPending)) {
        // A person who asks while a silent automatic check is still running is
        // shown that check's window instead of being ignored.
        if (manual && !s.check.manual && !s.outcomeDecided && s.windowOpen) {
            s.check.manual = true;
            start.outcome = CheckStart::MadeManual;
            start.serial = s.check.serial;
            start.dialId = s.dialId;
        }
        return start;
    }
    CheckView check;
    check.serial = ++s.lastSerial;
    if (check.serial == 0)
        check.serial = ++s.lastSerial;
    check.manual = manual;
    check.libraryKnown = !libraryName.IsEmpty();
    if (check.libraryKnown)
        check.libraryName = libraryName;
    check.installedLine = installedLine;
    check.updateState = StateChecking;
    check.libraryState = s.check.libraryState;
    s.check = check;
    s.listAddress = listAddress;
    s.listPath = listPath;
    s.deadline = deadline;
    s.outcomeDecided = false;
    s.dialId = 0;
    s.windowOpen = false;

    start.outcome = CheckStart::Started;
    start.serial = check.serial;
    start.createWindow = s.tickets == 0;
    s.windowPending = !start.createWindow;
    start.startTransfer = !s.transferRunning;
    if (start.startTransfer) {
        s.transferRunning = true;
        s.transferSerial = check.serial;
        s.transferPath = std::move(s.listPath);
    }
    s.transferPending = !start.startTransfer;
    return start;
}

CheckView CurrentCheck()
{
    Shared& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.check;
}

bool IsCurrent(UInt32 serial)
{
    Shared& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return CurrentLocked(s, serial);
}

bool RunningTransfer(UInt32 serial, TS_String* listAddress, TS_String* listPath)
{
    Shared& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (!s.transferRunning || s.transferSerial != serial)
        return false;
    if (listAddress != nullptr)
        *listAddress = s.listAddress;
    if (listPath != nullptr)
        *listPath = s.transferPath;
    return true;
}

void WindowOpened(UInt32 serial, Int16 dialId)
{
    Shared& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (!CurrentLocked(s, serial))
        return;
    s.dialId = dialId;
    s.windowOpen = true;
}

void WindowClosed(UInt32 serial)
{
    Shared& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (!CurrentLocked(s, serial))
        return;
    s.windowOpen = false;
    if (!s.outcomeDecided)
        s.check.abortRequested = true;
}

void RequestAbort(UInt32 serial)
{
    Shared& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (CurrentLocked(s, serial))
        s.check.abortRequested = true;
}

bool AbortRequested(UInt32 serial)
{
    Shared& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return !CurrentLocked(s, serial) || s.check.abortRequested;
}

bool PastDeadline(UInt32 serial)
{
    Shared& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return CurrentLocked(s, serial) && CheckClock::now() >= s.deadline;
}

bool TakeWindow(UInt32 serial, Int16* dialId)
{
    Shared& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (!CurrentLocked(s, serial) || !s.windowOpen)
        return false;
    ++s.tickets;
    *dialId = s.dialId;
    return true;
}

PendingWork ReleaseWindow()
{
    Shared& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    PendingWork work;
    if (s.tickets > 0)
        --s.tickets;
    if (s.tickets == 0 && s.windowPending) {
        s.windowPending = false;
        work.createWindow = true;
        work.serial = s.check.serial;
        work.manual = s.check.manual;
    }
    return work;
}

bool DecideOutcome(UInt32 serial, Int16 updateState)
{
    Shared& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (!CurrentLocked(s, serial) || s.check.abortRequested || s.outcomeDecided)
        return false;
    s.outcomeDecided = true;
    if (updateState != 0) {
        s.check.updateState = updateState;
        s.check.libraryState = StateUpToDate;
    }
    return true;
}

PendingWork TransferEnded(UInt32 serial)
{
    Shared& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    PendingWork work;
    if (s.transferRunning && s.transferSerial == serial)
        s.transferRunning = false;
    if (s.transferRunning || !s.transferPending)
        return work;
    s.transferPending = false;
    if (s.check.abortRequested)
        return work; // cancelled while it waited: it never starts
    s.transferRunning = true;
    s.transferSerial = s.check.serial;
    s.transferPath = std::move(s.listPath);
    work.startTransfer = true;
    work.serial = s.check.serial;
    work.manual = s.check.manual;
    return work;
}

void ResetChecks()
{
    Shared& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.check = CheckView();
    s.listAddress.Clear();
    s.listPath.Clear();
    s.outcomeDecided = false;
    s.dialId = 0;
    s.windowOpen = false;
    s.windowPending = false;
    s.tickets = 0;
    s.transferRunning = false;
    s.transferSerial = 0;
    s.transferPath.Clear();
    s.transferPending = false;
}

} // namespace velmora::update
