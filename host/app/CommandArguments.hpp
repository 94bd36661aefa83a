// How the command handlers read their arguments against the session: the number of
// an item of the current dialog, a list's row, a menu item, a wait's time limit,
// and the failures a command reports when they name nothing.
#pragma once

#include <climits>
#include <cstddef>
#include <string>

#include "CommandContext.hpp"
#include "MenuModel.hpp"
#include "Numbers.hpp"

namespace velmora::host::handlers {

constexpr long MaxShort = 32767;
constexpr double DefaultWait = 10; // seconds, for the waits that take an optional limit

// `text` in double quotes, as failures show what was found.
std::string Quote(const std::string& text);

// Item `number` of `dialog`, or null.
const kit::ItemState* FindItem(const kit::DialogState& dialog, long number);

// Fails with the command's usage.
Outcome BadUsage(CommandContext& s, const Command& c);

// The optional time limit of a wait, at argument `index` (DefaultWait when absent).
bool Seconds(const Command& c, std::size_t index, double* seconds);

// Done when the wait reached its condition, else a failure that names the limit.
Outcome Waited(CommandContext& s, const Command& c, bool reached, double seconds);

// The current dialog and its state, or false with the failure.
bool Current(CommandContext& s, const Command& c, Int16* dialId, kit::DialogState* state, Outcome* failure);

// Item `c.args[0]` of the current dialog, or null with the failure.
const kit::ItemState* Item(CommandContext& s, const Command& c, kit::DialogState* state, Outcome* failure);

// Runs `act(item, state)` on item `c.args[0]` of the current dialog, or fails.
template <typename Act> Outcome WithItem(CommandContext& s, const Command& c, Act&& act)
{
    Outcome failure{};
    kit::DialogState state;
    const kit::ItemState* item = Item(s, c, &state, &failure);
    return item != nullptr ? act(*item, state) : failure;
}

// Runs `act(dialId, state)` on the current dialog, or fails when none is open.
template <typename Act> Outcome WithCurrent(CommandContext& s, const Command& c, Act&& act)
{
    Outcome failure{};
    Int16 dialId = 0;
    kit::DialogState state;
    if (!Current(s, c, &dialId, &state, &failure))
        return failure;
    return act(dialId, state);
}

// Runs `check` on item `c.args[0]` of the current dialog (a list, normally) with
// the number `c.args[1]` (a row or a count, from `least`), or fails.
template <typename Check> Outcome WithList(CommandContext& s, const Command& c, long least, Check&& check)
{
    long number = 0;
    if (!ParseNumber(c.args[1], least, MaxShort, &number))
        return BadUsage(s, c);
    return WithItem(s, c, [&](const kit::ItemState& list, const kit::DialogState& state) {
        return check(list, state, number);
    });
}

// Runs `act(item)` on menu item `c.args[0]` as shown now, or fails.
template <typename Act> Outcome WithMenuItem(CommandContext& s, const Command& c, Act&& act)
{
    long number = 0;
    if (!ParseNumber(c.args[0], 1, INT32_MAX, &number))
        return BadUsage(s, c);
    const MenuModel menu = s.Host().Menu();
    const MenuItem* item = menu.Item(static_cast<Int32>(number));
    if (item == nullptr)
        return s.Fail(c, "the menu has no item " + c.args[0]);
    return act(*item);
}

} // namespace velmora::host::handlers
