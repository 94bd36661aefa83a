// Reading a whole text file of the user's (a downloaded list, a setting's file) into
// one string, and the faults that reading reports. The configuration store reads
// bytes of its own format but reports the same faults, so that a caller tells "not
// there" from "there but unreadable" the same way for every file.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_String.hpp"

namespace velmora::core {

// What reading a file found. Only NotFound means there is no file: every other fault
// leaves a file whose content is unknown, which a caller must not take for empty.
enum class FileFault {
    None,         // read whole
    NotFound,     // nothing at the path
    AccessDenied, // there, but the system refuses to open it
    Unreadable,   // opening, measuring, reading or closing failed
    TooLarge,     // longer than the caller takes
    BadPath,      // the path names no place in the file system
};

// [any thread] The fault of a host file error (NoError is None).
FileFault FaultOf(GSErrCode error);

// [any thread] Reads the file at `path` (Windows form) whole and decodes it by its
// byte-order mark, else by the encoding guess, else in the ANSI code page. On any
// fault `text` is left null; a file longer than maxBytes is TooLarge and is not
// read. Throws GS::OutOfMemoryException when the host has no memory for it.
FileFault ReadTextFile(const TS_String& path, TS_String& text, UInt64 maxBytes = 0x7FFFFFFF);

} // namespace velmora::core
