// Commands typed by a person at a terminal. The terminal is read on a thread of
// its own, so that the UI thread keeps serving the add-on's background work (its
// windows, its alerts) while the person has not typed anything yet.
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
    // parse errors go to `output` (borrowed).
    TerminalSource(std::istream& input, Transcript& output);
    // Waits for the reader when the input has ended; otherwise leaves it blocked in
    // its read, where the end of the process finds it.
    ~TerminalSource() override;
    TerminalSource(const TerminalSource&) = delete;
    TerminalSource& operator=(const TerminalSource&) = delete;

    // [UI thread] All of these.
    bool Next(Command* out, const std::string& prompt) override;
    bool Peek(Command* out) override;
    bool Interactive() const override { return true; }
    bool AskLine(const std::string& prompt, std::string* line) override;
    void SetWaiting(std::function<bool(double)> wait) override { waiting = std::move(wait); }

private:
    struct Lines;
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
