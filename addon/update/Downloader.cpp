#include "update/Downloader.hpp"

#include <new>

#include "update/TransferReporter.hpp"
#include "velmora/Platform.hpp"

namespace velmora::update {

using core::TS_String;
namespace {

// What StartDownload hands to the worker, which owns and frees it.
struct DownloadTask {
    TS_String url;
    TS_String targetPath;
    DownloadCallback callback = nullptr;
    void* userData = nullptr;
    DownloadAbortPoll abortPoll = nullptr;
};

const velmora::platform::Unit* UnitsOf(const TS_String& text)
{
    return text.IsNull() ? u"" : text.GetUnits();
}

void ReleaseTask(DownloadTask* task) noexcept
{
    task->url.Clear();
    task->targetPath.Clear();
    task->~DownloadTask();
    GS::DeleteOperator(task);
}

unsigned DownloadWorker(void* argument)
{
    auto* task = static_cast<DownloadTask*>(argument);
    TransferReporter reporter(task->callback, task->userData, task->abortPoll);
    // The final report comes whatever happens: the caller frees what it holds for
    // the transfer there, and nothing may unwind out of the worker.
    auto result = velmora::platform::TransferResult::Failed;
    try {
        result = velmora::platform::DownloadToFile(UnitsOf(task->url), UnitsOf(task->targetPath),
                                                   MaxDownloadBytes, reporter);
    } catch (...) {
        result = velmora::platform::TransferResult::Failed;
    }
    reporter.Finish(result);
    ReleaseTask(task);
    return 0;
}

} // namespace

bool StartDownload(const TS_String& url, const TS_String& targetPath, DownloadCallback callback,
                   void* userData, DownloadAbortPoll abortPoll)
{
    if (callback == nullptr)
        return false;
    void* block = GS::NewOperator(sizeof(DownloadTask));
    if (block == nullptr)
        throw GS::OutOfMemoryException();
    auto* task = new (block) DownloadTask;
    try {
        task->url = url;
        task->targetPath = targetPath;
    } catch (...) {
        ReleaseTask(task);
        throw;
    }
    task->callback = callback;
    task->userData = userData;
    task->abortPoll = abortPoll;
    if (!velmora::platform::StartWorkerThread(DownloadWorker, task)) {
        ReleaseTask(task);
        return false;
    }
    return true;
}

} // namespace velmora::update
