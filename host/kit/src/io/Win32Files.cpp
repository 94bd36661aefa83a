// The file system calls on Windows, through the Win32 file API with UTF-16 paths.
#if defined(_WIN32)

#include <atomic>
#include <string>

#include <windows.h>

#include "IO.hpp"
#include "io/FileSystemCalls.hpp"

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

namespace {

GS::UniString FromWide(const std::wstring& text)
{
    return GS::UniString(reinterpret_cast<const GS::uchar_t*>(text.c_str()),
                         static_cast<UInt32>(text.size()));
}

// Replacement files that a writer left behind when it ended before its move (a
// crash, a kill): "<name>.<pid>-<count>-<ticks>.new" of a process that no longer
// runs. Removed before a new one is made, so that they do not gather.
void RemoveAbandonedReplacements(const std::wstring& base)
{
    const std::size_t slash = base.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"" : base.substr(0, slash + 1);
    const std::wstring prefix = base.substr(slash == std::wstring::npos ? 0 : slash + 1) + L".";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(WidePath(FromWide(base + L".*.new")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::wstring writer = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        const std::size_t digits = writer.find_first_not_of(L"0123456789");
        if (digits == 0 || digits == std::wstring::npos || writer[digits] != L'-' ||
            writer.find_first_not_of(L"0123456789-") != std::wstring::npos || digits > 9)
            continue;
        const DWORD pid = static_cast<DWORD>(std::stoul(writer.substr(0, digits)));
        if (pid == GetCurrentProcessId())
            continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        bool ended = process == nullptr && GetLastError() == ERROR_INVALID_PARAMETER;
        if (process != nullptr) {
            DWORD code = 0;
            ended = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
            CloseHandle(process);
        }
        if (ended)
            DeleteFileW(WidePath(FromWide(folder + name)).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

} // namespace

GSErrCode FinalPath(const GS::UniString& path, GS::UniString* final)
{
    const std::wstring wide = WidePath(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        *final = path;
        return NoError;
    }
    HANDLE file =
        CreateFileW(wide.c_str(), 0, ShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LastError();
    std::wstring resolved(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(file, resolved.data(), static_cast<DWORD>(resolved.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    const GSErrCode error = n == 0 || n >= resolved.size() ? LastError() : NoError;
    CloseHandle(file);
    if (error != NoError)
        return error;
    resolved.resize(n);
    if (resolved.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        resolved.replace(0, 8, L"\\\\");
    else if (resolved.compare(0, 4, L"\\\\?\\") == 0)
        resolved.erase(0, 4);
    *final = FromWide(resolved);
    return NoError;
}

GSErrCode CheckWritable(const GS::UniString& path)
{
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? NoError : FromWin32(error);
    }
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return IO::AccessDenied;
    return NoError;
}

GSErrCode CreateUniqueBeside(const GS::UniString& path, GS::UniString* created)
{
    static std::atomic<unsigned> counter{0};
    const std::wstring base(reinterpret_cast<const wchar_t*>(path.ToUStr()), path.GetLength());
    RemoveAbandonedReplacements(base);
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    // The replaced file's hidden and system marks go to its replacement.
    const DWORD kept =
        attributes == INVALID_FILE_ATTRIBUTES
            ? FILE_ATTRIBUTE_NORMAL
            : (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) | FILE_ATTRIBUTE_NORMAL;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = base + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(counter.fetch_add(1)) + L"-" +
                                  std::to_wstring(GetTickCount64() % 1000000007ULL) + L".new";
        const GS::UniString host = FromWide(name);
        HANDLE file =
            CreateFileW(WidePath(host).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, kept, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
                continue;
            return FromWin32(error);
        }
        CloseHandle(file);
        *created = host;
        return NoError;
    }
    return IO::AccessDenied;
}

GSErrCode RenameReplacing(const GS::UniString& from, const GS::UniString& to)
{
    // Write-through: the move is on the disk when the call returns. A file that
    // another writer is replacing at this moment is refused for a short while
    // (access denied, sharing violation): the move is tried again, a bounded number
    // of times, as the file was checked to be writable just before.
    const std::wstring source = WidePath(from);
    const std::wstring target = WidePath(to);
    DWORD error = ERROR_SUCCESS;
    for (DWORD attempt = 0; attempt < 50; ++attempt) {
        if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return NoError;
        error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)
            break;
        Sleep(attempt < 10 ? 1 : 10);
    }
    return FromWin32(error);
}

} // namespace kit::iosys

#endif
