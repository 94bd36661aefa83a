#include "update/ShellOpen.hpp"

#include <cstring>

#include "IO.hpp"
#include "velmora/platform.hpp"

bool OpenUrl(const TS_String& address)
{
    const EncodedBytes bytes = address.ToBytes(TextEncoding::Ansi);
    if (bytes.data != nullptr)
        velmora::platform::ShellOpen(bytes.data);
    return true;
}

bool FileExists(const TS_String& path)
{
    if (path.IsEmpty())
        return false;
    const IO::File file(IO::Location(path.ToUniString()), IO::File::Fail);
    return file.GetStatus() == NoError;
}

bool OpenDocument(const TS_String& path)
{
    if (!FileExists(path))
        return false;
    TS_String whole = path;
    if (whole.EndsWith(TS_String("\\")))
        whole = whole.Mid(0, whole.GetLength() - 1);

    // A cut path, or one whose characters the ANSI code page replaces, names another
    // file or none: such a path is refused, so that the caller tells the user the
    // document cannot be opened instead of opening something else.
    const EncodedBytes bytes = whole.ToBytes(TextEncoding::Ansi);
    if (bytes.data == nullptr || std::strlen(bytes.data) > velmora::platform::ShellPathLimit())
        return false;
    const TS_String roundTrip(bytes.data, TextEncoding::Ansi);
    if (roundTrip.Compare(0, whole) != 0)
        return false;
    velmora::platform::ShellOpen(bytes.data);
    return true;
}

TS_String LimitLength(const TS_String& text, Int32 limit)
{
    if (text.IsNull())
        return TS_String();
    if (limit > 0 && text.GetLength() < static_cast<UInt32>(limit))
        return text;
    return text.Mid(0, limit > 1 ? static_cast<UInt32>(limit - 1) : 0);
}
