// InputOutput: the host's file-system library as an add-on sees it.
//
// Paths cross this interface in the host's Windows form ("C:\dir\file.txt",
// backslash separators). On a POSIX system the kit maps them at its own boundary:
// "Z:\a\b" is the POSIX path "/a/b" (as Wine presents the root), other drive
// letters and relative paths only exchange their separators.
#pragma once

#include "GSRoot.hpp"

namespace IO {

// Host file errors.
constexpr GSErrCode FileNotFound = static_cast<GSErrCode>(0x81010100);
constexpr GSErrCode AccessDenied = static_cast<GSErrCode>(0x81010102);
constexpr GSErrCode FileIOError = static_cast<GSErrCode>(0x81010103);
constexpr GSErrCode NotOpen = static_cast<GSErrCode>(0x81010104);
constexpr GSErrCode GenericError = static_cast<GSErrCode>(0x81000100);
constexpr GSErrCode BadLocation = static_cast<GSErrCode>(0x81010105);
constexpr GSErrCode NoSuchSpecialLocation = static_cast<GSErrCode>(0x81010106);

class KIT_API Name {
public:
    Name() = default;
    explicit Name(const GS::UniString& name) : text(name) {}
    const GS::UniString& ToString() const { return text; }

private:
    GS::UniString text;
};

class KIT_API Location {
public:
    Location() = default;
    explicit Location(const GS::UniString& windowsPath);
    bool IsEmpty() const { return path.IsEmpty(); }
    // A location is valid when it holds an absolute path ("X:\..." or "\\server\...").
    bool IsValid() const;
    // Writes the path in the host's Windows form; an error for an empty or invalid location.
    GSErrCode ToPath(GS::UniString* out) const;
    GSErrCode GetLastLocalName(Name* out) const;
    GSErrCode DeleteLastLocalName();
    GSErrCode AppendToLocal(const Name& name);
    bool operator==(const Location& other) const { return path == other.path; }

private:
    GS::UniString path; // Windows form, without a trailing backslash except for a drive root
};

class KIT_API File {
public:
    enum OnNotFound { Fail = 0, Create = 1, Ignore = 2 };
    // Every mode but ReadMode creates a missing file. WriteMode and ReadWriteMode start
    // at position 0 and keep the content beyond what is written; WriteEmptyMode empties
    // the file first; AppendMode starts at the end.
    enum OpenMode { ReadMode = 0, WriteMode = 1, ReadWriteMode = 2, WriteEmptyMode = 3, AppendMode = 4 };
    // ReadOnlyOnAccessDenied opens for reading when writing is refused; the other two fail.
    enum AccessDeniedTreatment { FailOnAccessDenied = 0, ReadOnlyOnAccessDenied = 1, Default = 2 };

    // With Fail a missing file leaves the object in an error state; with Create the
    // file is created (empty) when missing.
    File(const Location& location, OnNotFound policy = Fail);
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    GSErrCode GetStatus() const { return status; }
    GSErrCode Open(OpenMode mode, AccessDeniedTreatment treatment = Default);
    GSErrCode Close();
    bool IsOpen() const;
    GSErrCode GetDataLength(UInt64* length) const;
    GSErrCode SetDataLength(UInt64 length);
    GSErrCode SetPosition(Int64 position);
    // Reads up to `count` bytes. Without `read` fewer bytes than asked (the end of the
    // file) is FileIOError; with it, the count read is reported and the result is NoError.
    GSErrCode ReadBin(char* buffer, Int32 count, Int32* read = nullptr);
    GSErrCode WriteBin(const char* buffer, Int32 count, Int32* written = nullptr);
    GSErrCode Flush();

private:
    Location location;
    GSErrCode status;
    void* handle; // the system's open file, or null
};

class KIT_API Folder {
public:
    explicit Folder(const Location& location);
    GSErrCode GetStatus() const { return status; }
    GSErrCode Delete(const Name& name); // deletes the named file in this folder

private:
    Location location;
    GSErrCode status;
};

class KIT_API FileSystem {
public:
    // Special location 14 is the user's per-user folder of the host. A location the
    // host has no folder for gives NoSuchSpecialLocation.
    static constexpr Int32 UserPreferences = 14;
    GSErrCode GetSpecialLocation(Int32 id, Location* out) const;
    // [any thread] Creates an empty file to write the replacement of `target` into:
    // beside the file `target` leads to (symbolic links followed), under a name no
    // other writer is given, with that file's permissions. AccessDenied, and nothing
    // created, when that file exists but may not be written (read-only). The caller
    // owns the file: it moves it with MoveReplacing or deletes it.
    GSErrCode CreateReplacementFile(const Location& target, Location* replacement) const;
    // [any thread] Moves the file `from` to `to`, replacing a file already there in
    // one step: a reader sees either the old file or the new one, never a mixture.
    // A link at `to` is followed and its target replaced; the replaced file's
    // permissions are kept; a read-only file is not replaced (AccessDenied). The
    // new name is flushed to the disk before this returns.
    GSErrCode MoveReplacing(const Location& from, const Location& to) const;
};

KIT_API extern FileSystem fileSystem;

} // namespace IO
