#include "TerminalSource.hpp"

#include <condition_variable>
#include <deque>
#include <mutex>

#include "kit/DialogDriver.hpp"

namespace velmora::host {

// What the reader has read, shared with it for as long as either needs it.
struct TerminalSource::Lines {
    std::mutex lock;
    std::condition_variable arrived;
    std::deque<std::string> lines;
    bool ended = false;
};

TerminalSource::TerminalSource(std::istream& input, Transcript& output)
    : out(output), lines(std::make_shared<Lines>())
{
    reader = std::thread([shared = lines, &input] {
        std::string line;
        while (std::getline(input, line)) {
            while (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::lock_guard<std::mutex> guard(shared->lock);
            shared->lines.push_back(line);
            shared->arrived.notify_all();
            kit::WakeUiThread();
        }
        std::lock_guard<std::mutex> guard(shared->lock);
        shared->ended = true;
        shared->arrived.notify_all();
        kit::WakeUiThread();
    });
}

TerminalSource::~TerminalSource()
{
    bool ended = false;
    {
        std::lock_guard<std::mutex> guard(lines->lock);
        ended = lines->ended;
    }
    if (ended)
        reader.join();
    else
        reader.detach();
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
            if (!waiting) {
                lines->arrived.wait(guard, [&] { return !lines->lines.empty() || lines->ended; });
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
