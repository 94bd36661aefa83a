#include "Transcript.hpp"

namespace velmora::host {

void Transcript::Line(const std::string& line)
{
    std::lock_guard<std::mutex> guard(lock);
    out << line << '\n';
    out.flush();
    text += line;
    text += '\n';
}

void Transcript::Raw(const std::string& raw)
{
    std::lock_guard<std::mutex> guard(lock);
    out << raw;
    out.flush();
    text += raw;
}

std::string Transcript::Text() const
{
    std::lock_guard<std::mutex> guard(lock);
    return text;
}

} // namespace velmora::host
