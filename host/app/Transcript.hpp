// The host's report of everything it sees: host calls, panels, alerts, debug
// output. Lines go to one output stream (standard output for the program, a string
// stream for tests) and are kept for later inspection. Any thread may write.
//
// At a terminal the host is quiet: a host call ("[call] ..." line) is kept but not
// shown (the "calls" command lists them), and the lines of a load are held back
// until the load's outcome is known (a summary then stands for them).
#pragma once

#include <functional>
#include <mutex>
#include <ostream>
#include <string>

namespace velmora::host {

class Transcript {
public:
    explicit Transcript(std::ostream& stream) : out(stream) {}
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;

    // [any thread] Writes `text` followed by a line feed (several lines at once stay together).
    void Line(const std::string& text);
    // [any thread] Writes `text` as it is (prompts).
    void Raw(const std::string& text);
    // Hands every text shown from now on also to `mirror` (null: none), a front
    // end that shows the transcript. It runs on the writing thread with the
    // transcript locked: it must not block or write to the transcript.
    void SetMirror(std::function<void(const std::string&)> mirror);
    // [any thread] Everything written so far, shown or not.
    std::string Text() const;

    // [any thread] Quiet: host calls are kept, not shown.
    void SetQuiet(bool quiet);
    bool Quiet() const;
    // What Release shows of the lines held back.
    enum class HeldLines {
        Shown,     // as the transcript shows lines (a quiet one leaves out host calls)
        DebugOnly, // only what the add-on wrote to the debug output
    };
    // [any thread] Holds back the lines that follow until Release, which shows them
    // as `which` says.
    void Hold();
    void Release(HeldLines which);
    // [any thread] Called before anything is shown (null: nothing): a line editor
    // clears the line being typed, so that output does not run into it.
    void SetBeforeOutput(void (*before)(void* context), void* context);

private:
    bool Shown(const std::string& line) const;
    void Write(const std::string& text);

    std::ostream& out;
    mutable std::mutex lock;
    std::string text;
    std::function<void(const std::string&)> mirrored;
    bool quiet = false;
    bool holding = false;
    std::string held;
    void (*beforeOutput)(void*) = nullptr;
    void* beforeContext = nullptr;
};

} // namespace velmora::host
