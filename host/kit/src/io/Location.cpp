// IO::Location: a path in the host's Windows form.
#include <string>

#include "IO.hpp"

namespace IO {

namespace {

using Units = std::u16string;

Units UnitsOf(const GS::UniString& text)
{
    return Units(text.ToUStr(), text.GetLength());
}

GS::UniString StringOf(const Units& units)
{
    return GS::UniString(units.c_str(), static_cast<UInt32>(units.size()));
}

bool IsLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool IsDriveRoot(const Units& p)
{
    return p.size() == 3 && IsLetter(p[0]) && p[1] == u':' && p[2] == u'\\';
}

bool IsAbsolute(const Units& p)
{
    if (p.size() >= 3 && IsLetter(p[0]) && p[1] == u':' && p[2] == u'\\')
        return true;
    return p.size() >= 3 && p[0] == u'\\' && p[1] == u'\\' && p[2] != u'\\';
}

// Backslash separators, no trailing backslash except for a drive root ("C:\").
Units Normalised(Units p)
{
    for (char16_t& c : p)
        if (c == u'/')
            c = u'\\';
    while (p.size() > 1 && p.back() == u'\\' && !IsDriveRoot(p))
        p.pop_back();
    return p;
}

// Where the last name of an absolute or relative path begins, or npos when the
// path has no name to take away (empty, a drive root, a bare server of a UNC path).
std::size_t LastNameStart(const Units& p)
{
    if (p.empty() || IsDriveRoot(p))
        return Units::npos;
    const std::size_t slash = p.rfind(u'\\');
    if (slash == Units::npos)
        return 0;
    if (slash + 1 >= p.size())
        return Units::npos;
    if (slash == 1 && p[0] == u'\\')
        return Units::npos; // "\\server": the server is not a name inside a folder
    return slash + 1;
}

} // namespace

Location::Location(const GS::UniString& windowsPath) : path(StringOf(Normalised(UnitsOf(windowsPath)))) {}

bool Location::IsValid() const
{
    return IsAbsolute(UnitsOf(path));
}

GSErrCode Location::ToPath(GS::UniString* out) const
{
    if (out == nullptr || !IsValid())
        return BadLocation;
    *out = path;
    return NoError;
}

GSErrCode Location::GetLastLocalName(Name* out) const
{
    const Units p = UnitsOf(path);
    const std::size_t start = LastNameStart(p);
    if (out == nullptr || start == Units::npos)
        return BadLocation;
    *out = Name(StringOf(p.substr(start)));
    return NoError;
}

GSErrCode Location::DeleteLastLocalName()
{
    const Units p = UnitsOf(path);
    const std::size_t start = LastNameStart(p);
    if (start == Units::npos)
        return BadLocation;
    Units rest = p.substr(0, start);
    if (rest.size() == 2 && IsLetter(rest[0]) && rest[1] == u':')
        rest.push_back(u'\\');
    path = StringOf(Normalised(rest));
    return NoError;
}

GSErrCode Location::AppendToLocal(const Name& name)
{
    const Units add = UnitsOf(name.ToString());
    if (add.empty())
        return BadLocation;
    Units p = UnitsOf(path);
    if (!p.empty() && p.back() != u'\\')
        p.push_back(u'\\');
    p += add;
    path = StringOf(Normalised(p));
    return NoError;
}

} // namespace IO
