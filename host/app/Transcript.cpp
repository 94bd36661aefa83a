#include "Transcript.hpp"

namespace velmora::host {

void Transcript::Line(const std::string& line)
{
    std::lock_guard<std::mutex> guard(lock);
    out << line << '\n';
    out.flush();
    text += line;
    text += '\n';
    if (mirrored)
        mirrored(line + '\n');
}

void Transcript::Raw(const std::string& raw)
{
    std::lock_guard<std::mutex> guard(lock);
    out << raw;
    out.flush();
    text += raw;
    if (mirrored)
        mirrored(raw);
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

} // namespace velmora::host
