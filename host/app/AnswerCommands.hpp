// The commands that answer the add-on's next alert or file dialog before it asks:
// answer, file, file-cancel.
// [UI thread] Each handler runs one command of its family (Commands.hpp's table).
#pragma once

#include "CommandContext.hpp"

namespace velmora::host::handlers {

Outcome Answer(CommandContext& s, const Command& c);
Outcome File(CommandContext& s, const Command& c);

} // namespace velmora::host::handlers
