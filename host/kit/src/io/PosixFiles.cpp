// The file system calls on POSIX systems.
#if !defined(_WIN32)

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "IO.hpp"
#include "io/FileSystemCalls.hpp"
#include "io/TextConversion.hpp"

namespace kit::iosys {

namespace {

GSErrCode FromErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return IO::FileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBADF:
    case ETXTBSY:
    case EEXIST:
        return IO::AccessDenied;
    case EIO:
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
    case ENXIO:
        return IO::FileIOError;
    default:
        return IO::GenericError;
    }
}

// Open files travel as the descriptor plus one, so that null means "none".
int Descriptor(void* handle)
{
    return static_cast<int>(reinterpret_cast<std::intptr_t>(handle) - 1);
}

void* HandleOf(int fd)
{
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(fd) + 1);
}

std::string NativePath(const GS::UniString& path)
{
    return iotext::NativeFromHostPath(path);
}

int OpenDescriptor(const std::string& native, int flags)
{
    int fd;
    do {
        fd = ::open(native.c_str(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

GSErrCode Probe(const GS::UniString& path, EntryKind* kind)
{
    struct stat info {};
    if (::stat(NativePath(path).c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            *kind = EntryKind::Missing;
            return NoError;
        }
        return FromErrno(errno);
    }
    if (S_ISREG(info.st_mode))
        *kind = EntryKind::File;
    else if (S_ISDIR(info.st_mode))
        *kind = EntryKind::Folder;
    else
        *kind = EntryKind::Other;
    return NoError;
}

GSErrCode CreateEmptyFile(const GS::UniString& path)
{
    const int fd = OpenDescriptor(NativePath(path), O_WRONLY | O_CREAT | O_EXCL);
    if (fd < 0)
        return errno == EEXIST ? NoError : FromErrno(errno);
    return ::close(fd) == 0 ? NoError : FromErrno(errno);
}

GSErrCode Open(const GS::UniString& path, const OpenRequest& request, void** handle)
{
    *handle = nullptr;
    const std::string native = NativePath(path);
    int flags = request.read && request.write ? O_RDWR : (request.write ? O_WRONLY : O_RDONLY);
    if (request.create)
        flags |= O_CREAT;
    int fd = OpenDescriptor(native, flags);
    bool readOnly = !request.write;
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS) && request.write &&
        request.readOnlyOnDenied) {
        fd = OpenDescriptor(native, O_RDONLY);
        readOnly = true;
    }
    if (fd < 0)
        return FromErrno(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return IO::AccessDenied; // a folder or a device is not a file to open
    }
    if (!readOnly && request.truncate && ::ftruncate(fd, 0) != 0) {
        const GSErrCode error = FromErrno(errno);
        ::close(fd);
        return error;
    }
    if (request.toEnd && ::lseek(fd, 0, SEEK_END) < 0) {
        const GSErrCode error = FromErrno(errno);
        ::close(fd);
        return error;
    }
    *handle = HandleOf(fd);
    return NoError;
}

GSErrCode Close(void* handle)
{
    // The descriptor is released even when close reports an error.
    return ::close(Descriptor(handle)) == 0 ? NoError : (errno == EINTR ? NoError : IO::FileIOError);
}

GSErrCode Length(void* handle, UInt64* length)
{
    struct stat info {};
    if (::fstat(Descriptor(handle), &info) != 0)
        return FromErrno(errno);
    *length = static_cast<UInt64>(info.st_size);
    return NoError;
}

GSErrCode SetLength(void* handle, UInt64 length)
{
    if (length > static_cast<UInt64>(INT64_MAX))
        return IO::GenericError;
    int result;
    do {
        result = ::ftruncate(Descriptor(handle), static_cast<off_t>(length));
    } while (result != 0 && errno == EINTR);
    if (result != 0)
        return errno == EINVAL ? IO::AccessDenied : FromErrno(errno); // EINVAL: not open for writing
    return NoError;
}

GSErrCode Seek(void* handle, Int64 position)
{
    if (::lseek(Descriptor(handle), static_cast<off_t>(position), SEEK_SET) < 0)
        return errno == EINVAL ? IO::GenericError : FromErrno(errno);
    return NoError;
}

GSErrCode Read(void* handle, char* buffer, Int32 count, Int32* done)
{
    *done = 0;
    while (*done < count) {
        const ssize_t n = ::read(Descriptor(handle), buffer + *done, static_cast<size_t>(count - *done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return FromErrno(errno);
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
        const ssize_t n = ::write(Descriptor(handle), buffer + *done, static_cast<size_t>(count - *done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return FromErrno(errno);
        }
        if (n == 0)
            return IO::FileIOError;
        *done += static_cast<Int32>(n);
    }
    return NoError;
}

GSErrCode Flush(void* handle)
{
    if (::fsync(Descriptor(handle)) != 0 && errno != EINVAL && errno != EROFS)
        return FromErrno(errno);
    return NoError;
}

GSErrCode RemoveFile(const GS::UniString& path)
{
    if (::unlink(NativePath(path).c_str()) != 0)
        return FromErrno(errno);
    return NoError;
}

GSErrCode FinalPath(const GS::UniString& path, GS::UniString* final)
{
    std::string current = NativePath(path);
    // As many links as the system itself follows before it gives up (ELOOP).
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno != ENOENT)
                return FromErrno(errno);
            *final = iotext::FromUtf8(iotext::HostPathFromNative(current));
            return NoError;
        }
        if (!S_ISLNK(info.st_mode)) {
            *final = iotext::FromUtf8(iotext::HostPathFromNative(current));
            return NoError;
        }
        char target[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), target, sizeof target);
        if (n < 0)
            return FromErrno(errno);
        if (static_cast<std::size_t>(n) >= sizeof target)
            return IO::FileNotFound;
        std::string next(target, static_cast<std::size_t>(n));
        if (next.empty())
            return IO::FileNotFound;
        if (next[0] != '/')
            next = current.substr(0, current.rfind('/') + 1) + next;
        current = next;
    }
    return IO::FileNotFound;
}

GSErrCode CheckWritable(const GS::UniString& path)
{
    const std::string native = NativePath(path);
    struct stat info {};
    if (::stat(native.c_str(), &info) != 0)
        return errno == ENOENT ? NoError : FromErrno(errno);
    if (!S_ISREG(info.st_mode))
        return IO::AccessDenied;
    // No write permission for anyone is the read-only mark, which holds for the
    // superuser too, as Windows' read-only attribute does for an administrator.
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return IO::AccessDenied;
    if (::access(native.c_str(), W_OK) != 0)
        return FromErrno(errno);
    return NoError;
}

namespace {

// Replacement files that a writer left behind when it ended before its rename (a
// crash, a kill): "<name>.<pid>-<count>-<ticks>.new" of a process that no longer
// runs. Removed before a new one is made, so that they do not gather.
void RemoveAbandonedReplacements(const std::string& native)
{
    const std::size_t slash = native.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : native.substr(0, slash);
    const std::string prefix = native.substr(slash == std::string::npos ? 0 : slash + 1) + ".";
    const std::string suffix = ".new";
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string writer = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        const std::size_t digits = writer.find_first_not_of("0123456789");
        if (digits == 0 || digits == std::string::npos || writer[digits] != '-' ||
            writer.find_first_not_of("0123456789-") != std::string::npos || digits > 9)
            continue;
        const long pid = std::stol(writer.substr(0, digits));
        if (pid <= 0 || pid == ::getpid())
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            ::unlink((folder + "/" + name).c_str());
    }
    ::closedir(dir);
}

} // namespace

