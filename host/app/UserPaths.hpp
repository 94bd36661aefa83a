// The paths a person or a script writes in a command (PATH, FILE): where they lead
// on this system, and why one can name no file at all.
#pragma once

#include <string>

namespace velmora::host {

// [any thread] The native path `path` names: relative paths are in `userFolder`
// (when one is given); natively a path in the add-on's Windows form
// ("Z:\\tmp\\a.txt") too.
std::string UserPath(const std::string& userFolder, const std::string& path);

// [any thread] Why `path` names no place a file could be (empty when it can name one).
std::string PathNamingProblem(const std::string& path);

} // namespace velmora::host
