#include "services/ShellOpen.hpp"

#include "IO.hpp"
#include "velmora/Platform.hpp"

namespace velmora::services {

using namespace core;

bool OpenUrl(const TS_String& address)
{
    if (!address.IsNull())
        velmora::platform::ShellOpen(address.GetUnits());
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

    // The path goes to the shell in its own units, whatever script its names are in;
    // a path the shell would cut names another file or none, so it is refused and
    // the caller tells the user the document cannot be opened.
    if (whole.IsNull() || whole.GetLength() > velmora::platform::ShellPathLimit())
        return false;
    velmora::platform::ShellOpen(whole.GetUnits());
    return true;
}

} // namespace velmora::services
