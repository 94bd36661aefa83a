// IO::File, IO::Folder and IO::FileSystem over the system calls of FileSystemCalls.hpp.
#include <atomic>
#include <string>

#include "IO.hpp"
#include "io/FileSystemCalls.hpp"
#include "io/SpecialFolders.hpp"
#include "io/TextConversion.hpp"
#include "kit/Host.hpp"

namespace {

std::atomic<kit::FileFault> injectedFault{kit::FileFault::None};

bool Failing(kit::FileFault fault)
{
    return injectedFault.load(std::memory_order_relaxed) == fault;
}

} // namespace

void kit::InjectFileFault(FileFault fault)
{
    injectedFault.store(fault, std::memory_order_relaxed);
}

namespace IO {

FileSystem fileSystem;

namespace {

// The path of a location and what it names; BadLocation when it has no path.
GSErrCode ProbeLocation(const Location& location, GS::UniString* path, kit::iosys::EntryKind* kind)
{
    if (location.ToPath(path) != NoError)
        return BadLocation;
    return kit::iosys::Probe(*path, kind);
}

} // namespace

// --- File ----------------------------------------------------------------------

File::File(const Location& where, OnNotFound policy) : location(where), status(NoError), handle(nullptr)
{
    GS::UniString path;
    kit::iosys::EntryKind kind = kit::iosys::EntryKind::Missing;
    status = ProbeLocation(location, &path, &kind);
    if (status != NoError)
        return;
    switch (kind) {
    case kit::iosys::EntryKind::File:
        break;
    case kit::iosys::EntryKind::Folder:
    case kit::iosys::EntryKind::Other:
        status = AccessDenied;
        break;
    case kit::iosys::EntryKind::Missing:
        if (policy == Create)
            status = kit::iosys::CreateEmptyFile(path);
        else if (policy != Ignore)
            status = FileNotFound;
        break;
    }
}

File::~File()
{
    if (handle != nullptr)
        kit::iosys::Close(handle);
}

GSErrCode File::Open(OpenMode mode, AccessDeniedTreatment treatment)
{
    if (status != NoError)
        return status;
    if (handle != nullptr)
        return GenericError;
    kit::iosys::OpenRequest request;
    switch (mode) {
    case ReadMode:
        request.read = true;
        break;
    case WriteMode:
        request.write = request.create = true;
        break;
    case ReadWriteMode:
        request.read = request.write = request.create = true;
        break;
    case WriteEmptyMode:
        request.write = request.create = request.truncate = true;
        break;
    case AppendMode:
        request.write = request.create = request.toEnd = true;
        break;
    default:
        return GenericError;
    }
    request.readOnlyOnDenied = treatment == ReadOnlyOnAccessDenied;
    GS::UniString path;
    location.ToPath(&path);
    return kit::iosys::Open(path, request, &handle);
}

GSErrCode File::Close()
{
    if (handle == nullptr)
        return NotOpen;
    void* open = handle;
    handle = nullptr;
    return kit::iosys::Close(open);
}

bool File::IsOpen() const
{
    return handle != nullptr;
}

GSErrCode File::GetDataLength(UInt64* length) const
{
    if (handle == nullptr)
        return NotOpen;
    if (length == nullptr)
        return GenericError;
    if (Failing(kit::FileFault::Length))
        return FileIOError;
    return kit::iosys::Length(handle, length);
}

GSErrCode File::SetDataLength(UInt64 length)
{
    if (handle == nullptr)
        return NotOpen;
    return kit::iosys::SetLength(handle, length);
}

GSErrCode File::SetPosition(Int64 position)
{
    if (handle == nullptr)
        return NotOpen;
    if (position < 0)
        return GenericError;
    if (Failing(kit::FileFault::Position))
        return FileIOError;
    return kit::iosys::Seek(handle, position);
}

GSErrCode File::ReadBin(char* buffer, Int32 count, Int32* read)
{
    if (read != nullptr)
        *read = 0;
    if (handle == nullptr)
        return NotOpen;
    if (count < 0 || (buffer == nullptr && count > 0))
        return GenericError;
    if (Failing(kit::FileFault::Read))
        return FileIOError;
    Int32 done = 0;
    const GSErrCode error = kit::iosys::Read(handle, buffer, count, &done);
    if (read != nullptr)
        *read = done;
    if (error != NoError)
        return error;
    // A caller that does not take the count asked for exactly `count` bytes.
    return done < count && read == nullptr ? FileIOError : NoError;
}

GSErrCode File::WriteBin(const char* buffer, Int32 count, Int32* written)
{
    if (written != nullptr)
        *written = 0;
    if (handle == nullptr)
        return NotOpen;
    if (count < 0 || (buffer == nullptr && count > 0))
        return GenericError;
    Int32 done = 0;
    const GSErrCode error = kit::iosys::Write(handle, buffer, count, &done);
    if (written != nullptr)
        *written = done;
    return error;
}

GSErrCode File::Flush()
{
    if (handle == nullptr)
        return NotOpen;
    return kit::iosys::Flush(handle);
}

// --- Folder --------------------------------------------------------------------

Folder::Folder(const Location& where) : location(where), status(NoError)
{
    GS::UniString path;
    kit::iosys::EntryKind kind = kit::iosys::EntryKind::Missing;
    status = ProbeLocation(location, &path, &kind);
    if (status != NoError)
        return;
    if (kind == kit::iosys::EntryKind::Missing)
        status = FileNotFound;
    else if (kind != kit::iosys::EntryKind::Folder)
        status = GenericError;
}

GSErrCode Folder::Delete(const Name& name)
{
    if (status != NoError)
        return status;
    const GS::UniString& text = name.ToString();
    const std::u16string units(text.ToUStr(), text.GetLength());
    if (units.empty() || units == u"." || units == u".." ||
        units.find_first_of(u"\\/") != std::u16string::npos)
        return BadLocation;
    Location target = location;
    if (target.AppendToLocal(name) != NoError)
        return BadLocation;
    GS::UniString path;
    kit::iosys::EntryKind kind = kit::iosys::EntryKind::Missing;
    const GSErrCode error = ProbeLocation(target, &path, &kind);
    if (error != NoError)
        return error;
    if (kind == kit::iosys::EntryKind::Missing)
        return FileNotFound;
    if (kind == kit::iosys::EntryKind::Folder)
        return AccessDenied;
    return kit::iosys::RemoveFile(path);
}

// --- FileSystem ----------------------------------------------------------------

GSErrCode FileSystem::GetSpecialLocation(Int32 id, Location* out) const
{
    if (out == nullptr)
        return GenericError;
    const std::string native = kit::detail::SpecialFolder(id);
    if (native.empty())
        return NoSuchSpecialLocation;
    Location found(kit::iotext::FromUtf8(kit::iotext::HostPathFromNative(native)));
    if (!found.IsValid())
        return BadLocation;
    *out = found;
    return NoError;
}

} // namespace IO
