// velmora-host: the stand-in host program. It reads the command line and hands
// over to the host (HostProgram.hpp); the command language is in Commands.hpp.
#include <iostream>
#include <memory>
#include <string>

#if defined(_WIN32)
#include <io.h>
#define VELMORA_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define VELMORA_ISATTY(fd) isatty(fd)
#endif

#include "HostProgram.hpp"
#include "Utf8Arguments.hpp"
#include "WindowsConsole.hpp"

int main(int argc, char** argv)
{
    velmora::host::Utf8Arguments arguments(argc, argv);
    argc = arguments.Count();
    argv = arguments.Values();
    velmora::host::HostOptions options;
    std::string error;
    if (!velmora::host::ParseHostOptions(argc, argv, &options, &error)) {
        std::cerr << "velmora-host: " << error << "\n" << velmora::host::OptionHelp();
        return 2;
    }
    // A Windows console reads and shows the host's UTF-8 texts through these.
    const std::unique_ptr<std::ostream> console = velmora::host::ConsoleOutput();
    // Like std::cin never destroyed: a reader may still wait in it as the process ends.
    std::istream* typed = velmora::host::ConsoleInput().release();
    std::ostream& out = console ? *console : std::cout;
    if (options.help) {
        out << velmora::host::OptionHelp() << std::flush;
        return 0;
    }
    const bool terminal = VELMORA_ISATTY(0) != 0;
    return velmora::host::RunHost(options, typed ? *typed : std::cin, terminal, out,
                                  terminal && VELMORA_ISATTY(1) != 0);
}
