// The background downloader: fetches one web address into one local file on a
// worker thread of its own, so that the host's user-interface thread never waits
// for the network. Everything after StartDownload reaches the caller through its
// callback, on the worker thread.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_String.hpp"

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
// (exactly 1) for the states reported during the transfer and is ignored otherwise.
// userData is the caller's, passed back untouched; the downloader never frees it.
using DownloadCallback = Int32 (*)(Int32 state, double fraction, void* userData);

// The most a download may write. A longer body (or one announced longer) ends the
// transfer as DownloadFailed and the partial file is removed: no broken or hostile
// server fills the user's disk.
constexpr UInt32 MaxDownloadBytes = 1024 * 1024;

// [any thread] Copies url and targetPath (Windows form) into a task owned by a new
// worker thread and returns at once: true when the worker runs, false when the
// system refuses to start it (the callback is then never called). Throws
// GS::OutOfMemoryException when the host has no memory for the task.
bool StartDownload(const TS_String& url, const TS_String& targetPath, DownloadCallback callback,
                   void* userData);
