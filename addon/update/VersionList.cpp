#include "update/VersionList.hpp"

#include <atomic>
#include <chrono>
#include <random>

#include "IO.hpp"
#include "core/TS_List.hpp"
#include "core/TextFile.hpp"
#include "update/Downloader.hpp"
#include "update/Fields.hpp"
#include "update/VersionLine.hpp"

namespace velmora::update {

using core::TS_List;
using core::TS_String;
namespace {

using core::FileFault;
using Unit = TS_String::Unit;

const char* const ListFileName = "__updts__.tmp";
const char* const FreshListStem = "__updts__-";
const char* const FreshListExtension = ".tmp";

// Whether the line's first field is `name`: a line about another add-on can make no
// difference, so it is passed over without being cut into fields, which keeps the
// comparison of a long list fast.
bool StartsWithField(const Unit* line, UInt32 length, const TS_String& name)
{
    const UInt32 nameLength = name.GetLength();
    if (length < nameLength || (length > nameLength && line[nameLength] != u' ' && line[nameLength] != u'\t'))
        return false;
    for (UInt32 i = 0; i < nameLength; ++i) {
        if (line[i] != name.GetAt(i))
            return false;
    }
    return true;
}

// What a line must share with the installed one to be about the same product.
struct Product {
    TS_String name, hostTag, major, sortableDate;
    bool edu = false;
};

bool UserFolderFile(const TS_String& name, TS_String* path)
{
    IO::Location folder;
    if (path == nullptr ||
        IO::fileSystem.GetSpecialLocation(IO::FileSystem::UserPreferences, &folder) != NoError)
        return false;
    TS_String result;
    result.FromLocation(folder);
    if (result.IsNull())
        return false;
    result += "\\";
    result += name;
    *path = result;
    return true;
}

// 64 bits that differ between calls and between processes: the system's random
// source where it has one, mixed with the clock and a count of the calls.
UInt64 FreshNumber()
{
    static std::atomic<UInt64> calls{0};
    UInt64 number = static_cast<UInt64>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                    (calls.fetch_add(1) * 0x9E3779B97F4A7C15ULL);
    try {
        std::random_device device;
        number ^= (static_cast<UInt64>(device()) << 32) ^ device();
    } catch (...) {
        // No random source: the clock and the count keep two calls of this process
        // apart, and a collision with another process only fails that one check.
    }
    return number;
}

} // namespace

bool VersionListPath(TS_String* path)
{
    return UserFolderFile(TS_String(ListFileName), path);
}

bool FreshVersionListPath(TS_String* path)
{
    static const char digits[] = "0123456789abcdef";
    char name[17] = {};
    UInt64 number = FreshNumber();
    for (int i = 15; i >= 0; --i, number >>= 4)
        name[i] = digits[number & 0xF];
    return UserFolderFile(TS_String(FreshListStem) + TS_String(name) + TS_String(FreshListExtension), path);
}

bool DeleteFileAt(const TS_String& path)
{
    IO::Location folder = path.ToLocation();
    IO::Name name;
    if (!folder.IsValid() || folder.GetLastLocalName(&name) != NoError ||
        folder.DeleteLastLocalName() != NoError)
        return false;
    IO::Folder parent(folder);
    return parent.GetStatus() == NoError && parent.Delete(name) == NoError;
}

VersionListOutcome CompareWithVersionList(const TS_String& installedLine)
{
    TS_String path;
    if (!VersionListPath(&path))
        return VersionListOutcome::Failed;
    return CompareWithVersionList(installedLine, path);
}

VersionListOutcome CompareWithVersionList(const TS_String& installedLine, const TS_String& path)
{
    TS_String text;
    // No more than a transfer may have written: a larger file is not the list.
    const FileFault fault = core::ReadTextFile(path, text, MaxDownloadBytes);
    // A missing file is no list; any other outcome leaves a file that must not stay.
    if (fault != FileFault::NotFound)
        DeleteFileAt(path);
    // A list that could not be read whole says nothing about newer builds: reading
    // it as empty would report "up to date" for a failure.
    if (fault != FileFault::None)
        return VersionListOutcome::Failed;

    TS_List<TS_String> installedFields;
    SplitFields(installedLine, installedFields);
    const LineKind installedKind = ValidateVersionLine(installedFields);
    if (installedKind == LineKind::Invalid)
        return VersionListOutcome::Failed;
    // A date entry names no host and no build date: no line of the list can be
    // about it, so nothing newer can be found.
    if (installedKind == LineKind::Date)
        return VersionListOutcome::UpToDate;

    Product installed;
    installed.name = installedFields[0];
    installed.major = MajorPart(installedFields[1]);
    installed.hostTag = installedFields[2];
    installed.sortableDate = SortableDate(installedFields[3]);
    installed.edu = IsEdu(installedFields);

    bool upToDate = true;
    // Whether the answer is a list at all: some line of it is a valid version line,
    // of whichever add-on. Once one is seen, lines of other add-ons are passed over.
    bool anyValid = false;
    const UInt32 length = text.GetLength();
    const Unit* units = text.GetUnits();
    TS_List<TS_String> fields;
    UInt32 start = 0;
    for (UInt32 i = 0; i <= length; ++i) {
        const bool atEnd = i == length;
        if (!atEnd && units[i] != u'\r' && units[i] != u'\n')
            continue;
        const UInt32 lineLength = i - start;
        const bool ours = lineLength > 0 && StartsWithField(units + start, lineLength, installed.name);
        if (lineLength > 0 && (ours || !anyValid)) {
            SplitFields(text.Mid(start, lineLength), fields);
            // The host tag is compared before the line is validated: most lines of
            // the list are for other hosts, and the outcome is the same.
            const bool sameHost =
                ours && fields.GetCount() >= 4 && fields[2].Compare(0, installed.hostTag) == 0;
            if (sameHost || !anyValid) {
                const bool valid = ValidateVersionLine(fields) == LineKind::Version;
                anyValid = anyValid || valid;
                if (valid && sameHost && fields[0].Compare(0, installed.name) == 0 &&
                    MajorPart(fields[1]).Compare(0, installed.major) == 0 && IsEdu(fields) == installed.edu &&
                    SortableDate(fields[3]).IsGreater(installed.sortableDate))
                    upToDate = false;
            }
        }
        if (!atEnd && units[i] == u'\r' && i + 1 < length && units[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (!anyValid)
        return VersionListOutcome::Failed;
    return upToDate ? VersionListOutcome::UpToDate : VersionListOutcome::UpdateAvailable;
}

} // namespace velmora::update
