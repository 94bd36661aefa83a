// The shell's "open" verb on POSIX systems: xdg-open, the desktop's own hand-off.
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "velmora/Platform.hpp"

extern char** environ;

namespace velmora::platform {
namespace {

// The desktop's command lines are UTF-8.
bool Utf8Of(const Unit* text, std::string* utf8)
{
    const int bytes = WideToMultiByte(65001, text, -1, nullptr, 0);
    if (bytes <= 0)
        return false;
    std::string out(static_cast<std::size_t>(bytes), '\0');
    if (WideToMultiByte(65001, text, -1, out.data(), bytes) != bytes)
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

bool ShellOpen(const Unit* target)
{
    if (target == nullptr)
        return false;
    std::string argument;
    if (!Utf8Of(target, &argument))
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

    // The opener gets nothing of the host's but the environment: no descriptor (an
    // open list file, a socket of a transfer) and none of the signal dispositions
    // or blocked signals of the calling thread.
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        posix_spawnattr_destroy(&attributes);
        return false;
    }
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    int failed = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                                           POSIX_SPAWN_SETSIGDEF);
    failed = failed != 0 ? failed : posix_spawnattr_setsigmask(&attributes, &none);
    failed = failed != 0 ? failed : posix_spawnattr_setsigdefault(&attributes, &all);
    failed = failed != 0 ? failed : posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    failed = failed != 0 ? failed : posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    failed = failed != 0 ? failed : posix_spawn_file_actions_adddup2(&actions, 1, 2);
    failed = failed != 0 ? failed : posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t child = 0;
    if (failed == 0)
        failed = posix_spawn(&child, shell, &actions, &attributes, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
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
