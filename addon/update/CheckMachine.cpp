#include "update/CheckMachine.hpp"

#include <cstdint>
#include <mutex>
#include <utility>

#include "DG.h"
#include "core/ResStrings.hpp"
#include "language/Language.hpp"
#include "services/Alerts.hpp"
#include "update/Downloader.hpp"
#include "update/ResultWindow.hpp"
#include "update/VersionList.hpp"

namespace velmora::update {

using core::MessageListBase;
using core::TS_String;
using language::LocalisedText;
using services::ShowAlert;

CheckRules::Start CheckRules::Begin(const CheckRequest& request)
{
    Start start;
    if (check.serial != 0 && (windowOpen || windowPending)) {
        // A person who asks while a silent automatic check is still running is
        // shown that check's window instead of being ignored.
        if (request.manual && !check.manual && !decided && windowOpen) {
            check.manual = true;
            start.begun = Begun::MadeManual;
            start.serial = check.serial;
            start.dialId = dialId;
        }
        return start;
    }
    CheckView next;
    next.serial = ++lastSerial;
    if (next.serial == 0)
        next.serial = ++lastSerial;
    next.manual = request.manual;
    next.libraryKnown = !request.libraryName.IsEmpty();
    if (next.libraryKnown)
        next.libraryName = request.libraryName;
    next.installedLine = request.installedLine;
    next.addOn = Finding::Checking;
    next.library = check.library;
    check = next;
    listAddress = request.listAddress;
    listPath = request.listPath;
    deadline = request.deadline;
    decided = false;
    dialId = 0;
    windowOpen = false;

    start.begun = Begun::Started;
    start.serial = check.serial;
    windowPending = tickets > 0;
    if (!windowPending)
        start.followUp.createWindow = check.serial;
    transferPending = transferRunning;
    if (!transferPending) {
        transferRunning = true;
        transferSerial = check.serial;
        transferPath = std::move(listPath);
        start.followUp.startTransfer = check.serial;
    }
    return start;
}

void CheckRules::Cancel(UInt32 serial)
{
    if (IsCurrent(serial))
        check.cancelled = true;
}

void CheckRules::WindowOpened(UInt32 serial, Int16 id)
{
    if (!IsCurrent(serial))
        return;
    dialId = id;
    windowOpen = true;
}

void CheckRules::WindowClosed(UInt32 serial)
{
    if (!IsCurrent(serial))
        return;
    windowOpen = false;
    if (!decided)
        check.cancelled = true;
}

bool CheckRules::TakeWindow(UInt32 serial, Int16* id)
{
    if (!IsCurrent(serial) || !windowOpen)
        return false;
    ++tickets;
    *id = dialId;
    return true;
}

FollowUp CheckRules::ReleaseWindow()
{
    FollowUp followUp;
    if (tickets > 0)
        --tickets;
    if (tickets == 0 && windowPending) {
        windowPending = false;
        followUp.createWindow = check.serial;
    }
    return followUp;
}

bool CheckRules::Decide(UInt32 serial, Finding addOn)
{
    if (!IsCurrent(serial) || check.cancelled || decided)
        return false;
    decided = true;
    if (addOn != Finding::None) {
        check.addOn = addOn;
        check.library = Finding::UpToDate;
    }
    return true;
}

FollowUp CheckRules::TransferEnded(UInt32 serial)
{
    FollowUp followUp;
    if (transferRunning && transferSerial == serial)
        transferRunning = false;
    if (transferRunning || !transferPending)
        return followUp;
    transferPending = false;
    if (check.cancelled)
        return followUp; // cancelled while it waited: it never starts
    transferRunning = true;
    transferSerial = check.serial;
    transferPath = std::move(listPath);
    followUp.startTransfer = check.serial;
    return followUp;
}

bool CheckRules::Cancelled(UInt32 serial) const
{
    return !IsCurrent(serial) || check.cancelled;
}

bool CheckRules::PastDeadline(UInt32 serial, CheckClock::time_point now) const
{
    return IsCurrent(serial) && now >= deadline;
}

bool CheckRules::RunningTransfer(UInt32 serial, TS_String* address, TS_String* path) const
{
    if (!transferRunning || transferSerial != serial)
        return false;
    if (address != nullptr)
        *address = listAddress;
    if (path != nullptr)
        *path = transferPath;
    return true;
}

namespace {

constexpr Int32 NoConnectionMessage = 33;

struct Machine {
    std::mutex lock;
    CheckRules rules;
};

Machine& TheMachine()
{
    static Machine machine;
    return machine;
}

// Runs `step` on the rules behind the lock and returns what it returns.
template <typename Step> auto Locked(Step step)
{
    Machine& machine = TheMachine();
    std::lock_guard<std::mutex> guard(machine.lock);
    return step(machine.rules);
}

bool Cancelled(UInt32 serial)
{
    return Locked([&](const CheckRules& rules) { return rules.Cancelled(serial); });
}

bool PastDeadline(UInt32 serial)
{
    const auto now = CheckClock::now();
    return Locked([&](const CheckRules& rules) { return rules.PastDeadline(serial, now); });
}

bool Decide(UInt32 serial, Finding addOn)
{
    return Locked([&](CheckRules& rules) { return rules.Decide(serial, addOn); });
}

bool RunningTransfer(UInt32 serial, TS_String* address, TS_String* path)
{
    return Locked([&](const CheckRules& rules) { return rules.RunningTransfer(serial, address, path); });
}

bool StartTransfer(UInt32 serial);

// The window's identifier is the closed window's again when a ticket is still out:
// the window is created only once the last one is back.
void CreateWindow(UInt32 serial)
{
    // A check cancelled, or stopped by the add-on's release, while its window waited.
    if (Cancelled(serial))
        return;
    // Read before the window exists: nothing that may throw comes between its
    // making and its ticket.
    const bool manual = CurrentCheck().manual;
    const short created = CreateResultWindow(serial);
    if (created == 0) {
        CancelCheck(serial);
        return;
    }
    // The window's initialisation made it this check's window; a manual check shows
    // it at once, in the checking state, so that the user sees the request taken
    // and can cancel it.
    WindowTicket ticket(serial);
    if (!ticket) {
        CloseResultWindow(created);
        return;
    }
    // Cancelled, or stopped by the add-on's release, while the window was being
    // made: nobody would close it otherwise.
    if (Cancelled(serial))
        CloseResultWindow(ticket.DialId());
    else if (manual)
        ShowResultWindow(ticket.DialId());
}

void Run(const FollowUp& followUp)
{
    if (followUp.createWindow != 0)
        CreateWindow(followUp.createWindow);
    if (followUp.startTransfer != 0)
        StartTransfer(followUp.startTransfer);
}

void CloseWindow(UInt32 serial)
{
    if (WindowTicket ticket(serial); ticket)
        CloseResultWindow(ticket.DialId());
}

// The end of a transfer frees its slot; the next check's waiting transfer starts.
void TransferEnded(UInt32 serial)
{
    Run(Locked([&](CheckRules& rules) { return rules.TransferEnded(serial); }));
}

// Once per check: closes its window and shows the alert "Unable to get an internet
// connection.", unless the check has been cancelled or replaced.
void Fail(UInt32 serial)
{
    if (!Decide(serial, Finding::None))
        return;
    CloseWindow(serial);
    ShowAlert(DG_ERROR, TS_String(), LocalisedText(MessageListBase, NoConnectionMessage), TS_String());
}

// The transfer's abort poll: the check was cancelled or replaced, or its time is up.
bool ToStop(void* userData)
{
    const UInt32 serial = SerialOf(userData);
    return Cancelled(serial) || PastDeadline(serial);
}

bool StartTransfer(UInt32 serial)
{
    bool started = false;
    try {
        TS_String address, path;
        if (RunningTransfer(serial, &address, &path))
            started = StartDownload(address, path, TransferReport, SerialAsData(serial), ToStop);
    } catch (const GS::OutOfMemoryException&) {
        started = false;
    }
    if (started)
        return true;
    Fail(serial);
    TransferEnded(serial);
    return false;
}

// A list that no check is going to read must not stay in the user folder.
void DiscardList(UInt32 serial)
{
    TS_String path;
    if (RunningTransfer(serial, nullptr, &path))
        DeleteFileAt(path);
}

void ShowOutcome(UInt32 serial)
{
    const CheckView check = CurrentCheck();
    if (!check.manual && check.addOn == Finding::UpToDate) {
        // Nothing new after an automatic check: the hidden window goes unseen.
        CloseWindow(serial);
        return;
    }
    // A window the user has closed in the meantime stays closed.
    WindowTicket ticket(serial);
    if (!ticket)
        return;
    FillResultWindow(ticket.DialId(), check);
    ShowResultWindow(ticket.DialId());
}

void CompareList(UInt32 serial)
{
    TS_String path;
    if (Cancelled(serial) || !RunningTransfer(serial, nullptr, &path)) {
        DiscardList(serial);
        return;
    }
    const VersionListOutcome outcome = CompareWithVersionList(CurrentCheck().installedLine, path);
    if (outcome == VersionListOutcome::Failed) {
        Fail(serial);
        return;
    }
    if (Decide(serial,
               outcome == VersionListOutcome::UpdateAvailable ? Finding::UpdateAvailable : Finding::UpToDate))
        ShowOutcome(serial);
}

void TransferFinished(Int32 state, UInt32 serial)
{
    switch (state) {
    case DownloadFailed:
        Fail(serial);
        break;
    case DownloadDone:
        CompareList(serial);
        break;
    case DownloadAborted:
        if (PastDeadline(serial)) {
            // The server took longer than a check may: a failure, unless cancelled.
            Fail(serial);
        } else if (Decide(serial, Finding::None)) {
            // Stopped by other means than Cancel (the add-on being released): the
            // window goes with it, silently.
            CloseWindow(serial);
        }
        break;
    default:
        break;
    }
}

} // namespace

BeginOutcome BeginCheck(const CheckRequest& request)
{
    const CheckRules::Start start = Locked([&](CheckRules& rules) { return rules.Begin(request); });
    switch (start.begun) {
    case CheckRules::Begun::Refused:
        return BeginOutcome::Refused;
    case CheckRules::Begun::MadeManual:
        ShowResultWindow(start.dialId);
        return BeginOutcome::Shown;
    case CheckRules::Begun::Started:
        break;
    }
    if (start.followUp.createWindow != 0)
        CreateWindow(start.serial);
    if (start.followUp.startTransfer != 0 && !StartTransfer(start.serial))
        return BeginOutcome::TransferRefused;
    return BeginOutcome::Started;
}

void CancelCheck(UInt32 serial)
{
    Locked([&](CheckRules& rules) { rules.Cancel(serial); });
}

void CheckWindowOpened(UInt32 serial, Int16 dialId)
{
    Locked([&](CheckRules& rules) { rules.WindowOpened(serial, dialId); });
}

void CheckWindowClosed(UInt32 serial)
{
    Locked([&](CheckRules& rules) { rules.WindowClosed(serial); });
}

Int32 TransferReport(Int32 state, double, void* userData)
{
    const UInt32 serial = SerialOf(userData);
    if (state != DownloadFailed && state != DownloadDone && state != DownloadAborted) {
        // A Cancel before the first data is kept: the start of the data asks to abort too.
        return ToStop(userData) ? 1 : 0;
    }
    try {
        TransferFinished(state, serial);
    } catch (...) {
        // Out of memory while comparing or reporting: the check still ends, as a
        // failure, and leaves no list behind. Nothing may unwind into the downloader.
        try {
            DiscardList(serial);
        } catch (...) {
        }
        try {
            Fail(serial);
        } catch (...) {
        }
    }
    // Whatever happened above, the transfer's slot is free now, and the next check's
    // waiting transfer starts.
    try {
        TransferEnded(serial);
    } catch (...) {
    }
    return 0;
}

void EndCheck()
{
    const UInt32 serial = CurrentCheck().serial;
    CancelCheck(serial);
    CloseWindow(serial);
}

CheckView CurrentCheck()
{
    return Locked([](const CheckRules& rules) { return rules.Current(); });
}

WindowTicket::WindowTicket(UInt32 serial)
{
    held = Locked([&](CheckRules& rules) { return rules.TakeWindow(serial, &dialId); });
}

WindowTicket::~WindowTicket()
{
    if (!held)
        return;
    // A destructor must not throw: a window that cannot be made now is a check that
    // ends without one, as when the host refuses the window.
    try {
        Run(Locked([](CheckRules& rules) { return rules.ReleaseWindow(); }));
    } catch (...) {
    }
}

void* SerialAsData(UInt32 serial)
{
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(serial));
}

UInt32 SerialOf(const void* userData)
{
    return static_cast<UInt32>(reinterpret_cast<std::uintptr_t>(userData));
}

CheckRules CopyOfChecks()
{
    return Locked([](const CheckRules& rules) { return rules; });
}

void ReplaceChecks(const CheckRules& replacement)
{
    Locked([&](CheckRules& rules) { rules = replacement; });
}

} // namespace velmora::update
