#include "dialogs/InfoLines.hpp"

#include "core/ResStrings.hpp"
#include "hostapi/AddOnIdentity.hpp"
#include "language/Language.hpp"

namespace velmora::dialogs {

using namespace core;
using namespace language;

namespace {

// Library list entries: the labels of lines 2 to 4.
constexpr Int32 VersionLabel = 16;
constexpr Int32 DateLabel = 17;
constexpr Int32 SystemLabel = 18;

// The add-on is built for the host's 64-bit Windows edition only: the word names
// that build, not the system the stand-in host happens to run on.
constexpr const char* PlatformWord = "Win64";
constexpr const char* HostName = "ArchiCAD ";

TS_String Labelled(Int32 label, const TS_String& value)
{
    return LocalisedText(LibraryListBase, label) + " " + value;
}

} // namespace

TS_String NameLine()
{
    return TS_String(velmora::hostapi::AddOnName);
}

TS_String VersionInfoLine(const VersionRecord& version)
{
    return Labelled(VersionLabel, version.versionText);
}

TS_String DateInfoLine(const VersionRecord& version)
{
    return Labelled(DateLabel, version.dateText);
}

TS_String SystemInfoLine()
{
    return Labelled(SystemLabel, TS_String(PlatformWord));
}

TS_String HostInfoLine(const VersionRecord& version)
{
    return HostName + TS_String::FromNumber(version.hostVersion);
}

void BuildInfoLines(const InfoRecord& record, TS_List<TS_String>& lines)
{
    lines.RemoveAll();
    const TS_String texts[] = {
        NameLine(),       VersionInfoLine(record.version), DateInfoLine(record.version),
        SystemInfoLine(), HostInfoLine(record.version),
        TS_String(""), // the dialog's items 9 and 10, empty
        TS_String(""),
    };
    for (const TS_String& text : texts)
        lines.Insert(text + "\r\n");
    lines.Insert(TS_String("\r\n"));
}

} // namespace velmora::dialogs
