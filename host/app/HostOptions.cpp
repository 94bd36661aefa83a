#include "HostOptions.hpp"

#include "Numbers.hpp"
#include "velmora/Platform.hpp"

namespace velmora::host {

namespace {

bool CodePageUsable(const std::string& text, std::string* error)
{
    long codePage = 0;
    if (!ParseNumber(text, 1, 65535, &codePage)) {
        *error = "--codepage " + text + ": a code page is a number from 1 to 65535";
        return false;
    }
    // The platform layer converts text for the add-on: it must know this code page.
    velmora::platform::Unit unit = 0;
    if (velmora::platform::MultiByteToWide(static_cast<unsigned>(codePage), "A", 1, &unit, 1) != 1) {
        *error = "--codepage " + text + ": this system does not support that code page";
        return false;
    }
    return true;
}

} // namespace

bool ParseHostOptions(int argc, const char* const* argv, HostOptions* options, std::string* error)
{
    // The options that take a value, and where it goes.
    const std::pair<const char*, std::string HostOptions::*> valued[] = {
        {"--addon", &HostOptions::addonPath},
        {"--user-folder", &HostOptions::userFolder},
        {"--codepage", &HostOptions::codePage},
        {"--script", &HostOptions::scriptFile},
        {"--shell-record", &HostOptions::shellRecord},
        {"-c", &HostOptions::commands},
        {"--update-server", &HostOptions::updateServer},
        {"--pictures", &HostOptions::pictures},
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options->help = true;
            continue;
        }
        if (arg == "--no-freedata") {
            options->freeData = false;
            continue;
        }
        const std::pair<const char*, bool HostOptions::*> switches[] = {
            {"--window", &HostOptions::window},
            {"--terminal", &HostOptions::terminal},
            {"--timings", &HostOptions::timings},
            {"--verbose", &HostOptions::verbose},
        };
        bool isSwitch = false;
        for (const auto& [name, target] : switches)
            if (arg == name)
                isSwitch = options->*target = true;
        if (isSwitch)
            continue;
        std::string HostOptions::*member = nullptr;
        for (const auto& [name, target] : valued)
            if (arg == name)
                member = target;
        if (member == nullptr) {
            *error = "unknown option " + arg;
            return false;
        }
        if (i + 1 >= argc) {
            *error = arg + " needs a value";
            return false;
        }
        options->*member = argv[++i];
        options->commandsGiven = options->commandsGiven || arg == "-c";
    }
    if (options->window && options->terminal) {
        *error = "--window and --terminal exclude each other";
        return false;
    }
    if (options->window && !WindowFrontEndBuilt()) {
        *error = "--window: this build has no window front end (it keeps the terminal host)";
        return false;
    }
    return options->codePage.empty() || CodePageUsable(options->codePage, error);
}

bool WindowFrontEndBuilt()
{
#if defined(VELMORA_WINDOW_HOST)
    return true;
#else
    return false;
#endif
}

std::string OptionHelp()
{
    return "usage: velmora-host [options]\n"
           "  --addon PATH         the add-on file to load (default: the one beside the program)\n"
           "  --user-folder DIR    the user folder, special location 14 (default: the host's per-user "
           "folder)\n"
           "  --codepage N         the ANSI code page of the add-on (POSIX systems)\n"
           "  --no-freedata        unload the add-on at the end without calling FreeData\n"
           "  --shell-record FILE  record what the add-on hands to the shell in FILE (see expect-shell)\n"
           "  --update-server URL  the update server the add-on asks (its VELMORA_UPDATE_SERVER)\n"
           "  --pictures DIR       write a picture (PNG) of each dialog into DIR whenever it is drawn\n"
           "  --window             the menu in a menu bar and the dialogs as windows on the desktop (GTK 4;\n"
           "                       not in the Windows build, which keeps its terminal host)\n"
           "  --terminal           the terminal host, also where a desktop is there\n"
           "  --timings            report how long each dialog's window took to be drawn (--window)\n"
           "  --verbose            at a terminal, show every host call as it comes (a script always does)\n"
           "  --script FILE        run the commands of FILE\n"
           "  -c \"CMD; CMD\"        run these commands\n"
           "  --help               this text\n"
           "Without --script or -c the host reads commands from the terminal, or a script from\n"
           "standard input when it is not a terminal. \"help\" lists the commands. With --window\n"
           "a person uses the windows, or --script / -c drive them.\n";
}

} // namespace velmora::host