GSErrCode CreateUniqueBeside(const GS::UniString& path, GS::UniString* created)
{
    static std::atomic<unsigned> counter{0};
    const std::string native = NativePath(path);
    RemoveAbandonedReplacements(native);
    struct stat info {};
    const bool replacing = ::stat(native.c_str(), &info) == 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto ticks =
            static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
        const std::string name = native + "." + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter.fetch_add(1)) + "-" +
                                 std::to_string(ticks % 1000000007ULL) + ".new";
        // The replacement of an existing file is private until it has that file's mode.
        int fd;
        do {
            fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replacing ? 0600 : 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return FromErrno(errno);
        }
        if (replacing) {
            // Only the superuser can give the file another owner; the mode is what counts.
            (void)!::fchown(fd, info.st_uid, info.st_gid);
            if (::fchmod(fd, info.st_mode & 07777) != 0) {
                const GSErrCode error = FromErrno(errno);
                ::close(fd);
                ::unlink(name.c_str());
                return error;
            }
        }
        if (::close(fd) != 0) {
            ::unlink(name.c_str());
            return IO::FileIOError;
        }
        *created = iotext::FromUtf8(iotext::HostPathFromNative(name));
        return NoError;
    }
    return IO::AccessDenied;
}

GSErrCode RenameReplacing(const GS::UniString& from, const GS::UniString& to)
{
    const std::string source = NativePath(from);
    const std::string target = NativePath(to);
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && ::chmod(source.c_str(), info.st_mode & 07777) != 0)
        return FromErrno(errno);
    if (::rename(source.c_str(), target.c_str()) != 0)
        return FromErrno(errno);
    // The rename lives in the folder: until the folder is on the disk, a power loss
    // may bring back the old name.
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const int fd = OpenDescriptor(folder, O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return NoError;
    const bool flushed = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
    ::close(fd);
    return flushed ? NoError : IO::FileIOError;
}

} // namespace kit::iosys

#endif
