#include "DialogCommands.hpp"

#include "CommandArguments.hpp"

namespace velmora::host::handlers {

Outcome Click(CommandContext& s, const Command& c)
{
    Outcome failure{};
    kit::DialogState state;
    if (Item(s, c, &state, &failure) == nullptr)
        return failure;
    if (!s.Press(state.dialId, static_cast<Int16>(std::stoi(c.args[0]))))
        return s.Fail(c, "item " + c.args[0] + " cannot be clicked");
    return Outcome::Done;
}

Outcome Select(CommandContext& s, const Command& c)
{
    return WithList(s, c, 1, [&](const kit::ItemState& list, const kit::DialogState& state, long row) {
        if (!s.PressRow(state.dialId, list.number, static_cast<Int16>(row)))
            return s.Fail(c, "row " + c.args[1] + " of item " + c.args[0] + " cannot be selected");
        return Outcome::Done;
    });
}

Outcome Close(CommandContext& s, const Command& c)
{
    return WithCurrent(s, c, [&](Int16 dialId, const kit::DialogState&) {
        if (!s.PressClose(dialId))
            return s.Fail(c, "the dialog cannot be closed");
        return Outcome::Done;
    });
}

Outcome Dialog(CommandContext& s, const Command& c)
{
    long resId = 0;
    if (!ParseNumber(c.args[0], 1, MaxShort, &resId))
        return BadUsage(s, c);
    if (s.ModalDialogOpen())
        return s.Fail(c, "a modal dialog is open");
    Int16 dialId = 0;
    if (!s.FindDialogByResource(static_cast<Int16>(resId), DialogsSeen::OpenOrHidden, &dialId))
        return s.Fail(c, "no dialog of resource " + c.args[0] + " is open");
    s.ChooseDialog(dialId);
    return Outcome::Done;
}

Outcome Snapshot(CommandContext& s, const Command& c)
{
    const std::string problem = s.PathProblem(c.args[0]);
    if (!problem.empty())
        return s.Fail(c, problem);
    return WithCurrent(s, c, [&](Int16, const kit::DialogState& state) {
        std::string message;
        if (!s.Picture(state, s.NativePath(c.args[0]), &message))
            return s.Fail(c, message);
        s.Say(message);
        return Outcome::Done;
    });
}

} // namespace velmora::host::handlers
