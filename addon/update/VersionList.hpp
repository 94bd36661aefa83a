// Version lines and the maker's version list: how a line is cut, validated and
// parsed, how the downloaded list is read, and the rule that decides whether the
// list holds a newer build of the installed add-on.
//
// A version line: name, version (major.minor.release.build), host tag "(AC…)" or
// "(DA…)", build date dd/mm/yyyy (or with "-"), then optional tokens ("Edu", a
// language code). All functions run on the calling thread and keep no state.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_List.hpp"
#include "core/TS_String.hpp"

// The parsed form of a version line.
struct VersionRecord {
    TS_String name;        // field 1
    TS_String versionText; // field 2 as written
    Int16 major = 0, minor = 0, release = 0, build = 0;
    Int16 hostVersion = 0;  // "(DA190)" gives 19
    TS_String sortableDate; // yyyymmdd of field 4
    TS_String dateText;     // field 4 as written
    bool edu = false;
    TS_List<Int16> languages; // language indices of the line's tokens, in order
};

// What ValidateVersionLine finds.
constexpr int InvalidLine = 0;
constexpr int VersionEntry = 1;
constexpr int DateEntry = 2;

// Outcome of comparing the installed line with the downloaded list.
enum class VersionListOutcome { Failed, UpToDate, UpdateAvailable };

// The local copy of the list: special location 14, a backslash, "__updts__.tmp".
// False when the host has no such folder.
bool VersionListPath(TS_String* path);

void ResetVersionRecord(VersionRecord& record);
void SplitFields(const TS_String& text, TS_List<TS_String>& fields);
void SplitAt(const TS_String& text, char separator, TS_List<TS_String>& fields);
bool IsDigits(const TS_String& text);
TS_String SortableDate(const TS_String& dateField);
int ValidateVersionLine(const TS_List<TS_String>& fields);
void ParseVersionLine(const TS_String& text, VersionRecord& record);
// 0 and the decoded text, or a host file error (2 to 6) and `text` left null.
int ReadTextFile(const TS_String& path, TS_String& text);
bool DeleteFileAt(const TS_String& path);
// Reads the local list, deletes it and compares it with installedLine.
VersionListOutcome CompareWithVersionList(const TS_String& installedLine);
