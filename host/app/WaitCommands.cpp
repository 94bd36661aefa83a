#include "WaitCommands.hpp"

#include "CommandArguments.hpp"
#include "Panel.hpp"

namespace velmora::host::handlers {

Outcome Wait(CommandContext& s, const Command& c)
{
    double seconds = 0;
    if (!ParseSeconds(c.args[0], &seconds))
        return BadUsage(s, c);
    s.WaitUntil(seconds, [] { return false; });
    return Outcome::Done;
}

Outcome WaitDialog(CommandContext& s, const Command& c)
{
    long resId = 0;
    double seconds = 0;
    if (!ParseNumber(c.args[0], 1, MaxShort, &resId) || !Seconds(c, 1, &seconds))
        return BadUsage(s, c);
    // wait-dialog waits for a visible one; wait-closed until none is open, shown or not.
    const bool visible = c.name == "wait-dialog";
    const DialogsSeen seen = visible ? DialogsSeen::VisibleOnly : DialogsSeen::OpenOrHidden;
    Int16 dialId = 0;
    const bool reached = s.WaitUntil(
        seconds, [&] { return s.FindDialogByResource(static_cast<Int16>(resId), seen, &dialId) == visible; });
    return Waited(s, c, reached, seconds);
}

Outcome WaitText(CommandContext& s, const Command& c)
{
    long number = 0;
    double seconds = 0;
    if (!ParseNumber(c.args[0], 1, MaxShort, &number) || !Seconds(c, 2, &seconds))
        return BadUsage(s, c);
    // The current dialog is looked up anew: background work may open or fill it.
    // A change the add-on is still making counts once it is drawn, as a person
    // sees it: the text may come before the rest of the change.
    const bool reached = s.WaitUntil(seconds, [&] {
        kit::DialogState state;
        const Int16 dialId = s.CurrentDialog();
        if (dialId == 0 || !kit::GetDialogState(dialId, &state) || state.changesHeld)
            return false;
        const kit::ItemState* item = FindItem(state, number);
        return item != nullptr && Utf8(item->text) == c.args[1];
    });
    return Waited(s, c, reached, seconds);
}

Outcome WaitAlert(CommandContext& s, const Command& c)
{
    double seconds = 0;
    if (!Seconds(c, 0, &seconds))
        return BadUsage(s, c);
    const bool reached = s.WaitUntil(seconds, [&] { return s.UnseenAlerts() > 0; });
    s.MarkAlertsSeen();
    return Waited(s, c, reached, seconds);
}

} // namespace velmora::host::handlers
