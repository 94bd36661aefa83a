#include "update/UpdateCheckSteps.hpp"

#include <cstdint>

#include "DG.h"
#include "core/ResStrings.hpp"
#include "hostapi/HostCalls.hpp"
#include "language/Language.hpp"
#include "services/Alerts.hpp"
#include "update/Downloader.hpp"
#include "update/UpdateCheck.hpp"

using namespace velmora::core;
using namespace velmora::language;
using namespace velmora::services;

namespace velmora::update {
namespace {

constexpr Int32 NoConnectionMessage = 33;

} // namespace

void* SerialAsData(UInt32 serial)
{
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(serial));
}

UInt32 SerialOf(const void* userData)
{
    return static_cast<UInt32>(reinterpret_cast<std::uintptr_t>(userData));
}

void CreateCheckWindow(UInt32 serial)
{
    // A check cancelled, or stopped by the add-on's release, while its window waited.
    if (AbortRequested(serial))
        return;
    // Read before the window exists: nothing that may throw comes between its
    // making and its ticket.
    const bool manual = CurrentCheck().manual;
    const GSResModule module = ACAPI_GetOwnResModule();
    const short dialId = DGModelessInit(module, UpdateDialogId, module, UpdateDialogCallback,
                                        static_cast<DGUserData>(serial), DG_DLG_NOGROW);
    if (dialId == 0) {
        RequestAbort(serial);
        return;
    }
    // The window's initialisation made it this check's window; a manual check shows
    // it at once, in the checking state, so that the user sees the request taken
    // and can cancel it.
    Int16 ownId = 0;
    if (!TakeWindow(serial, &ownId)) {
        DGModelessClose(dialId);
        return;
    }
    // Cancelled, or stopped by the add-on's release, while the window was being
    // made: nobody would close it otherwise.
    if (AbortRequested(serial))
        DGModelessClose(ownId);
    else if (manual)
        DGShowModelessDialog(ownId, 0);
    RunPendingWork(ReleaseWindow());
}

void CloseCheckWindow(UInt32 serial)
{
    Int16 dialId = 0;
    if (!TakeWindow(serial, &dialId))
        return;
    DGModelessClose(dialId);
    RunPendingWork(ReleaseWindow());
}

bool CheckTransferToEnd(void* userData)
{
    const UInt32 serial = SerialOf(userData);
    return AbortRequested(serial) || PastDeadline(serial);
}

bool StartCheckTransfer(UInt32 serial)
{
    bool started = false;
    try {
        TS_String address, path;
        if (RunningTransfer(serial, &address, &path))
            started =
                StartDownload(address, path, UpdateCheckCallback, SerialAsData(serial), CheckTransferToEnd);
    } catch (const GS::OutOfMemoryException&) {
        started = false;
    }
    if (started)
        return true;
    ReportCheckFailure(serial);
    RunPendingWork(TransferEnded(serial));
    return false;
}

void ReportCheckFailure(UInt32 serial)
{
    if (!DecideOutcome(serial, 0))
        return;
    CloseCheckWindow(serial);
    ShowAlert(DG_ERROR, TS_String(), LocalisedText(MessageListBase, NoConnectionMessage), TS_String());
}

void RunPendingWork(const PendingWork& work)
{
    if (work.createWindow)
        CreateCheckWindow(work.serial);
    if (work.startTransfer)
        StartCheckTransfer(work.serial);
}

} // namespace velmora::update
