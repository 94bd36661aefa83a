// IO::FileSystem::CreateReplacementFile and MoveReplacing: the atomic replacement
// of a file by a new one, faithful to the file replaced (its link, its
// permissions, its read-only state).
#include "IO.hpp"
#include "io/FileSystemCalls.hpp"

namespace IO {

GSErrCode FileSystem::CreateReplacementFile(const Location& target, Location* replacement) const
{
    if (replacement == nullptr)
        return GenericError;
    GS::UniString path;
    if (target.ToPath(&path) != NoError)
        return BadLocation;
    GS::UniString final;
    GSErrCode error = kit::iosys::FinalPath(path, &final);
    if (error == NoError)
        error = kit::iosys::CheckWritable(final);
    GS::UniString created;
    if (error == NoError)
        error = kit::iosys::CreateUniqueBeside(final, &created);
    if (error != NoError)
        return error;
    *replacement = Location(created);
    return NoError;
}

GSErrCode FileSystem::MoveReplacing(const Location& from, const Location& to) const
{
    GS::UniString fromPath;
    GS::UniString toPath;
    if (from.ToPath(&fromPath) != NoError || to.ToPath(&toPath) != NoError)
        return BadLocation;
    GS::UniString final;
    GSErrCode error = kit::iosys::FinalPath(toPath, &final);
    if (error == NoError)
        error = kit::iosys::CheckWritable(final);
    if (error == NoError)
        error = kit::iosys::RenameReplacing(fromPath, final);
    return error;
}

} // namespace IO
