// The host's report of everything it sees: host calls, panels, alerts, debug
// output. Lines go to one output stream (standard output for the program, a string
// stream for tests) and are kept for later inspection. Any thread may write.
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

    // Writes `text` followed by a line feed (several lines at once stay together).
    void Line(const std::string& text);
    // Writes `text` as it is (prompts).
    void Raw(const std::string& text);
    // Hands every text written from now on also to `mirror` (null: none), a front
    // end that shows the transcript. It runs on the writing thread with the
    // transcript locked: it must not block or write to the transcript.
    void SetMirror(std::function<void(const std::string&)> mirror);
    // Everything written so far.
    std::string Text() const;

private:
    std::ostream& out;
    mutable std::mutex lock;
    std::string text;
    std::function<void(const std::string&)> mirrored;
};

} // namespace velmora::host
