#include "CommandArguments.hpp"

#include <sstream>

#include "Commands.hpp"

namespace velmora::host::handlers {

std::string Quote(const std::string& text)
{
    return "\"" + text + "\"";
}

const kit::ItemState* FindItem(const kit::DialogState& dialog, long number)
{
    for (const kit::ItemState& item : dialog.items)
        if (item.number == number)
            return &item;
    return nullptr;
}

Outcome BadUsage(CommandContext& s, const Command& c)
{
    return s.Fail(c, "usage: " + Usage(*FindCommand(c.name)));
}

bool Seconds(const Command& c, std::size_t index, double* seconds)
{
    *seconds = DefaultWait;
    return c.args.size() <= index || ParseSeconds(c.args[index], seconds);
}

Outcome Waited(CommandContext& s, const Command& c, bool reached, double seconds)
{
    if (reached)
        return Outcome::Done;
    std::ostringstream limit;
    limit << seconds;
    return s.Fail(c, "nothing came within " + limit.str() + " seconds");
}

bool Current(CommandContext& s, const Command& c, Int16* dialId, kit::DialogState* state, Outcome* failure)
{
    *dialId = s.CurrentDialog();
    if (*dialId != 0 && kit::GetDialogState(*dialId, state))
        return true;
    *failure = s.Fail(c, "no dialog is open");
    return false;
}

const kit::ItemState* Item(CommandContext& s, const Command& c, kit::DialogState* state, Outcome* failure)
{
    Int16 dialId = 0;
    long number = 0;
    if (!ParseNumber(c.args[0], 1, MaxShort, &number)) {
        *failure = BadUsage(s, c);
        return nullptr;
    }
    if (!Current(s, c, &dialId, state, failure))
        return nullptr;
    const kit::ItemState* item = FindItem(*state, number);
    if (item == nullptr)
        *failure = s.Fail(c, "the dialog has no item " + c.args[0]);
    return item;
}

} // namespace velmora::host::handlers
