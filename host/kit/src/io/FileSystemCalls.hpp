// The system calls behind IO::File and IO::Folder: one implementation on the
// Win32 file API (Win32Files.cpp), one on POSIX (PosixFiles.cpp). Paths are host
// paths in Windows form; each implementation maps them to its own form. Every
// function returns NoError or one of the host's file errors of IO.hpp.
#pragma once

#include "GSRoot.hpp"

namespace kit::iosys {

enum class EntryKind { Missing, File, Folder, Other };

// What the path names. A path that cannot be reached (a missing parent folder)
// is Missing; other failures are returned as errors.
GSErrCode Probe(const GS::UniString& path, EntryKind* kind);

// Creates an empty file; a file that already exists is left as it is.
GSErrCode CreateEmptyFile(const GS::UniString& path);

struct OpenRequest {
    bool read = false;
    bool write = false;
    bool create = false;           // create the file when missing
    bool truncate = false;         // empty the file after opening
    bool toEnd = false;            // place the position at the end
    bool readOnlyOnDenied = false; // fall back to reading when writing is refused
};

// Opens a file (never a folder). `handle` receives the open file.
GSErrCode Open(const GS::UniString& path, const OpenRequest& request, void** handle);
GSErrCode Close(void* handle);
GSErrCode Length(void* handle, UInt64* length);
GSErrCode SetLength(void* handle, UInt64 length);
GSErrCode Seek(void* handle, Int64 position);
// Reads until `count` bytes are read or the end of the file; `done` receives the count.
GSErrCode Read(void* handle, char* buffer, Int32 count, Int32* done);
GSErrCode Write(void* handle, const char* buffer, Int32 count, Int32* done);
GSErrCode Flush(void* handle);

// Removes a file (not a folder).
GSErrCode RemoveFile(const GS::UniString& path);

// --- Replacing a file by a new one (FileReplacement.cpp) ---

// The path of the file that `path` leads to once symbolic links are followed; the
// path itself when it is no link. A link to a missing file leads to that file.
GSErrCode FinalPath(const GS::UniString& path, GS::UniString* final);
// AccessDenied when the file at `path` exists but may not be written (read-only,
// or not a file); NoError when it may, or when there is none.
GSErrCode CheckWritable(const GS::UniString& path);
// Creates an empty file beside `path`, under a name that no other writer (thread
// or process) is given, with the permissions of the file at `path` when there is one.
GSErrCode CreateUniqueBeside(const GS::UniString& path, GS::UniString* created);
// Renames `from` over `to` in one step, after giving it the permissions of the
// file at `to`, and makes the new name durable (the folder is flushed).
GSErrCode RenameReplacing(const GS::UniString& from, const GS::UniString& to);

} // namespace kit::iosys
