// The background downloader: fetches one web address into one local file on a
// worker thread of its own, so that the host's user-interface thread never waits
// for the network. Everything after StartDownload reaches the caller through its
// callback, on the worker thread.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_String.hpp"

namespace velmora::update {

// States of a download (the numbers are fixed). Seen by the callback, in order:
// zero or one DownloadStarted, zero or more DownloadProgress, then exactly one of
// DownloadDone, DownloadFailed or DownloadAborted.
enum DownloadState : Int32 {
    DownloadStarted = 0,  // the first data begins to arrive; fraction 0.0
    DownloadFailed = 1,   // the transfer ended with an error (an HTTP error status too)
    DownloadProgress = 2, // received / total, 0.5 without a total, 1.0 at the end of the data
    DownloadDone = 3,     // the target file is complete
    DownloadAborted = 4,  // a callback asked to abort
};

// [worker thread] Reports the state of a download. The return value asks to abort
// (exactly 1) for the states reported during the transfer and is ignored otherwise;
// the abort takes effect at once, and nothing but DownloadAborted follows. An
// exception thrown by the callback is contained: during the transfer it stops the
// transfer, which then ends as DownloadFailed.
// userData is the caller's, passed back untouched; the downloader never frees it.
using DownloadCallback = Int32 (*)(Int32 state, double fraction, void* userData);

// [worker thread] Asked at least every 250 ms while a transfer runs, also while the
// server sends nothing: true ends the transfer at once as DownloadAborted. This is
// how a Cancel or a time limit of the caller's reaches a stalled transfer, which
// sends no reports whose answer could abort it. userData is the download's.
using DownloadAbortPoll = bool (*)(void* userData);

// The most a download may write. A longer body (or one announced longer) ends the
// transfer as DownloadFailed and the partial file is removed: no broken or hostile
// server fills the user's disk.
constexpr UInt32 MaxDownloadBytes = 1024 * 1024;

// [any thread] Copies url (http or https) and targetPath (Windows form) into a task
// owned by a new worker thread and returns at once: true when the worker runs,
// false for a null callback or when the system refuses to start the worker (the
// callback is then never called). Throws GS::OutOfMemoryException when the host has
// no memory for the task. abortPoll may be null.
//
// The worker follows redirects (never from https to http) and verifies
// certificates. The target is created anew: when anything exists at targetPath (a
// symbolic link too, which is never followed) the download fails and leaves it as
// it is. An HTTP status other than 2xx, a body shorter than announced or longer
// than MaxDownloadBytes, and every network or file error end as DownloadFailed;
// DownloadFailed and DownloadAborted leave no file at targetPath, whatever the
// callback did meanwhile. DownloadDone means the file holds the whole body. Each
// download runs on its own; any number may run at once.
bool StartDownload(const core::TS_String& url, const core::TS_String& targetPath, DownloadCallback callback,
                   void* userData, DownloadAbortPoll abortPoll = nullptr);

} // namespace velmora::update
