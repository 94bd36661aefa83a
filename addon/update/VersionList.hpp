// Version lines and the maker's version list: how a line is cut, validated and
// parsed, how the downloaded list is read, and the rule that decides whether the
// list holds a newer build of the installed add-on.
//
// A version line: name, version (major.minor.release.build), host tag "(AC…)" or
// "(DA…)", build date dd/mm/yyyy (or with "-"), then optional tokens ("Edu", a
// language code). The list is the maker's file of such lines, one per current
// build of each add-on of the family, with CR LF, CR or LF line ends.
//
// [any thread] All functions run on the calling thread and keep no state; the
// comparison runs on the download's worker thread.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_List.hpp"
#include "core/TS_String.hpp"

// The parsed form of a version line.
struct VersionRecord {
    velmora::core::TS_String name;        // field 1
    velmora::core::TS_String versionText; // field 2 as written
    Int16 major = 0, minor = 0, release = 0, build = 0;
    Int16 hostVersion = 0;                 // "(DA190)" gives 19
    velmora::core::TS_String sortableDate; // yyyymmdd of field 4
    velmora::core::TS_String dateText;     // field 4 as written
    bool edu = false;
    velmora::core::TS_List<Int16> languages; // language indices of the line's tokens, in order
};

// What ValidateVersionLine finds.
constexpr int InvalidLine = 0;
constexpr int VersionEntry = 1;
constexpr int DateEntry = 2;

// Outcome of comparing the installed line with the downloaded list.
enum class VersionListOutcome { Failed, UpToDate, UpdateAvailable };

// The local copy of the list: special location 14, a backslash, "__updts__.tmp".
// False when the host has no such folder.
bool VersionListPath(velmora::core::TS_String* path);
// A fresh path for one check's copy of the list, in the same folder: "__updts__-",
// 16 hexadecimal digits drawn anew for each call, ".tmp". Two hosts that share the
// user folder and check at the same time never meet at one file.
bool FreshVersionListPath(velmora::core::TS_String* path);

// Empty texts, zero numbers, no languages, not Edu.
void ResetVersionRecord(VersionRecord& record);
// Cuts at runs of spaces and tabs (the list is emptied first). A leading run gives
// an empty first field, a trailing run an empty last one; null or empty text gives
// one empty field.
void SplitFields(const velmora::core::TS_String& text,
                 velmora::core::TS_List<velmora::core::TS_String>& fields);
// Cuts at every `separator` (an ANSI byte); adjacent separators give an empty
// field, and the text after the last one is always the last field.
void SplitAt(const velmora::core::TS_String& text, char separator,
             velmora::core::TS_List<velmora::core::TS_String>& fields);
// True when the text in the ANSI code page is the bytes "0" to "9" only; empty and
// null texts count as digits.
bool IsDigits(const velmora::core::TS_String& text);
// yyyymmdd of a dd/mm/yyyy field, ordered by IsGreater.
velmora::core::TS_String SortableDate(const velmora::core::TS_String& dateField);
// InvalidLine, VersionEntry, or DateEntry (field 2 itself a date). A date counts
// only with its four-digit year whole.
int ValidateVersionLine(const velmora::core::TS_List<velmora::core::TS_String>& fields);
// Fills the record from a line; an empty text resets it, and fields a short line
// lacks read as empty.
void ParseVersionLine(const velmora::core::TS_String& text, VersionRecord& record);
// 0 and the text decoded by its byte-order mark, else by the encoding guess, else
// in the ANSI code page; or a host file error (2 access denied, 3 not found, 4
// input/output, 5 generic, 6 other) with `text` left null, also when reading
// fails after the file was opened or the file holds more than maxBytes (4). Throws
// GS::OutOfMemoryException.
int ReadTextFile(const velmora::core::TS_String& path, velmora::core::TS_String& text,
                 UInt64 maxBytes = 0x7FFFFFFF);
// Deletes the file at path (Windows form); true on success.
bool DeleteFileAt(const velmora::core::TS_String& path);
// Reads the local list at listPath (at most MaxDownloadBytes), deletes it (whatever
// the outcome, once it exists) and compares it with installedLine: an update is
// available when a valid line of the same name, host tag, major version and edition
// carries a later date. Failed when the list cannot be read whole, holds no valid
// version line of any add-on at all (a sign-in page of a hotel's network, an HTML
// error page sent as a success, a compressed or empty body: no list), or when
// installedLine is no valid line.
VersionListOutcome CompareWithVersionList(const velmora::core::TS_String& installedLine,
                                          const velmora::core::TS_String& listPath);
// The same with the list at VersionListPath.
VersionListOutcome CompareWithVersionList(const velmora::core::TS_String& installedLine);
