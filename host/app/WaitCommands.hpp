// The commands that wait, with a time limit, while the add-on's background work
// runs: wait, wait-dialog, wait-closed, wait-text, wait-alert.
// [UI thread] Each handler runs one command of its family (Commands.hpp's table).
#pragma once

#include "CommandContext.hpp"

namespace velmora::host::handlers {

Outcome Wait(CommandContext& s, const Command& c);
Outcome WaitDialog(CommandContext& s, const Command& c);
Outcome WaitText(CommandContext& s, const Command& c);
Outcome WaitAlert(CommandContext& s, const Command& c);

} // namespace velmora::host::handlers
