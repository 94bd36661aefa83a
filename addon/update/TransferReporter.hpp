// The one mapping from the events of a transfer to the states a DownloadCallback
// sees, shared by the Windows and the POSIX transfer.
#pragma once

#include "GSRoot.hpp"
#include "update/Downloader.hpp"
#include "velmora/Platform.hpp"

namespace velmora::update {

// Borrows the callback, its userData and the abort poll (may be null) for the life
// of one transfer.
class TransferReporter final : public velmora::platform::TransferObserver {
public:
    TransferReporter(DownloadCallback downloadCallback, void* downloadUserData,
                     DownloadAbortPoll downloadAbortPoll = nullptr) noexcept
        : callback(downloadCallback), userData(downloadUserData), abortPoll(downloadAbortPoll)
    {
    }

    // [worker thread] DownloadStarted with 0.0.
    bool OnBeginData() override;
    // [worker thread] DownloadProgress with received / total, 0.5 without a total.
    bool OnData(unsigned long long received, unsigned long long total) override;
    // [worker thread] DownloadProgress with 1.0.
    bool OnEndData() override;
    // [worker thread] The caller's abort poll; a poll that throws ends the transfer.
    bool AbortRequested() override;
    // [worker thread] The one final call: DownloadDone, DownloadFailed or
    // DownloadAborted with 0.0; its result is ignored.
    void Finish(velmora::platform::TransferResult result);

private:
    // True when the callback asks to abort: it returned exactly 1, or it threw,
    // which must not unwind through the system's transfer code.
    bool Report(DownloadState state, double fraction);

    DownloadCallback callback;
    void* userData;
    DownloadAbortPoll abortPoll;
    bool callbackThrew = false;
};

} // namespace velmora::update
