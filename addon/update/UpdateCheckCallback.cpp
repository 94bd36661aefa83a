// What the download of the version list reports, on its worker thread, and the
// result step that compares the list and reports the outcome.
#include "DG.h"
#include "update/Downloader.hpp"
#include "update/UpdateCheck.hpp"
#include "update/UpdateCheckSteps.hpp"
#include "update/VersionList.hpp"

using namespace velmora::core;

using namespace velmora::update;

namespace {

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
    if (!check.manual && check.updateState == StateUpToDate) {
        // Nothing new after an automatic check: the hidden window goes unseen.
        CloseCheckWindow(serial);
        return;
    }
    // A window the user has closed in the meantime stays closed.
    Int16 dialId = 0;
    if (!TakeWindow(serial, &dialId))
        return;
    try {
        FillUpdateDialog(dialId);
    } catch (...) {
        RunPendingWork(ReleaseWindow());
        throw;
    }
    DGShowModelessDialog(dialId, 0);
    RunPendingWork(ReleaseWindow());
}

void ResultStep(UInt32 serial)
{
    TS_String path;
    if (AbortRequested(serial) || !RunningTransfer(serial, nullptr, &path)) {
        DiscardList(serial);
        return;
    }
    const VersionListOutcome outcome = CompareWithVersionList(CurrentCheck().installedLine, path);
    if (outcome == VersionListOutcome::Failed) {
        ReportCheckFailure(serial);
        return;
    }
    if (DecideOutcome(serial,
                      outcome == VersionListOutcome::UpdateAvailable ? StateUpdateAvailable : StateUpToDate))
        ShowOutcome(serial);
}

void FinalReport(Int32 state, UInt32 serial)
{
    switch (state) {
    case DownloadFailed:
        ReportCheckFailure(serial);
        break;
    case DownloadDone:
        ResultStep(serial);
        break;
    case DownloadAborted:
        if (PastDeadline(serial)) {
            // The server took longer than a check may: a failure, unless cancelled.
            ReportCheckFailure(serial);
        } else if (DecideOutcome(serial, 0)) {
            // Stopped by other means than Cancel (the add-on being released): the
            // window goes with it, silently.
            CloseCheckWindow(serial);
        }
        break;
    default:
        break;
    }
}

} // namespace

Int32 UpdateCheckCallback(Int32 state, double, void* userData)
{
    const UInt32 serial = SerialOf(userData);
    if (state != DownloadFailed && state != DownloadDone && state != DownloadAborted) {
        // A Cancel before the first data is kept: the start of the data asks to abort too.
        return CheckTransferToEnd(userData) ? 1 : 0;
    }
    try {
        FinalReport(state, serial);
    } catch (...) {
        // Out of memory while comparing or reporting: the check still ends, as a
        // failure, and leaves no list behind. Nothing may unwind into the downloader.
        try {
            DiscardList(serial);
        } catch (...) {
        }
        try {
            ReportCheckFailure(serial);
        } catch (...) {
        }
    }
    // Whatever happened above, the transfer's slot is free now, and the next check's
    // waiting transfer starts.
    try {
        RunPendingWork(TransferEnded(serial));
    } catch (...) {
    }
    return 0;
}
