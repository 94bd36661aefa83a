// The command language of velmora-host.
//
// The same commands drive the host in a terminal (one or more per line) and in
// script mode (--script FILE, or -c "cmd; cmd", or a script on standard input when
// it is not a terminal). Commands are separated by line ends or ";". Arguments are
// separated by blanks; a text with blanks or ";" is written in double quotes, with
// \" \\ \n and \t inside. "#" starts a comment that runs to the end of the line.
// In a script every command is echoed to the transcript as "> command"; the first
// command that fails (unknown command, impossible action, unmet expectation) stops
// the script, and the host then unloads the add-on and exits with status 1.
//
// The menu
//   menu N                 choose item N of the add-on's menu (a bare number N does
//                          the same); not while a modal dialog is open
//   show                   draw the menu bar and every open dialog
//
// Dialogs. Commands act on the current dialog: the innermost modal dialog, else the
// modeless dialog picked with "dialog", else the last visible modeless dialog.
//   click ITEM             click item ITEM
//   select ITEM ROW        select row ROW (from 1) of list ITEM; the dialog hears of
//                          the change
//   close                  close the dialog with its close box
//   dialog RESID           make the open dialog of resource RESID the current one
//
// Answers to questions the add-on asks. In a script the answer is the command
// that follows the one that made the add-on ask; otherwise an alert is answered
// with button 1 and a file dialog is cancelled. Given earlier, the answer is kept
// for the next question (alerts of background work take it too).
//   answer N               press button N (1 to 3) of the alert
//   file PATH              choose PATH in the file dialog
//   file-cancel            cancel the file dialog
//
// Waiting for background work (SECONDS may have a fraction; default 10)
//   wait SECONDS
//   wait-dialog RESID [SECONDS]   until a dialog of resource RESID is visible
//   wait-closed RESID [SECONDS]   until no dialog of resource RESID is open
//
// Expectations (each fails the script when not met)
//   expect-title "TEXT"            title of the current dialog
//   expect-text ITEM "TEXT"        text of an item of the current dialog
//   expect-visible ITEM | expect-hidden ITEM
//   expect-enabled ITEM | expect-disabled ITEM
//   expect-rows ITEM N             number of rows of list ITEM
//   expect-selected ITEM ROW       selected row of list ITEM (0: none)
//   expect-row ITEM ROW "TEXT"     row ROW as drawn (texts, image captions) contains TEXT
//   expect-dialog RESID            a dialog of resource RESID is open
//   expect-no-dialog [RESID]       no dialog (of resource RESID) is open
//   expect-menu-title "TEXT"       title of the registered menu
//   expect-menu N "TEXT"           text of menu item N as shown
//   expect-checked N | expect-unchecked N    check mark of menu item N
//   expect-alert "TEXT"            the last alert's title or texts contain TEXT
//   expect-call "TEXT"             a host call of this run, as reported, contains TEXT
//   expect-debug "TEXT"            the debug output contains TEXT
//   expect-file PATH | expect-no-file PATH
//   expect-file-contains PATH "TEXT"
//
// The host
//   echo "TEXT"            write TEXT to the transcript
//   restart                FreeData, unload, then a new host run: load again and run
//                          the whole protocol (the menu is registered anew)
//   quit                   end the session (the add-on gets FreeData and is unloaded,
//                          unless the host was started with --no-freedata)
//   help                   list the commands
//
// Relative PATHs are taken in the user folder (special location 14).
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "Transcript.hpp"

namespace velmora::host {

struct Command {
    std::string name; // "menu", "click", ... (a bare number is given as "menu")
    std::vector<std::string> args;
    int line = 0;       // line of the script where the command starts
    std::string source; // the command as written
};

// Splits `text` into commands. False with a message (line included) for a text
// whose quotes are not closed.
bool ParseCommands(const std::string& text, int firstLine, std::vector<Command>* out, std::string* error);

// Where the commands come from.
class CommandSource {
public:
    virtual ~CommandSource() = default;
    // The next command; false when the input has ended. `prompt` is shown in a terminal.
    virtual bool Next(Command* out, const std::string& prompt) = 0;
    // The next command if one is already waiting (a terminal never waits for input here).
    virtual bool Peek(Command* out) = 0;
    // A person answers at a terminal.
    virtual bool Interactive() const = 0;
    // Asks a person for one line; false when the input has ended or nobody is there.
    virtual bool AskLine(const std::string& prompt, std::string* out) = 0;
};

class ScriptSource : public CommandSource {
public:
    explicit ScriptSource(std::vector<Command> script) : commands(std::move(script)) {}
    bool Next(Command* out, const std::string& prompt) override;
    bool Peek(Command* out) override;
    bool Interactive() const override { return false; }
    bool AskLine(const std::string&, std::string*) override { return false; }

private:
    std::vector<Command> commands;
    std::size_t next = 0;
};

class TerminalSource : public CommandSource {
public:
    TerminalSource(std::istream& input, Transcript& output) : in(input), out(output) {}
    bool Next(Command* out, const std::string& prompt) override;
    bool Peek(Command* out) override;
    bool Interactive() const override { return true; }
    bool AskLine(const std::string& prompt, std::string* line) override;

private:
    std::istream& in;
    Transcript& out;
    std::vector<Command> pending;
    int lineNumber = 0;
};

// The help text listing the commands.
std::string CommandHelp();

} // namespace velmora::host
