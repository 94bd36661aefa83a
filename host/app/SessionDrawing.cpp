// What the session draws on its own: the menu bar, dialogs (in the transcript and,
// with --pictures, as pictures), and the events the kit reported from any thread,
// drawn later on the UI thread.
#include "Panel.hpp"
#include "Session.hpp"

namespace velmora::host {

void Session::ShowMenuBar()
{
    transcript.Line(DrawMenuBar(host.Menu()));
}

void Session::ShowDialog(Int16 dialId)
{
    kit::DialogState state;
    if (kit::GetDialogState(dialId, &state))
        Draw(state);
}

void Session::Draw(const kit::DialogState& dialog)
{
    transcript.Line(DrawDialog(dialog));
    std::string message;
    if (!pictures.Drawn(dialog, &message))
        transcript.Line("[host] " + message);
}

void Session::OnDialogEvent(Int16 dialId, kit::DialogEvent event)
{
    // On the thread that changed the dialog, in the middle of the kit's work: only
    // noted here, and drawn by the UI thread when it next looks.
    std::lock_guard<std::mutex> guard(lock);
    events.emplace_back(dialId, event);
}

bool Session::DrawPendingEvents()
{
    if (!kit::IsUiThread())
        return false;
    std::deque<std::pair<Int16, kit::DialogEvent>> taken;
    {
        std::lock_guard<std::mutex> guard(lock);
        taken.swap(events);
    }
    bool wrote = false;
    for (const auto& [dialId, event] : taken) {
        if (event == kit::DialogEvent::Shown) {
            kit::DialogState state;
            if (!kit::GetDialogState(dialId, &state))
                transcript.Line("[host] dialog " + std::to_string(dialId) + " was shown and is closed again");
            else if (!state.modal)
                Draw(state);
            wrote = true;
        } else if (event == kit::DialogEvent::Closed) {
            transcript.Line("[host] dialog " + std::to_string(dialId) + " closed");
            wrote = true;
        }
    }
    if (frontend != nullptr)
        frontend->Update();
    return wrote;
}

bool Session::ShowNewShellLines()
{
    const std::vector<std::string> lines = shell.TakeNewForDisplay();
    for (const std::string& line : lines)
        transcript.Line("shell: " + line);
    return !lines.empty();
}

} // namespace velmora::host
