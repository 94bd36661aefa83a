// What the download of the version list reports, on its worker thread, and the
// result step that compares the list and reports the outcome.
#include "DG.h"
#include "update/Downloader.hpp"
#include "update/UpdateCheck.hpp"
#include "update/UpdateCheckSteps.hpp"
#include "update/VersionList.hpp"

using namespace velmora::update;

namespace {

// A list that no check is going to read must not stay for the next check to find.
void DiscardList()
{
    TS_String path;
    if (VersionListPath(&path))
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
    FillUpdateDialog(dialId);
    DGShowModelessDialog(dialId, 0);
    RunPendingWork(ReleaseWindow());
}

void ResultStep(UInt32 serial)
{
    if (AbortRequested(serial)) {
        DiscardList();
        return;
    }
    const VersionListOutcome outcome = CompareWithVersionList(CurrentCheck().installedLine);
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
        DiscardList();
        // Stopped by other means than Cancel (the add-on being released): the window
        // goes with it, silently.
        if (DecideOutcome(serial, 0))
            CloseCheckWindow(serial);
        break;
    default:
        break;
    }
    // Only now may the next check's transfer write the list file.
    RunPendingWork(TransferEnded(serial));
}

} // namespace

Int32 UpdateCheckCallback(Int32 state, double, void* userData)
{
    const UInt32 serial = SerialOf(userData);
    try {
        if (state == DownloadFailed || state == DownloadDone || state == DownloadAborted)
            FinalReport(state, serial);
    } catch (const GS::OutOfMemoryException&) {
        // Nothing may unwind into the downloader; the next check starts afresh.
        RunPendingWork(TransferEnded(serial));
        return 1;
    }
    // A Cancel before the first data is kept: the start of the data asks to abort too.
    return AbortRequested(serial) ? 1 : 0;
}
