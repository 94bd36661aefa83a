// Translation between the host's Windows path form and POSIX paths, shared by the
// add-on's platform layer, the host's kit and the host program: all three present
// POSIX files to the add-on the same way. "Z:\a\b" <-> "/a/b" (the root of the POSIX
// file system is drive Z:, as under Wine); any other path only exchanges its separators.
#pragma once

#include <string>

namespace velmora::pathform {

inline std::string ToPosix(const std::string& windowsPath)
{
    std::string out = windowsPath;
    if (out.size() >= 2 && (out[0] == 'Z' || out[0] == 'z') && out[1] == ':')
        out.erase(0, 2);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    if (out.empty() && windowsPath.size() >= 2)
        out = "/";
    return out;
}

inline std::string ToWindows(const std::string& posixPath)
{
    std::string out = posixPath;
    for (char& c : out)
        if (c == '/')
            c = '\\';
    if (!posixPath.empty() && posixPath[0] == '/')
        out.insert(0, "Z:");
    return out;
}

} // namespace velmora::pathform
