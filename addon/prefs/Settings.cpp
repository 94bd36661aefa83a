#include "prefs/Settings.hpp"

#include "ACAPI.hpp"
#include "core/TextEncoding.hpp"
#include "shell/AddOnIdentity.hpp"
#include "shell/HostCalls.hpp"
#include "shell/MenuDispatch.hpp"

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

API_MenuItemRef MenuItem(Int16 menu, Int32 item)
{
    API_MenuItemRef ref{};
    ref.menuResID = menu;
    ref.itemIndex = item;
    return ref;
}

} // namespace

TS_String LastUpdateCheckKey()
{
    TS_String key("LastUpdateCheck_");
    Int32 major = velmora::HostMajorVersion;
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

bool ShowAutoUpdateMark(Int16 firstMenu, Int32 item)
{
    TS_String stored = GetSetting(OwnConfig, AutoUpdateKey, true);
    Int32 wanted = stored.GetLength() == 0 ? 1 : ParseAnsi(stored);
    for (Int16 i = 0; i < velmora::shell::MenuListCount; ++i) {
        API_MenuItemRef ref = MenuItem(static_cast<Int16>(firstMenu + i), item);
        Int32 flags = 0;
        if (ACAPI_Interface(APIIo_GetMenuItemFlagsID, &ref, &flags, nullptr, nullptr) != NoError)
            continue;
        if (wanted == 1)
            flags |= API_MenuItemChecked;
        else if (wanted == 0)
            flags &= ~API_MenuItemChecked;
        ACAPI_Interface(APIIo_SetMenuItemFlagsID, &ref, &flags, nullptr, nullptr);
    }
    return true;
}

bool ToggleAutoUpdate(Int16 firstMenu, Int32 item)
{
    for (Int16 i = 0; i < velmora::shell::MenuListCount; ++i) {
        API_MenuItemRef ref = MenuItem(static_cast<Int16>(firstMenu + i), item);
        Int32 flags = 0;
        if (ACAPI_Interface(APIIo_GetMenuItemFlagsID, &ref, &flags, nullptr, nullptr) != NoError)
            continue;
        if ((flags & API_MenuItemChecked) != 0) {
            flags &= ~API_MenuItemChecked;
            StoreSetting(OwnConfig, AutoUpdateKey, "0", true);
        } else {
            flags |= API_MenuItemChecked;
            StoreSetting(OwnConfig, AutoUpdateKey, "1", true);
        }
        ACAPI_Interface(APIIo_SetMenuItemFlagsID, &ref, &flags, nullptr, nullptr);
    }
    return true;
}
