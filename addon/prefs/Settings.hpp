// The settings store: key/value access to the configuration files. Lookups read a
// file on first use; every store writes the whole file at once.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_String.hpp"
#include "prefs/ConfigFile.hpp"

namespace velmora::prefs {

// Keys of the add-on.
extern const char* const AutoUpdateKey;     // "AutoUpdate" in OwnConfig: "1" on, "0" off
extern const char* const LanguageCodeKey;   // "Language_str": the interface language's code
extern const char* const LanguageNumberKey; // "Language": an older numeric form, read only
core::TS_String LastUpdateCheckKey();       // "LastUpdateCheck_190"

// True and the value (when `value` is given) for a present key; false when it is
// missing or when the load asked for failed (`value` is then untouched).
bool FindSetting(ConfigFileId file, core::TS_String key, core::TS_String* value, bool loadIfNeeded);
// The value, or "" when the key is missing or the load failed.
core::TS_String GetSetting(ConfigFileId file, core::TS_String key, bool loadIfNeeded);
// GetSetting read as a whole number: 0 when missing or empty, 2147483647 without digits.
Int32 GetSettingInt(ConfigFileId file, core::TS_String key, bool loadIfNeeded);
// Sets the first record with the key; a missing key is appended when `create` is
// set. Never loads or saves; always true.
bool PutSetting(ConfigFileId file, core::TS_String key, core::TS_String value, bool create);
bool PutSettingInt(ConfigFileId file, core::TS_String key, Int32 value, bool create);
// Loads if needed, puts, and saves the whole file; the result of the save.
bool StoreSetting(ConfigFileId file, core::TS_String key, core::TS_String value, bool create);

} // namespace velmora::prefs
