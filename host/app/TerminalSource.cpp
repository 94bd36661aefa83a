#include "TerminalSource.hpp"

#include <condition_variable>
#include <deque>
#include <mutex>

#include "Commands.hpp"
#include "kit/DialogDriver.hpp"

#if defined(VELMORA_LINE_EDITING)
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <editline/readline.h>
#endif

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
    std::string prompt; // of the line asked for (the line editor shows it)
    CompletionContext completions;
#if defined(VELMORA_LINE_EDITING)
    int wake[2] = {-1, -1}; // the editor's reader wakes up to redraw its line or to stop
    bool editing = false;   // the editor shows a line being typed
    bool cleared = false;   // and output has taken its place on the screen
#endif
};

namespace {

// [any thread, with the lock of `shared`] The editor's reader looks again at what it shows.
void WakeEditor([[maybe_unused]] TerminalSource::Lines& shared)
{
#if defined(VELMORA_LINE_EDITING)
    const char look = 'l';
    if (write(shared.wake[1], &look, 1) < 0) {
        // Full of wake-ups already.
    }
#endif
}

} // namespace

#if defined(VELMORA_LINE_EDITING)

namespace {

// The line editor's callbacks are plain functions; one terminal is edited at a time.
TerminalSource::Lines* editedLines = nullptr;
std::vector<std::string> offered;
bool lineDone = false;
bool lineRead = false;
std::string lineText;

char* NextCompletion(const char* /*word*/, int state)
{
    static std::size_t next = 0;
    if (state == 0)
        next = 0;
    return next < offered.size() ? strdup(offered[next++].c_str()) : nullptr;
}

char** Complete(const char* word, int start, int /*end*/)
{
    rl_attempted_completion_over = 1; // no file names
    CompletionContext context;
    {
        std::lock_guard<std::mutex> guard(editedLines->lock);
        context = editedLines->completions;
    }
    offered = Completions(std::string(rl_line_buffer, static_cast<std::size_t>(start)), word, context);
    return offered.empty() ? nullptr : rl_completion_matches(word, NextCompletion);
}

void LineTyped(char* text)
{
    lineDone = true;
    lineRead = text != nullptr;
    lineText = text != nullptr ? text : "";
    std::free(text);
    rl_callback_handler_remove();
}

// Output is about to be shown: the line being typed gives way, and is drawn again
// below it (the reader does so once woken).
void ClearTypedLine(void* context)
{
    auto* shared = static_cast<TerminalSource::Lines*>(context);
    std::lock_guard<std::mutex> guard(shared->lock);
    if (!shared->editing || shared->cleared)
        return;
    std::fputs("\r\033[K", stdout);
    std::fflush(stdout);
    shared->cleared = true;
    WakeEditor(*shared);
}

// Reads one line with the editor; false at the end of the input or when stopped.
bool EditLine(TerminalSource::Lines* shared, const std::string& prompt, std::string* line, bool* stopped)
{
    lineDone = false;
    std::string shown = prompt;
    rl_callback_handler_install(shown.c_str(), LineTyped);
    {
        std::lock_guard<std::mutex> guard(shared->lock);
        shared->editing = true;
        shared->cleared = false;
    }
    *stopped = false;
    while (!lineDone && !*stopped) {
        pollfd fds[2] = {{0, POLLIN, 0}, {shared->wake[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0)
            continue;
        if ((fds[1].revents & POLLIN) != 0) {
            char signals[64];
            while (read(shared->wake[0], signals, sizeof signals) > 0) {
            }
            bool redraw = false;
            std::string asked;
            {
                std::lock_guard<std::mutex> guard(shared->lock);
                *stopped = shared->stop;
                redraw = shared->cleared;
                shared->cleared = false;
                asked = shared->prompt;
            }
            // The host asks something else now (an alert's button while a command
            // was being typed): the line stays, under the new question.
            if (asked != shown && !*stopped) {
                shown = asked;
                std::fputs("\r\033[K", stdout);
                std::fflush(stdout);
                rl_set_prompt(shown.c_str());
                redraw = true;
            }
            if (redraw && !*stopped)
                rl_forced_update_display();
        }
        if (!*stopped && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0)
            rl_callback_read_char();
    }
    {
        std::lock_guard<std::mutex> guard(shared->lock);
        shared->editing = false;
    }
    if (!lineDone) {
        rl_callback_handler_remove();
        return false;
    }
    *line = lineText;
    return lineRead;
}

} // namespace

bool TerminalSource::LineEditingAvailable()
{
    return true;
}

#else

bool TerminalSource::LineEditingAvailable()
{
    return false;
}

#endif

TerminalSource::TerminalSource(std::istream& input, Transcript& output, bool lineEditing,
                               std::string historyFile)
    : out(output), lines(std::make_shared<Lines>())
{
#if defined(VELMORA_LINE_EDITING)
    if (lineEditing && pipe(lines->wake) == 0) {
        fcntl(lines->wake[0], F_SETFL, O_NONBLOCK);
        fcntl(lines->wake[1], F_SETFL, O_NONBLOCK);
        // The person's characters as the terminal sends them (UTF-8, normally).
        std::setlocale(LC_CTYPE, "");
        editedLines = lines.get();
        rl_readline_name = "velmora-host";
        rl_attempted_completion_function = Complete;
        rl_initialize();
        stifle_history(1000);
        if (!historyFile.empty())
            read_history(historyFile.c_str());
        out.SetBeforeOutput(ClearTypedLine, lines.get());
    }
#else
    (void)lineEditing;
    (void)historyFile;
#endif
    reader = std::thread([shared = lines, &input, historyFile] {
        for (;;) {
            std::string prompt;
            {
                std::unique_lock<std::mutex> guard(shared->lock);
                shared->changed.wait(guard, [&] { return shared->asked || shared->stop; });
                if (shared->stop)
                    return;
                prompt = shared->prompt;
            }
            std::string line;
            bool read = false;
#if defined(VELMORA_LINE_EDITING)
            if (shared->wake[0] >= 0) {
                bool stopped = false;
                read = EditLine(shared.get(), prompt, &line, &stopped);
                if (stopped)
                    return;
                if (read && !line.empty()) {
                    add_history(line.c_str());
                    if (!historyFile.empty())
                        write_history(historyFile.c_str());
                }
            } else
#endif
                read = static_cast<bool>(std::getline(input, line));
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
#if defined(VELMORA_LINE_EDITING)
    if (lines->wake[0] >= 0) {
        // The editor waits for the terminal and for this pipe: it stops, and gives the
        // terminal back as it found it.
        out.SetBeforeOutput(nullptr, nullptr);
        const char stop = 's';
        if (write(lines->wake[1], &stop, 1) < 0) {
            // Full: the reader wakes up anyway.
        }
        reader.join();
        editedLines = nullptr;
        close(lines->wake[0]);
        close(lines->wake[1]);
        return;
    }
#endif
    if (reading)
        reader.detach(); // blocked in a read of the terminal, which outlives the session
    else
        reader.join();
}

void TerminalSource::SetCompletions(CompletionContext context)
{
    std::lock_guard<std::mutex> guard(lines->lock);
    lines->completions = std::move(context);
}

bool TerminalSource::NextLine(const std::string& prompt, std::string* line)
{
#if defined(VELMORA_LINE_EDITING)
    const bool editor = lines->wake[0] >= 0; // shows the prompt itself
#else
    const bool editor = false;
#endif
    if (!editor)
        out.Raw(prompt);
    for (;;) {
        bool ended = false;
        {
            std::unique_lock<std::mutex> guard(lines->lock);
            if (!lines->lines.empty()) {
                *line = std::move(lines->lines.front());
                lines->lines.pop_front();
                return true;
            }
            ended = lines->ended;
        }
        // Outside the lock, which the transcript takes when it clears a typed line.
        if (ended) {
            out.Raw("\n");
            return false;
        }
        {
            std::unique_lock<std::mutex> guard(lines->lock);
            if (!lines->lines.empty() || lines->ended)
                continue; // came in the meantime
            if (!lines->asked) {
                lines->asked = true;
                lines->prompt = prompt;
                lines->changed.notify_all();
            } else if (editor && lines->prompt != prompt) {
                lines->prompt = prompt; // the editor shows it in place of the other
                WakeEditor(*lines);
            }
            if (!waiting) {
                lines->changed.wait(guard, [&] { return !lines->lines.empty() || lines->ended; });
                continue;
            }
        }
        if (waiting(0.25) && !editor)
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
