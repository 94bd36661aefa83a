// The grammar of a version line: name, version (major.minor.release.build), host
// tag "(AC…)" or "(DA…)", build date dd/mm/yyyy (or with "-"), then optional tokens
// ("Edu", a language code). The add-on's own line and every line of the maker's list
// follow it; the information dialog shows the parsed form of the add-on's own line.
//
// [any thread] The functions keep no state.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_List.hpp"
#include "core/TS_String.hpp"

namespace velmora::update {

// The parsed form of a version line.
struct VersionRecord {
    core::TS_String name;        // field 1
    core::TS_String versionText; // field 2 as written
    Int16 major = 0, minor = 0, release = 0, build = 0;
    Int16 hostVersion = 0;        // "(DA190)" gives 19
    core::TS_String sortableDate; // yyyymmdd of field 4
    core::TS_String dateText;     // field 4 as written
    bool edu = false;
    core::TS_List<Int16> languages; // language indices of the line's tokens, in order
};

// What a line's fields are.
enum class LineKind {
    Invalid,
    Version, // a build: name, version, host tag, date
    Date,    // field 2 itself a date: an entry that names no build
};

// Empty texts, zero numbers, no languages, not Edu.
void ResetVersionRecord(VersionRecord& record);
// yyyymmdd of a dd/mm/yyyy field, ordered by IsGreater.
core::TS_String SortableDate(const core::TS_String& dateField);
// A date counts only with its four-digit year whole.
LineKind ValidateVersionLine(const core::TS_List<core::TS_String>& fields);
// Fills the record from a line; an empty text resets it, and fields a short line
// lacks read as empty.
void ParseVersionLine(const core::TS_String& text, VersionRecord& record);
// Whether the fields hold the "Edu" token where the edition stands (field 5).
bool IsEdu(const core::TS_List<core::TS_String>& fields);
// The major number of a version field as written ("19" of "19.0.4.2200").
core::TS_String MajorPart(const core::TS_String& versionField);

} // namespace velmora::update
