// The file system calls on Windows, through the Win32 file API with UTF-16 paths.
#if defined(_WIN32)

#include <string>

#include <windows.h>

#include "IO.hpp"
#include "io_system.hpp"

namespace kit::iosys {

namespace {

GSErrCode FromWin32(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_FILENAME_EXCED_RANGE:
        return IO::FileNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_INVALID_ACCESS:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return IO::AccessDenied;
    case ERROR_HANDLE_EOF:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
        return IO::FileIOError;
    default:
        return IO::GenericError;
    }
}

GSErrCode LastError()
{
    return FromWin32(GetLastError());
}

// The path as the Win32 API takes it; long absolute paths get the "\\?\" prefix
// that lifts the MAX_PATH limit.
std::wstring WidePath(const GS::UniString& path)
{
    std::wstring out(reinterpret_cast<const wchar_t*>(path.ToUStr()), path.GetLength());
    for (wchar_t& c : out)
        if (c == L'/')
            c = L'\\';
    if (out.size() >= MAX_PATH - 12) {
        if (out.size() >= 3 && out[1] == L':' && out[2] == L'\\')
            out.insert(0, L"\\\\?\\");
        else if (out.size() >= 2 && out[0] == L'\\' && out[1] == L'\\' && out.compare(0, 4, L"\\\\?\\") != 0)
            out.replace(0, 2, L"\\\\?\\UNC\\");
    }
    return out;
}

HANDLE Win(void* handle)
{
    return static_cast<HANDLE>(handle);
}

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

GSErrCode Probe(const GS::UniString& path, EntryKind* kind)
{
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const GSErrCode error = LastError();
        if (error == IO::FileNotFound) {
            *kind = EntryKind::Missing;
            return NoError;
        }
        return error;
    }
    *kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::File;
    return NoError;
}

GSErrCode CreateEmptyFile(const GS::UniString& path)
{
    HANDLE h = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, ShareAll, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_EXISTS ? NoError : FromWin32(error);
    }
    return CloseHandle(h) ? NoError : LastError();
}

GSErrCode Open(const GS::UniString& path, const OpenRequest& request, void** handle)
{
    *handle = nullptr;
    const std::wstring wide = WidePath(path);
    DWORD access = (request.read ? GENERIC_READ : 0) | (request.write ? GENERIC_WRITE : 0);
    if (access == 0)
        access = GENERIC_READ;
    const DWORD disposition = request.create ? OPEN_ALWAYS : OPEN_EXISTING;
    HANDLE h =
        CreateFileW(wide.c_str(), access, ShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool readOnly = !request.write;
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED && request.write &&
        request.readOnlyOnDenied) {
        h = CreateFileW(wide.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
        readOnly = true;
    }
    if (h == INVALID_HANDLE_VALUE)
        return LastError();
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return IO::AccessDenied;
    }
    if (!readOnly && request.truncate && !SetEndOfFile(h)) {
        const GSErrCode error = LastError();
        CloseHandle(h);
        return error;
    }
    if (request.toEnd) {
        LARGE_INTEGER zero{};
        if (!SetFilePointerEx(h, zero, nullptr, FILE_END)) {
            const GSErrCode error = LastError();
            CloseHandle(h);
            return error;
        }
    }
    *handle = h;
    return NoError;
}

GSErrCode Close(void* handle)
{
    return CloseHandle(Win(handle)) ? NoError : IO::FileIOError;
}

GSErrCode Length(void* handle, UInt64* length)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(Win(handle), &size))
        return LastError();
    *length = static_cast<UInt64>(size.QuadPart);
    return NoError;
}

GSErrCode SetLength(void* handle, UInt64 length)
{
    if (length > static_cast<UInt64>(INT64_MAX))
        return IO::GenericError;
    HANDLE h = Win(handle);
    LARGE_INTEGER zero{};
    LARGE_INTEGER current{};
    if (!SetFilePointerEx(h, zero, &current, FILE_CURRENT))
        return LastError();
    LARGE_INTEGER target{};
    target.QuadPart = static_cast<LONGLONG>(length);
    GSErrCode result = NoError;
    if (!SetFilePointerEx(h, target, nullptr, FILE_BEGIN)) {
        result = LastError();
    } else if (!SetEndOfFile(h)) {
        // A handle without write access: Windows says access denied, Wine invalid parameter.
        const DWORD error = GetLastError();
        result = error == ERROR_INVALID_PARAMETER ? IO::AccessDenied : FromWin32(error);
    }
    SetFilePointerEx(h, current, nullptr, FILE_BEGIN);
    return result;
}

GSErrCode Seek(void* handle, Int64 position)
{
    LARGE_INTEGER target{};
    target.QuadPart = position;
    if (!SetFilePointerEx(Win(handle), target, nullptr, FILE_BEGIN))
        return GetLastError() == ERROR_NEGATIVE_SEEK ? IO::GenericError : LastError();
    return NoError;
}

GSErrCode Read(void* handle, char* buffer, Int32 count, Int32* done)
{
    *done = 0;
    while (*done < count) {
        DWORD n = 0;
        if (!ReadFile(Win(handle), buffer + *done, static_cast<DWORD>(count - *done), &n, nullptr)) {
            const DWORD error = GetLastError();
            if (error == ERROR_HANDLE_EOF)
                break;
            return FromWin32(error);
        }
        if (n == 0)
            break;
        *done += static_cast<Int32>(n);
    }
    return NoError;
}

GSErrCode Write(void* handle, const char* buffer, Int32 count, Int32* done)
{
    *done = 0;
    while (*done < count) {
        DWORD n = 0;
        if (!WriteFile(Win(handle), buffer + *done, static_cast<DWORD>(count - *done), &n, nullptr))
            return LastError();
        if (n == 0)
            return IO::FileIOError;
        *done += static_cast<Int32>(n);
    }
    return NoError;
}

GSErrCode Flush(void* handle)
{
    if (!FlushFileBuffers(Win(handle))) {
        const DWORD error = GetLastError();
        // A handle opened for reading has nothing to flush.
        return error == ERROR_ACCESS_DENIED ? NoError : FromWin32(error);
    }
    return NoError;
}

GSErrCode RemoveFile(const GS::UniString& path)
{
    if (!DeleteFileW(WidePath(path).c_str()))
        return LastError();
    return NoError;
}

} // namespace kit::iosys

#endif
