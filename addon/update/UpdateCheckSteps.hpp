// The steps of a check that either thread takes: creating and closing the check's
// window, starting its transfer, reporting a failure, and running what a finished
// window section or transfer left waiting. None of them is called with a lock held.
#pragma once

#include "GSRoot.hpp"
#include "update/UpdateCheckState.hpp"

namespace velmora::update {

// The serial number of a check as the userData of its download and its window.
void* SerialAsData(UInt32 serial);
UInt32 SerialOf(const void* userData);

// [any thread] Creates the hidden window of check `serial` and shows it when the
// check is manual. A window that cannot be created stops the check, silently; one
// whose check was cancelled or ended meanwhile is closed at once.
void CreateCheckWindow(UInt32 serial);
// [any thread] Closes the window of check `serial` while it is the current one.
void CloseCheckWindow(UInt32 serial);
// [any thread] Starts the transfer of check `serial`; when the system refuses, the
// window is closed and the failure alert shown. True when the transfer runs.
bool StartCheckTransfer(UInt32 serial);
// [worker thread] The abort poll of a check's transfer (its userData the serial):
// the check was cancelled or replaced, or its time is up.
bool CheckTransferToEnd(void* userData);
// [any thread] Once per check: closes its window and shows the alert "Unable to get
// an internet connection.", unless the check has been cancelled or replaced.
void ReportCheckFailure(UInt32 serial);
// [any thread] What a released window ticket or an ended transfer left to do.
void RunPendingWork(const PendingWork& work);

} // namespace velmora::update
