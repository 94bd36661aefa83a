// The five lines that identify this build of the add-on (name, version, build
// date, platform, host version), as the information dialog shows them and its text
// export writes them. They come from the add-on's own version line; the labels
// are those of the current language.
#pragma once

#include "core/ModalDialog.hpp"
#include "core/TS_List.hpp"
#include "core/TS_String.hpp"
#include "update/VersionLine.hpp"

namespace velmora::dialogs {

using update::VersionRecord;

// What the information dialog works on: owned by ShowInfoDialog for the dialog's
// lifetime and handed to its callback as user data.
struct InfoRecord {
    core::DialogIdSlot dialogId{0}; // the open dialog's identifier, 0 before and after
    VersionRecord version;          // the add-on's own version line, parsed
};

// [any thread] The lines, each without a line end. "VelmoraLibrary";
// "Version: 19.0.4.2200"; "Date: 03/08/2018"; "System: Win64"; "ArchiCAD 19".
core::TS_String NameLine();
core::TS_String VersionInfoLine(const VersionRecord& version);
core::TS_String DateInfoLine(const VersionRecord& version);
core::TS_String SystemInfoLine();
core::TS_String HostInfoLine(const VersionRecord& version);

// [any thread] The text export's lines, each ending with CR LF: the five lines,
// two empty lines (the dialog's two empty items below them) and a final empty
// line. The list is emptied first.
void BuildInfoLines(const InfoRecord& record, core::TS_List<core::TS_String>& lines);

} // namespace velmora::dialogs
