#include "MenuTexts.hpp"

#include "MenuDispatch.hpp"
#include "core/ResStrings.hpp"
#include "hostapi/HostCalls.hpp"
#include "language/Language.hpp"

using namespace velmora::core;
using namespace velmora::language;

namespace velmora::shell {

GSErrCode SetMenuItemText(Int16 listId, Int32 item, const TS_String& text)
{
    API_MenuItemRef ref{};
    ref.menuResID = listId;
    ref.itemIndex = item;
    GS::UniString hostText = text.ToUniString();
    return ACAPI_Interface(APIIo_SetMenuItemTextID, &ref, nullptr, &hostText, nullptr);
}

void RefreshMenuTexts()
{
    // All seven menus are rewritten, although the host has only the one of the
    // language current at registration; it refuses the others.
    for (Int16 i = 0; i < MenuListCount; ++i) {
        for (Int32 item = 1; item <= MenuItemCount; ++item) {
            TS_String text;
            GetResString(text, static_cast<Int16>(FirstMenuTextListId + CurrentLanguage), item);
            SetMenuItemText(static_cast<Int16>(FirstMenuListId + i), item, text);
        }
    }
}

} // namespace velmora::shell
