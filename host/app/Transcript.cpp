#include "Transcript.hpp"

namespace velmora::host {

bool Transcript::Shown(const std::string& line) const
{
    return !quiet || line.rfind("[call] ", 0) != 0;
}

void Transcript::Write(const std::string& raw)
{
    if (raw.empty())
        return;
    if (beforeOutput != nullptr)
        beforeOutput(beforeContext);
    out << raw;
    out.flush();
    if (mirrored)
        mirrored(raw);
}

void Transcript::Line(const std::string& line)
{
    std::lock_guard<std::mutex> guard(lock);
    text += line;
    text += '\n';
    if (holding)
        held += line + '\n';
    else if (Shown(line))
        Write(line + '\n');
}

void Transcript::Raw(const std::string& raw)
{
    std::lock_guard<std::mutex> guard(lock);
    text += raw;
    Write(raw);
}

void Transcript::SetMirror(std::function<void(const std::string&)> mirror)
{
    std::lock_guard<std::mutex> guard(lock);
    mirrored = std::move(mirror);
}

std::string Transcript::Text() const
{
    std::lock_guard<std::mutex> guard(lock);
    return text;
}

void Transcript::SetQuiet(bool on)
{
    std::lock_guard<std::mutex> guard(lock);
    quiet = on;
}

bool Transcript::Quiet() const
{
    std::lock_guard<std::mutex> guard(lock);
    return quiet;
}

void Transcript::Hold()
{
    std::lock_guard<std::mutex> guard(lock);
    holding = true;
}

void Transcript::Release(HeldLines which)
{
    std::lock_guard<std::mutex> guard(lock);
    holding = false;
    std::string lines;
    lines.swap(held);
    std::string shown;
    for (std::size_t start = 0; start < lines.size();) {
        const std::size_t end = lines.find('\n', start);
        const std::string line = lines.substr(start, end - start);
        // What the add-on wrote to the debug output is its own word: always shown.
        if (which == HeldLines::Shown ? Shown(line) : line.rfind("[debug] ", 0) == 0)
            shown += line + '\n';
        start = end + 1;
    }
    Write(shown);
}

void Transcript::SetBeforeOutput(void (*before)(void*), void* context)
{
    std::lock_guard<std::mutex> guard(lock);
    beforeOutput = before;
    beforeContext = context;
}

} // namespace velmora::host
