// velmora-host: the stand-in host program. It parses the command line and hands
// over to the host's core (Session.hpp); the command language is in Script.hpp.
#include <cstring>
#include <iostream>
#include <string>

#if defined(_WIN32)
#include <io.h>
#define VELMORA_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define VELMORA_ISATTY(fd) isatty(fd)
#endif

#include "Session.hpp"
#include "Utf8Arguments.hpp"

namespace {

void Usage(std::ostream& out)
{
    out << "usage: velmora-host [options]\n"
           "  --addon PATH         the add-on file to load (default: the one beside the program)\n"
           "  --user-folder DIR    the user folder, special location 14 (default: the host's per-user "
           "folder)\n"
           "  --codepage N         the ANSI code page of the add-on (POSIX systems)\n"
           "  --no-freedata        unload the add-on at the end without calling FreeData\n"
           "  --script FILE        run the commands of FILE\n"
           "  -c \"CMD; CMD\"        run these commands\n"
           "  --help               this text\n"
           "Without --script or -c the host reads commands from the terminal, or a script from\n"
           "standard input when it is not a terminal. \"help\" lists the commands.\n";
}

} // namespace

int main(int argc, char** argv)
{
    velmora::host::Utf8Arguments arguments(argc, argv);
    argc = arguments.Count();
    argv = arguments.Values();
    velmora::host::HostOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= argc) {
                std::cerr << "velmora-host: " << arg << " needs a value\n";
                return false;
            }
            *out = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            Usage(std::cout);
            return 0;
        }
        bool ok = true;
        if (arg == "--addon") {
            ok = value(&options.addonPath);
        } else if (arg == "--user-folder") {
            ok = value(&options.userFolder);
        } else if (arg == "--codepage") {
            ok = value(&options.codePage);
        } else if (arg == "--no-freedata") {
            options.freeData = false;
        } else if (arg == "--script") {
            ok = value(&options.scriptFile);
        } else if (arg == "-c") {
            ok = value(&options.commands);
            options.commandsGiven = ok;
        } else {
            std::cerr << "velmora-host: unknown option " << arg << "\n";
            ok = false;
        }
        if (!ok) {
            Usage(std::cerr);
            return 2;
        }
    }
    return velmora::host::RunHost(options, std::cin, VELMORA_ISATTY(0) != 0, std::cout);
}
