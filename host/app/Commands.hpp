// The commands of velmora-host, as one table: the interpreter, "help" and the
// README's list of commands all come from it (a test holds the README to it).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "Script.hpp"
#include "Session.hpp"

namespace velmora::host {

struct CommandSpec {
    const char* name;      // as typed
    const char* arguments; // as shown in help, e.g. "ITEM ROW", "[RESID]"
    std::size_t leastArguments, mostArguments;
    const char* help; // one line: what it does
    Outcome (*handler)(Session& session, const Command& command);
    bool redrawsDialog = false; // the current dialog is drawn after it (dialog actions)
    bool redrawsMenu = false;   // in a terminal the menu bar is drawn after it
};

// Every command, in the order of the help text.
const std::vector<CommandSpec>& CommandTable();
// The command named `name`, or null.
const CommandSpec* FindCommand(const std::string& name);
// "name ARGUMENTS" of a command.
std::string Usage(const CommandSpec& entry);
// The help text: one line per command.
std::string CommandHelp();

} // namespace velmora::host
