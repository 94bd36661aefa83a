// The commands about the menu and the host itself: menu, show, echo, restart, quit,
// help, calls.
// [UI thread] Each handler runs one command of its family (Commands.hpp's table).
#pragma once

#include "CommandContext.hpp"

namespace velmora::host::handlers {

Outcome Menu(CommandContext& s, const Command& c);
Outcome Show(CommandContext& s, const Command& c);
Outcome Echo(CommandContext& s, const Command& c);
Outcome Restart(CommandContext& s, const Command& c);
Outcome Quit(CommandContext& s, const Command& c);
Outcome Help(CommandContext& s, const Command& c);
Outcome Calls(CommandContext& s, const Command& c);

} // namespace velmora::host::handlers
