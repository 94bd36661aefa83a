// IO::FileSystem::MoveReplacing: the atomic replacement of one file by another.
#include <cerrno>

#include "IO.hpp"
#include "io_text.hpp"

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdio>
#endif

namespace IO {

GSErrCode FileSystem::MoveReplacing(const Location& from, const Location& to) const
{
    GS::UniString fromPath;
    GS::UniString toPath;
    if (from.ToPath(&fromPath) != NoError || to.ToPath(&toPath) != NoError)
        return BadLocation;
#if defined(_WIN32)
    std::string a = kit::iotext::NativeFromHostPath(fromPath);
    std::string b = kit::iotext::NativeFromHostPath(toPath);
    std::u16string wa = kit::iotext::Utf16FromUtf8(a);
    std::u16string wb = kit::iotext::Utf16FromUtf8(b);
    if (MoveFileExW(reinterpret_cast<LPCWSTR>(wa.c_str()), reinterpret_cast<LPCWSTR>(wb.c_str()),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return NoError;
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return FileNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return AccessDenied;
    default:
        return FileIOError;
    }
#else
    std::string a = kit::iotext::NativeFromHostPath(fromPath);
    std::string b = kit::iotext::NativeFromHostPath(toPath);
    if (std::rename(a.c_str(), b.c_str()) == 0)
        return NoError;
    switch (errno) {
    case ENOENT:
    case ENOTDIR:
        return FileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return AccessDenied;
    default:
        return FileIOError;
    }
#endif
}

} // namespace IO
