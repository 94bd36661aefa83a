// The commands that check what the add-on did and fail a script when it did not:
// the expect-... family (dialogs, menu, alerts, shell, host calls, debug output, files).
// [UI thread] Each handler runs one command of its family (Commands.hpp's table).
#pragma once

#include "CommandContext.hpp"

namespace velmora::host::handlers {

Outcome ExpectTitle(CommandContext& s, const Command& c);
Outcome ExpectText(CommandContext& s, const Command& c);
Outcome ExpectItemState(CommandContext& s, const Command& c);
Outcome ExpectListNumber(CommandContext& s, const Command& c);
Outcome ExpectRow(CommandContext& s, const Command& c);
Outcome ExpectDialog(CommandContext& s, const Command& c);
Outcome ExpectMenuTitle(CommandContext& s, const Command& c);
Outcome ExpectMenu(CommandContext& s, const Command& c);
Outcome ExpectCheck(CommandContext& s, const Command& c);
Outcome ExpectAlert(CommandContext& s, const Command& c);
Outcome ExpectNoAlert(CommandContext& s, const Command& c);
Outcome ExpectAlerts(CommandContext& s, const Command& c);
Outcome ExpectShell(CommandContext& s, const Command& c);
Outcome ExpectCall(CommandContext& s, const Command& c);
Outcome ExpectDebug(CommandContext& s, const Command& c);
Outcome ExpectFile(CommandContext& s, const Command& c);

} // namespace velmora::host::handlers
