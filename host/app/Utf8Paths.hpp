// Paths as the host takes them: UTF-8 text, from the command line (Utf8Arguments)
// and from scripts. std::filesystem reads a std::string in the system's narrow
// encoding, which on Windows is the ANSI code page: there a folder named in Cyrillic
// would become another name (and one in Greek would be lost on a Russian system).
// Every path the host builds from its texts goes through these two.
#pragma once

#include <filesystem>
#include <string>

namespace velmora::host {

// [any thread] The path named by UTF-8 text.
inline std::filesystem::path PathFromUtf8(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// [any thread] A path as UTF-8 text.
inline std::string Utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace velmora::host
