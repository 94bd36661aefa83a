// Inside the dialog manager: handing work to the host's UI thread.
#pragma once

#include <functional>

namespace kit::uithread {

// [any thread] Runs `work` on the UI thread and waits until it has run. On the UI
// thread itself, and while no driver is installed (there is no UI thread then), it
// runs at once on the calling thread. False when the host is shutting down and the
// work was dropped without running; an exception of `work` reaches the caller.
bool Run(const std::function<void()>& work);

// [any thread] True on the UI thread, and on every thread while there is none.
bool OnUiThread();

// [any thread] The host is letting go of callers from other threads.
bool ShuttingDown();

// [any thread] Called by SetDialogDriver: the calling thread becomes the UI thread
// (or, for `present` false, there is none: waiting callers run their work
// themselves).
void Install(bool present);

} // namespace kit::uithread
