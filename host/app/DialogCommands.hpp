// The commands that act on the current dialog as a person does: click, select,
// close, dialog, snapshot.
// [UI thread] Each handler runs one command of its family (Commands.hpp's table).
#pragma once

#include "CommandContext.hpp"

namespace velmora::host::handlers {

Outcome Click(CommandContext& s, const Command& c);
Outcome Select(CommandContext& s, const Command& c);
Outcome Close(CommandContext& s, const Command& c);
Outcome Dialog(CommandContext& s, const Command& c);
Outcome Snapshot(CommandContext& s, const Command& c);

} // namespace velmora::host::handlers
