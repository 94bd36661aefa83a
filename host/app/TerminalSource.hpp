// Commands typed by a person at a terminal. The terminal is read on a thread of
// its own, so that the UI thread keeps serving the add-on's background work (its
// windows, its alerts) while the person has not typed anything yet.
//
// Where the build has a line editor (libedit; not on Windows, which keeps plain
// line input), a terminal's lines are edited as in a shell: the arrow keys move in
// the line and through the history, which is kept between runs in the host's own
// folder, and Tab completes command names and the numbers a command takes from the
// menu and the open dialogs (see Completions in Commands.hpp).
#pragma once

#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Script.hpp"
#include "Transcript.hpp"

namespace velmora::host {

class TerminalSource : public CommandSource {
public:
    // [UI thread] Starts reading `input` (borrowed; it must outlive the reader, which
    // for a terminal the person never closes is the process: std::cin). Prompts and
    // parse errors go to `output` (borrowed). `lineEditing`: `input` is standard input
    // at a terminal, and standard output is one too; the lines are edited there (where
    // the build has a line editor) with the history in `historyFile`.
    TerminalSource(std::istream& input, Transcript& output, bool lineEditing = false,
                   std::string historyFile = std::string());
    // Waits for the reader when the input has ended or the editor can be stopped;
    // otherwise leaves it blocked in its read, where the end of the process finds it.
    ~TerminalSource() override;
    TerminalSource(const TerminalSource&) = delete;
    TerminalSource& operator=(const TerminalSource&) = delete;

    // [UI thread] All of these.
    bool Next(Command* out, const std::string& prompt) override;
    bool Peek(Command* out) override;
    bool Interactive() const override { return true; }
    bool AskLine(const std::string& prompt, std::string* line) override;
    void SetWaiting(std::function<bool(double)> wait) override { waiting = std::move(wait); }
    void SetCompletions(CompletionContext context) override;

    // Whether this build edits the lines of a terminal.
    static bool LineEditingAvailable();

    struct Lines; // what the reader thread shares with the UI thread

private:
    // The next typed line, showing `prompt` (again after anything else was written).
    bool NextLine(const std::string& prompt, std::string* line);

    Transcript& out;
    std::shared_ptr<Lines> lines;
    std::thread reader;
    std::function<bool(double)> waiting;
    std::vector<Command> pending;
    int lineNumber = 0;
};

} // namespace velmora::host
