#include "core/PathText.hpp"

namespace velmora::core {
namespace {

// The index of the last `unit` in the path, -1 for none.
Int32 LastIndexOf(const TS_String& path, TS_String::Unit unit)
{
    const TS_String::Unit* units = path.GetUnits();
    for (UInt32 i = path.GetLength(); i-- > 0;)
        if (units[i] == unit)
            return static_cast<Int32>(i);
    return -1;
}

Int32 LastSeparator(const TS_String& path)
{
    return LastIndexOf(path, u'\\');
}

} // namespace

TS_String FileNamePart(const TS_String& path)
{
    if (path.IsNull())
        return TS_String();
    return path.Mid(static_cast<UInt32>(LastSeparator(path) + 1));
}

TS_String ExtensionPart(const TS_String& path)
{
    if (path.IsNull())
        return TS_String();
    const Int32 separator = LastSeparator(path);
    const Int32 dot = LastIndexOf(path, u'.');
    if (dot > separator && static_cast<UInt32>(dot) + 1 < path.GetLength())
        return path.Mid(static_cast<UInt32>(dot + 1));
    return TS_String("");
}

TS_String FolderPart(const TS_String& path, FolderSeparator separator)
{
    if (path.IsNull())
        return TS_String();
    const bool keep = separator == FolderSeparator::Keep;
    const Int32 last = LastSeparator(path);
    if (last < 0)
        return TS_String(keep ? "\\" : "");
    return path.Mid(0, static_cast<UInt32>(last) + (keep ? 1 : 0));
}

void RemoveLastPathPart(TS_String& path)
{
    if (path.IsNull())
        return;
    const Int32 last = LastSeparator(path);
    path = path.Mid(0, last < 0 ? 0 : static_cast<UInt32>(last));
}

IO::Location TS_String::ToLocation() const
{
    return IO::Location(ToUniString());
}

void TS_String::FromLocation(const IO::Location& location)
{
    GS::UniString path;
    if (location.ToPath(&path) != NoError) {
        Clear();
        return;
    }
    UInt32 count = path.GetLength();
    if (count > 0 && path[count - 1] == u'\\')
        --count;
    *this = FromUnits(path.ToUStr(), count);
}

} // namespace velmora::core
