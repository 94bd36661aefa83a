// The configuration files: small files of key/value records in the system's ANSI
// code page, stored with the two 4-bit halves of every byte exchanged, in the
// host's per-user folder (special location 14).
//
// A record is "$", the key, ":", one space, the value (each line break inside it
// followed by "#"), CR LF. A file holds at most MaxConfigBytes bytes of records.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_List.hpp"
#include "core/TS_Setting.hpp"
#include "core/TS_String.hpp"

namespace velmora::prefs {

enum ConfigFileId : Int32 {
    SharedConfig = 0, // "VelmoraPlugins.cfg", shared by the whole family
    OwnConfig = 1,    // "VelmoraLibrary_190.cfg", this add-on's own
};

// The reader and writer work in an area of ConfigAreaBytes; the reader needs two
// bytes behind the data, so a file holds at most MaxConfigBytes.
constexpr UInt32 ConfigAreaBytes = 100000;
constexpr UInt32 MaxConfigBytes = ConfigAreaBytes - 2;

// The records of each file in memory, in file order, and whether the file has been
// read successfully. They live as long as the add-on is loaded.
extern core::TS_List<core::TS_Setting> SharedSettings;
extern core::TS_List<core::TS_Setting> OwnSettings;
extern bool SharedLoaded;
extern bool OwnLoaded;
// Set while a file is there but its last read failed (it could not be opened, its
// length or its bytes could not be read): until a read succeeds no save replaces
// it, since the list in memory then knows nothing of the settings it holds.
extern bool SharedUnread;
extern bool OwnUnread;

// Any id other than OwnConfig selects the shared list and flags.
core::TS_List<core::TS_Setting>& SettingsOf(ConfigFileId file);
bool& LoadedFlagOf(ConfigFileId file);
bool& UnreadFlagOf(ConfigFileId file);

// 0 and the full path of the file, or the host's error when it gives no folder
// (the path is then left as it was). Any id other than SharedConfig names the own file.
GSErrCode ConfigPath(ConfigFileId file, core::TS_String& path);

// Reads the file into its list. With skipIfLoaded, a file already read is not read
// again. No file is an empty list. False on any failure; the list then holds the
// records read before damaged content, or none when the file could not be read
// (the file then counts as not loaded and as unread).
bool LoadConfig(ConfigFileId file, bool skipIfLoaded);

// Replaces the file by the serialised list. False when the file is unread, when the
// list does not fit the file's limit, when the host gives no folder, or when
// writing fails; the file on disk is then what it was before.
bool SaveConfig(ConfigFileId file);

// Makes the file at `path` hold exactly `count` bytes: the bytes go to a file of
// this writer's own beside it, which then replaces it in one step. A symbolic link
// at `path` is followed and its target replaced; the file's permissions stay; a
// read-only file is left as it is (2, access denied). 0 on success; 1 when no file
// object could be made; 2 to 6 for host errors (access denied, not found,
// input/output, generic, other). Nothing of a longer previous content remains.
int WriteFileBytes(const core::TS_String& path, const char* bytes, UInt32 count);

// Releases every record of a list and empties it.
void ClearSettings(core::TS_List<core::TS_Setting>& settings);

// Exchanges the two 4-bit halves of each byte, in place; its own inverse.
void SwapNibbles(unsigned char* bytes, UInt32 count);

// The record format without the byte transform. SerializeSettings writes the
// records of `settings` into `out` (capacity bytes) and returns the byte count, or
// -1 when they do not fit. ParseSettings appends the records of `data` (n bytes,
// followed by two zero bytes) to `settings`; false for damaged content.
Int32 SerializeSettings(const core::TS_List<core::TS_Setting>& settings, unsigned char* out, UInt32 capacity);
bool ParseSettings(const unsigned char* data, UInt32 n, core::TS_List<core::TS_Setting>& settings);

// Host file error -> the small codes above.
int FileErrorCode(GSErrCode error);

} // namespace velmora::prefs
