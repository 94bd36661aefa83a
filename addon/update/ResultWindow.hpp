// The result window 32755 of the update check, all of it: its making, its texts
// from the state of the check, what its buttons do, its showing and closing. The
// window carries its check's serial number as its DG userData: the messages of a
// closed window touch nothing of a newer check.
#pragma once

#include "GSRoot.hpp"
#include "update/CheckMachine.hpp"

namespace velmora::update {

constexpr short ResultWindowId = 32755;

// The window's items.
enum class ResultItem : short {
    HomePage = 1,
    Cancel = 2,
    Status = 3,
    AddOnStatus = 4,
    AddOnDownload = 5,
    LibraryStatus = 6,
    LibraryDownload = 7,
};

// [any thread] Creates the hidden window of check `serial`; its initialisation tells
// the check (window opened) and fills it. The identifier, or 0 when the host cannot
// make it.
short CreateResultWindow(UInt32 serial);
// [any thread] Sets the window's texts and visibility from `check` (borrowed).
void FillResultWindow(short dialId, const CheckView& check);
// [any thread] Shows the window.
void ShowResultWindow(short dialId);
// [any thread] Closes the window; its callback tells the check (window closed).
void CloseResultWindow(short dialId);

} // namespace velmora::update
