#include "core/TextFile.hpp"

#include <climits>

#include "IO.hpp"

namespace velmora::core {

FileFault FaultOf(GSErrCode error)
{
    switch (error) {
    case NoError:
        return FileFault::None;
    case IO::FileNotFound:
        return FileFault::NotFound;
    case IO::AccessDenied:
        return FileFault::AccessDenied;
    case IO::BadLocation:
        return FileFault::BadPath;
    default:
        return FileFault::Unreadable;
    }
}

FileFault ReadTextFile(const TS_String& path, TS_String& text, UInt64 maxBytes)
{
    text.Clear();
    const IO::Location location = path.ToLocation();
    if (!location.IsValid())
        return FileFault::BadPath;
    IO::File input(location, IO::File::Fail);
    if (input.GetStatus() != NoError)
        return FaultOf(input.GetStatus());
    if (const GSErrCode err = input.Open(IO::File::ReadMode); err != NoError)
        return FaultOf(err);

    UInt64 length = 0;
    FileFault fault = FaultOf(input.GetDataLength(&length));
    // ReadBin counts in 32 bits; no text file of ours comes near that size.
    if (fault == FileFault::None && (length > INT32_MAX || length > maxBytes))
        fault = FileFault::TooLarge;
    // The buffer is freed also when the conversion below runs out of memory.
    struct Buffer {
        char* bytes = nullptr;
        ~Buffer() { GS::DeleteArrayOperator(bytes); }
    } buffer;
    if (fault == FileFault::None && length > 0) {
        buffer.bytes = static_cast<char*>(GS::NewArrayOperator(static_cast<GSSize>(length)));
        if (buffer.bytes == nullptr) {
            input.Close();
            throw GS::OutOfMemoryException();
        }
        GSErrCode err = input.SetPosition(0);
        if (err == NoError)
            err = input.ReadBin(buffer.bytes, static_cast<Int32>(length));
        fault = FaultOf(err);
    }
    const FileFault closeFault = FaultOf(input.Close());
    if (fault == FileFault::None)
        fault = closeFault;
    if (fault == FileFault::None)
        text.FromEncodedBytes(buffer.bytes, static_cast<UInt32>(length), true, TextEncoding::Ansi);
    return fault;
}

} // namespace velmora::core
