// The program's command-line arguments as UTF-8, the host's text form. On Windows
// the C runtime hands main() its arguments in the ANSI code page, which cannot
// carry every path (an add-on in a folder named in Greek letters, say); there they
// are taken from the wide command line instead.
#pragma once

#include <string>
#include <vector>

namespace velmora::host {

class Utf8Arguments {
public:
    // [UI thread] `argc` and `argv` as main() received them (borrowed; used as
    // they are on other systems, where they are the bytes the user gave).
    Utf8Arguments(int argc, char** argv);
    Utf8Arguments(const Utf8Arguments&) = delete;
    Utf8Arguments& operator=(const Utf8Arguments&) = delete;

    int Count() const { return static_cast<int>(pointers.size()) - 1; }
    // argv-style: Count() arguments and a null pointer, valid while the object lives.
    char** Values() { return pointers.data(); }

private:
    std::vector<std::string> texts;
    std::vector<char*> pointers;
};

} // namespace velmora::host
