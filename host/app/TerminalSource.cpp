#include "TerminalSource.hpp"

#include <condition_variable>
#include <deque>
#include <mutex>

#include "kit/DialogDriver.hpp"

namespace velmora::host {

// What the reader has read, shared with it for as long as either needs it. The
// reader reads a line only when one is asked for, so that it is not inside a read
// when the session ends (unless the session ended while waiting for a line).
struct TerminalSource::Lines {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::string> lines;
    bool asked = false; // a line is wanted and being read
    bool ended = false; // the input has ended
    bool stop = false;  // the source is going away
};

TerminalSource::TerminalSource(std::istream& input, Transcript& output)
    : out(output), lines(std::make_shared<Lines>())
{
    reader = std::thread([shared = lines, &input] {
        for (;;) {
            {
                std::unique_lock<std::mutex> guard(shared->lock);
                shared->changed.wait(guard, [&] { return shared->asked || shared->stop; });
                if (shared->stop)
                    return;
            }
            std::string line;
            const bool read = static_cast<bool>(std::getline(input, line));
            while (!line.empty() && line.back() == '\r')
                line.pop_back();
            {
                std::lock_guard<std::mutex> guard(shared->lock);
                shared->asked = false;
                if (read)
                    shared->lines.push_back(line);
                else
                    shared->ended = true;
                shared->changed.notify_all();
            }
            kit::WakeUiThread();
            if (!read)
                return;
        }
    });
}

TerminalSource::~TerminalSource()
{
    bool reading = false;
    {
        std::lock_guard<std::mutex> guard(lines->lock);
        lines->stop = true;
        reading = lines->asked && !lines->ended;
        lines->changed.notify_all();
    }
    if (reading)
        reader.detach(); // blocked in a read of the terminal, which outlives the session
    else
        reader.join();
}

bool TerminalSource::NextLine(const std::string& prompt, std::string* line)
{
    out.Raw(prompt);
    for (;;) {
        {
            std::unique_lock<std::mutex> guard(lines->lock);
            if (!lines->lines.empty()) {
                *line = std::move(lines->lines.front());
                lines->lines.pop_front();
                return true;
            }
            if (lines->ended) {
                out.Raw("\n");
                return false;
            }
            if (!lines->asked) {
                lines->asked = true;
                lines->changed.notify_all();
            }
            if (!waiting) {
                lines->changed.wait(guard, [&] { return !lines->lines.empty() || lines->ended; });
                continue;
            }
        }
        if (waiting(0.25))
            out.Raw(prompt);
    }
}

bool TerminalSource::Next(Command* command, const std::string& prompt)
{
    while (pending.empty()) {
        std::string line;
        if (!NextLine(prompt, &line))
            return false;
        ++lineNumber;
        std::string error;
        if (!ParseCommands(line, lineNumber, &pending, &error)) {
            out.Line("error: " + error);
            pending.clear();
        }
    }
    *command = pending.front();
    pending.erase(pending.begin());
    return true;
}

bool TerminalSource::Peek(Command* command)
{
    if (pending.empty())
        return false;
    *command = pending.front();
    return true;
}

bool TerminalSource::AskLine(const std::string& prompt, std::string* line)
{
    if (!NextLine(prompt, line))
        return false;
    while (!line->empty() && line->back() == ' ')
        line->pop_back();
    return true;
}

} // namespace velmora::host
