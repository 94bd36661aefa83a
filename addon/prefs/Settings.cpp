#include "prefs/Settings.hpp"

#include "core/TextEncoding.hpp"
#include "hostapi/AddOnIdentity.hpp"

namespace velmora::prefs {

using namespace core;

const char* const AutoUpdateKey = "AutoUpdate";
const char* const LanguageCodeKey = "Language_str";
const char* const LanguageNumberKey = "Language";

namespace {

// The first record with exactly this key, or -1.
Int32 IndexOf(const TS_List<TS_Setting>& settings, const TS_String& key)
{
    for (Int32 i = 0; i < settings.GetCount(); ++i)
        if (settings[i].key.Compare(0, key, 0, 0) == 0)
            return i;
    return -1;
}

bool EnsureLoaded(ConfigFileId file, bool loadIfNeeded)
{
    if (!loadIfNeeded || LoadedFlagOf(file))
        return true;
    return LoadConfig(file, true);
}

Int32 ParseAnsi(const TS_String& text)
{
    return text.ToLong();
}

} // namespace

TS_String LastUpdateCheckKey()
{
    TS_String key("LastUpdateCheck_");
    Int32 major = velmora::hostapi::HostMajorVersion;
    key += TS_String::FromNumber(major, 0);
    key += "0";
    return key;
}

bool FindSetting(ConfigFileId file, TS_String key, TS_String* value, bool loadIfNeeded)
{
    if (!EnsureLoaded(file, loadIfNeeded))
        return false;
    const TS_List<TS_Setting>& settings = SettingsOf(file);
    Int32 index = IndexOf(settings, key);
    if (index < 0)
        return false;
    if (value != nullptr)
        *value = settings[index].value;
    return true;
}

TS_String GetSetting(ConfigFileId file, TS_String key, bool loadIfNeeded)
{
    TS_String value("");
    FindSetting(file, key, &value, loadIfNeeded);
    return value;
}

Int32 GetSettingInt(ConfigFileId file, TS_String key, bool loadIfNeeded)
{
    return ParseAnsi(GetSetting(file, key, loadIfNeeded));
}

bool PutSetting(ConfigFileId file, TS_String key, TS_String value, bool create)
{
    TS_List<TS_Setting>& settings = SettingsOf(file);
    Int32 index = IndexOf(settings, key);
    if (index >= 0) {
        settings[index].value = value;
    } else if (create) {
        TS_Setting setting;
        setting.key = key;
        setting.value = value;
        settings.Insert(setting, -1);
    }
    return true;
}

bool PutSettingInt(ConfigFileId file, TS_String key, Int32 value, bool create)
{
    return PutSetting(file, key, TS_String::FromNumber(value, 0), create);
}

bool StoreSetting(ConfigFileId file, TS_String key, TS_String value, bool create)
{
    LoadConfig(file, true);
    PutSetting(file, key, value, create);
    return SaveConfig(file);
}

} // namespace velmora::prefs
