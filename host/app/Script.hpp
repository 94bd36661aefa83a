// The command language of velmora-host: how commands are written and where they
// come from. The commands themselves are the table in Commands.hpp.
//
// The same commands drive the host in a terminal (one or more per line) and in
// script mode (--script FILE, or -c "cmd; cmd", or a script on standard input when
// it is not a terminal). Commands are separated by line ends or ";". Arguments are
// separated by blanks; a text with blanks or ";" is written in quotes. In single
// quotes it is taken as written, with no escapes (as in a shell). In double quotes
// \" \\ \r \n and \t are escapes (so a script can state a file's exact line ends)
// and any other backslash stands for itself; in an argument that is a path (PATH,
// FILE) only \" and \\ are, so that a Windows path such as "C:\temp\new.txt" is read
// as written. "#" starts a comment that runs to the end of the line. A bare number
// N is "menu N".
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace velmora::host {

struct Command {
    std::string name; // "menu", "click", ... (a bare number is given as "menu")
    std::vector<std::string> args;
    std::vector<std::string> pathArgs; // the same arguments read as paths
    int line = 0;                      // line of the script where the command starts
    std::string source;                // the command as written
};

// Splits `text` into commands. False with a message (line included) for a text
// whose quotes are not closed.
bool ParseCommands(const std::string& text, int firstLine, std::vector<Command>* out, std::string* error);

// What a terminal offers to complete (Commands.hpp), as the UI thread saw it before
// the line was asked for: the menu's item numbers, the current dialog's item
// numbers, the resource numbers of the open dialogs.
struct CompletionContext {
    std::vector<long> menuItems, dialogItems, dialogResources;
};

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
    // How to spend the time while waiting for a person: `wait` serves the UI thread
    // for up to the given seconds and says whether it wrote to the transcript (then
    // the prompt is shown again). A source that never waits ignores it.
    virtual void SetWaiting(std::function<bool(double)> wait) { (void)wait; }
    // What the person may complete in the next line (a source without completion ignores it).
    virtual void SetCompletions(CompletionContext context) { (void)context; }
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

} // namespace velmora::host
