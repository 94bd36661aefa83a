// The maker's version list, one line per current build of each add-on of the
// family, with CR LF, CR or LF line ends: where a check keeps its copy, and the rule
// that decides whether the list holds a newer build of the installed add-on.
//
// [any thread] The functions keep no state; the comparison runs on the download's
// worker thread.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_String.hpp"

namespace velmora::update {

// Outcome of comparing the installed line with the downloaded list.
enum class VersionListOutcome { Failed, UpToDate, UpdateAvailable };

// The local copy of the list: special location 14, a backslash, "__updts__.tmp".
// False when the host has no such folder.
bool VersionListPath(core::TS_String* path);
// A fresh path for one check's copy of the list, in the same folder: "__updts__-",
// 16 hexadecimal digits drawn anew for each call, ".tmp". Two hosts that share the
// user folder and check at the same time never meet at one file.
bool FreshVersionListPath(core::TS_String* path);
// Deletes the file at path (Windows form); true on success.
bool DeleteFileAt(const core::TS_String& path);
// Reads the local list at listPath (at most MaxDownloadBytes), deletes it (whatever
// the outcome, once it exists) and compares it with installedLine: an update is
// available when a valid line of the same name, host tag, major version and edition
// carries a later date. Failed when the list cannot be read whole, holds no valid
// version line of any add-on at all (a sign-in page of a hotel's network, an HTML
// error page sent as a success, a compressed or empty body: no list), or when
// installedLine is no valid line. Throws GS::OutOfMemoryException.
VersionListOutcome CompareWithVersionList(const core::TS_String& installedLine,
                                          const core::TS_String& listPath);
// The same with the list at VersionListPath.
VersionListOutcome CompareWithVersionList(const core::TS_String& installedLine);

} // namespace velmora::update
