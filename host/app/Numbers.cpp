#include "Numbers.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace velmora::host {

bool ParseNumber(const std::string& text, long least, long most, long* out)
{
    long value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < least || value > most)
        return false;
    *out = value;
    return true;
}

bool ParseSeconds(const std::string& text, double* out)
{
    constexpr double Day = 86400;
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos)
        return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value) || value > Day)
        return false;
    *out = value;
    return true;
}

} // namespace velmora::host
