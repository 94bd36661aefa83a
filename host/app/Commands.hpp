// The commands of velmora-host, as one table: the interpreter, "help" and the
// completion all come from it; docs/host.md lists the same rows for the reader.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "CommandContext.hpp"
#include "Script.hpp"

namespace velmora::host {

// What the session draws again after a command has done its work.
enum class Redraw {
    Nothing,
    Dialog, // the current dialog (the dialog actions)
    Menu,   // the menu bar, in a terminal
};

struct CommandSpec {
    const char* name;      // as typed
    const char* arguments; // as shown in help, e.g. "ITEM ROW", "[RESID]"
    std::size_t leastArguments, mostArguments;
    const char* help;    // one line: what it does
    const char* example; // the command as one would write it
    // [UI thread] Runs the command in the session that read it.
    Outcome (*handler)(CommandContext& session, const Command& command);
    Redraw redraws = Redraw::Nothing;
};

// Every command, in the order of the help text.
const std::vector<CommandSpec>& CommandTable();
// The command named `name`, or null.
const CommandSpec* FindCommand(const std::string& name);
// "name ARGUMENTS" of a command.
std::string Usage(const CommandSpec& entry);
// The help text: one line per command.
std::string CommandHelp();
// One command's help: its form, what it does and an example.
std::string CommandHelp(const CommandSpec& entry);
// The command nearest to `name`, taken for a typing slip (empty when none is near).
std::string NearestCommand(const std::string& name);
// The message for an unknown command, with the nearest one.
std::string UnknownCommand(const std::string& name);
// `command` as its handler reads it: the arguments written as PATH or FILE read as
// paths (see Script.hpp).
Command WithPathArguments(const Command& command);

// [any thread] The completions of `word` when `before` precedes it on the line: a
// command's name first, then the numbers a command takes from the menu or the dialogs.
std::vector<std::string> Completions(const std::string& before, const std::string& word,
                                     const CompletionContext& context);

} // namespace velmora::host
