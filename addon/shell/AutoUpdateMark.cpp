#include "shell/AutoUpdateMark.hpp"

#include "ACAPI.hpp"
#include "hostapi/HostCalls.hpp"
#include "prefs/Settings.hpp"
#include "shell/MenuDispatch.hpp"

using namespace velmora::core;
using namespace velmora::prefs;

namespace {

API_MenuItemRef MenuItem(Int16 menu, Int32 item)
{
    API_MenuItemRef ref{};
    ref.menuResID = menu;
    ref.itemIndex = item;
    return ref;
}

} // namespace

namespace velmora::shell {

bool ShowAutoUpdateMark(Int16 firstMenu, Int32 item)
{
    TS_String stored = GetSetting(OwnConfig, AutoUpdateKey, true);
    Int32 wanted = stored.GetLength() == 0 ? 1 : stored.ToLong();
    for (Int16 i = 0; i < MenuListCount; ++i) {
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
    for (Int16 i = 0; i < MenuListCount; ++i) {
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

} // namespace velmora::shell
