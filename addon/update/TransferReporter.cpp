#include "update/TransferReporter.hpp"

namespace velmora::update {

bool TransferReporter::OnBeginData()
{
    return Report(DownloadStarted, 0.0);
}

bool TransferReporter::OnData(unsigned long long received, unsigned long long total)
{
    const double fraction = total == 0 ? 0.5 : static_cast<double>(received) / static_cast<double>(total);
    return Report(DownloadProgress, fraction);
}

bool TransferReporter::OnEndData()
{
    return Report(DownloadProgress, 1.0);
}

bool TransferReporter::AbortRequested()
{
    if (abortPoll == nullptr)
        return false;
    try {
        return abortPoll(userData);
    } catch (...) {
        callbackThrew = true;
        return true;
    }
}

void TransferReporter::Finish(velmora::platform::TransferResult result)
{
    using velmora::platform::TransferResult;
    DownloadState state = DownloadFailed;
    if (result == TransferResult::Done)
        state = DownloadDone;
    else if (result == TransferResult::Aborted && !callbackThrew)
        state = DownloadAborted;
    try {
        callback(state, 0.0, userData);
    } catch (...) {
        // The worker thread has no one to hand an exception to; the download is over.
    }
}

bool TransferReporter::Report(DownloadState state, double fraction)
{
    try {
        return callback(state, fraction, userData) == 1;
    } catch (...) {
        callbackThrew = true;
        return true;
    }
}

} // namespace velmora::update
