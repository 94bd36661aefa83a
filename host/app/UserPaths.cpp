#include "UserPaths.hpp"

#include <cctype>
#include <filesystem>

#include "Utf8Paths.hpp"
#include "velmora/PathForm.hpp"

namespace fs = std::filesystem;

namespace velmora::host {

namespace {

// "C:..." (a drive letter and a colon).
bool HasDrive(const std::string& path)
{
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

} // namespace

std::string UserPath(const std::string& userFolder, const std::string& path)
{
#if defined(_WIN32)
    const std::string written = path;
#else
    // Paths in the add-on's Windows form as well: drive Z: is the root of this file
    // system, and a backslash is a separator.
    const std::string written =
        HasDrive(path) || path.find('\\') != std::string::npos ? velmora::pathform::ToPosix(path) : path;
#endif
    const fs::path p = PathFromUtf8(written);
    if (p.is_absolute() || userFolder.empty())
        return Utf8FromPath(p);
    return Utf8FromPath(PathFromUtf8(userFolder) / p);
}

std::string PathNamingProblem(const std::string& path)
{
    if (path.empty())
        return "the path is empty";
    for (unsigned char c : path)
        if (c < 0x20 || c == 0x7f)
            return "the path \"" + path + "\" holds a control character: no file can be named so";
#if !defined(_WIN32)
    if (HasDrive(path) && std::toupper(static_cast<unsigned char>(path[0])) != 'Z')
        return "the path \"" + path + "\" is on drive " + path.substr(0, 2) +
               ", which this system does not have (its files are on drive Z:, Z:\\ being /)";
#else
    // Wine and Windows answer a drive that is not there as a missing folder; say which.
    if (HasDrive(path)) {
        std::error_code ec;
        if (!fs::exists(PathFromUtf8(path.substr(0, 2) + "\\"), ec))
            return "the path \"" + path + "\" is on drive " + path.substr(0, 2) +
                   ", which this system does not have";
    }
#endif
    return std::string();
}

} // namespace velmora::host
