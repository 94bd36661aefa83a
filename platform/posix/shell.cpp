// The shell's "open" verb on POSIX systems: xdg-open, the desktop's own hand-off.
#include <cerrno>
#include <climits>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "velmora/platform.hpp"

extern char** environ;

namespace velmora::platform {
namespace {

// The add-on speaks the ANSI code page; the desktop's command lines are UTF-8.
bool AnsiToUtf8(const char* ansi, std::string* utf8)
{
    int units = MultiByteToWide(0, ansi, -1, nullptr, 0);
    if (units <= 0)
        return false;
    std::vector<Unit> wide(static_cast<std::size_t>(units));
    if (MultiByteToWide(0, ansi, -1, wide.data(), units) != units)
        return false;
    int bytes = WideToMultiByte(65001, wide.data(), units, nullptr, 0);
    if (bytes <= 0)
        return false;
    std::string out(static_cast<std::size_t>(bytes), '\0');
    if (WideToMultiByte(65001, wide.data(), units, out.data(), bytes) != bytes)
        return false;
    out.resize(static_cast<std::size_t>(bytes) - 1); // the terminator
    *utf8 = std::move(out);
    return true;
}

bool IsWindowsPath(const std::string& text)
{
    return text.size() >= 3 && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z')) &&
           text[1] == ':' && text[2] == '\\';
}

// The translation of pathform::ToPosix for a path known to have a root: its
// general form, inlined here, trips GCC 12's false -Wrestrict report.
std::string PosixForm(const std::string& windowsPath)
{
    std::string out = (windowsPath[0] == 'Z' || windowsPath[0] == 'z') ? windowsPath.substr(2) : windowsPath;
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

} // namespace

bool ShellOpen(const char* target)
{
    if (target == nullptr)
        return false;
    std::string argument;
    if (!AnsiToUtf8(target, &argument))
        return false;
    if (IsWindowsPath(argument))
        argument = PosixForm(argument);

    // A short-lived shell starts xdg-open in the background and ends at once, so the
    // add-on reaps its own child right away and never waits for the browser; the
    // opener, orphaned, belongs to init and leaves no zombie behind. Its own session
    // keeps it apart from the host's terminal signals. A missing xdg-open only makes
    // the shell print to /dev/null, as a missing browser is no error on Windows.
    static const char script[] = "xdg-open \"$1\" </dev/null >/dev/null 2>&1 &";
    char shell[] = "/bin/sh";
    char option[] = "-c";
    char name[] = "sh";
    std::vector<char> scriptCopy(script, script + sizeof script);
    char* arguments[] = {shell, option, scriptCopy.data(), name, argument.data(), nullptr};

    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0)
        return false;
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t child = 0;
    int failed = posix_spawn(&child, shell, nullptr, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0)
        return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

std::size_t ShellPathLimit()
{
    return PATH_MAX - 1;
}

} // namespace velmora::platform
