// The version-list reader and comparison on any downloaded list: the real reader
// reads the local copy from the per-user folder, decodes it (marks, guesses),
// cuts it into lines and compares each with the installed line. It must never read
// outside its data, fail only on a list without a single valid version line, always
// delete the copy, and obey the rule that only a later date of the same product
// makes an update.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "kit/Host.hpp"
#include "update/Fields.hpp"
#include "update/VersionLine.hpp"
#include "update/VersionList.hpp"

using namespace velmora::core;
using namespace velmora::update;

namespace {

const char* const installedLine = "VelmoraLibrary 19.0.4.2200 (DA190) 03/08/2018";

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// A per-user folder of the run's own, made once and removed at the end of the run
// (the list copy is deleted after every input). A plain array: it outlives every
// handler that runs at exit.
char folder[] = "/tmp/velmora-fuzz-XXXXXX";

const std::string Folder()
{
    static const bool made = [] {
        Check(::mkdtemp(folder) != nullptr);
        kit::SetSpecialFolder(14, folder);
        std::atexit([] { ::rmdir(folder); });
        return true;
    }();
    (void)made;
    return folder;
}

VersionListOutcome Compare(const std::string& list)
{
    const std::string file = Folder() + "/__updts__.tmp";
    std::FILE* out = std::fopen(file.c_str(), "wb");
    Check(out != nullptr);
    Check(std::fwrite(list.data(), 1, list.size(), out) == list.size());
    Check(std::fclose(out) == 0);
    const VersionListOutcome outcome = CompareWithVersionList(TS_String(installedLine));
    // The copy is deleted after every successful open.
    Check(::access(file.c_str(), F_OK) != 0);
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 8192)
        return 0;
    const std::string list(reinterpret_cast<const char*>(data), size);
    const VersionListOutcome outcome = Compare(list);

    // A list of printable ASCII decodes as itself (unless it begins like a UTF-7
    // mark): there, the installed line itself never makes an update, and a later
    // line of the same product always does.
    bool plain = list.compare(0, 3, "+/v") != 0;
    for (std::uint8_t b : list)
        plain = plain && b < 0x80 && (b >= 0x20 || b == '\t' || b == '\r' || b == '\n');
    if (plain) {
        // The installed line makes any text a list, and changes nothing else.
        const VersionListOutcome withInstalled = Compare(list + "\n" + installedLine + "\n");
        Check(withInstalled != VersionListOutcome::Failed);
        Check(outcome == VersionListOutcome::Failed || outcome == withInstalled);
        Check(Compare(list + "\r\nVelmoraLibrary 19.9.9.1 (DA190) 31/12/2099\r\n") ==
              VersionListOutcome::UpdateAvailable);
    }

    // The line functions on every line of the list, read as ANSI text.
    std::size_t start = 0;
    while (start <= size) {
        std::size_t end = start;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        if (end > start) {
            const TS_String line(data + start, static_cast<UInt32>(end - start), TextEncoding::Ansi);
            TS_List<TS_String> fields;
            SplitFields(line, fields);
            Check(fields.GetCount() >= 1);
            const LineKind kind = ValidateVersionLine(fields);
            Check(kind == LineKind::Invalid || kind == LineKind::Version || kind == LineKind::Date);
            VersionRecord record;
            ParseVersionLine(line, record);
            if (kind == LineKind::Version)
                Check(record.name.Compare(0, fields[0]) == 0 && record.sortableDate.GetLength() == 8);
        }
        start = end + 1;
    }
    return 0;
}
