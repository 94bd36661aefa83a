// The file system calls on POSIX systems.
#if !defined(_WIN32)

#include <cerrno>
#include <climits>
#include <cstdint>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "IO.hpp"
#include "io_system.hpp"
#include "io_text.hpp"

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

} // namespace kit::iosys

#endif
