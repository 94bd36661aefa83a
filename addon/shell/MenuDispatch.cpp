#include "MenuDispatch.hpp"

#include "AutoUpdateMark.hpp"
#include "MenuTexts.hpp"
#include "dialogs/AboutDialog.hpp"
#include "dialogs/InfoDialog.hpp"
#include "hostapi/AddOnIdentity.hpp"
#include "hostapi/HostCalls.hpp"
#include "language/Language.hpp"
#include "prefs/Settings.hpp"
#include "update/UpdateCheck.hpp"

using namespace velmora::core;
using namespace velmora::prefs;
using namespace velmora::language;
using namespace velmora::dialogs;

namespace {

template <Int16 ListId> GSErrCode HandleMenuCommand(const API_MenuParams* params)
{
    velmora::shell::DoMenuCommand(params, ListId);
    return NoError;
}

constexpr APIMenuCommandProc menuCommandHandlers[velmora::shell::MenuListCount] = {
    &HandleMenuCommand<32500>, &HandleMenuCommand<32501>, &HandleMenuCommand<32502>,
    &HandleMenuCommand<32503>, &HandleMenuCommand<32504>, &HandleMenuCommand<32505>,
    &HandleMenuCommand<32506>,
};

} // namespace

namespace velmora::shell {

using hostapi::AddOnVersionLine;
using hostapi::FamilyName;

APIMenuCommandProc MenuCommandHandler(int index)
{
    if (index < 0 || index >= MenuListCount)
        return nullptr;
    return menuCommandHandlers[index];
}

GSErrCode InstallMenuHandlers()
{
    GSErrCode combined = NoError;
    for (Int16 i = 0; i < MenuListCount; ++i)
        combined |=
            ACAPI_Install_MenuHandler(static_cast<Int16>(FirstMenuListId + i), menuCommandHandlers[i]);
    return combined;
}

bool PendingFirstCommand = true;

// The kind of check the menu asks for (kind 2 would do nothing).
constexpr int UpdateCheckKind = 3;

void DoMenuCommand(const API_MenuParams* params, Int16 ownListId)
{
    if (params == nullptr || params->menuResID != ownListId)
        return;
    ACAPI_KeepInMemory(true);
    const bool firstCommand = PendingFirstCommand;
    if (firstCommand)
        LoadLanguage(SharedFile::ReadAgain);

    switch (params->itemIndex) {
    case LanguageMenuItem:
        if (ShowLanguageDialog()) {
            LoadLanguage(SharedFile::ReadAgain);
            RefreshMenuTexts();
        }
        break;
    case AutoUpdateMenuItem:
        ToggleAutoUpdate(FirstMenuListId, AutoUpdateMenuItem);
        break;
    case CheckForUpdatesMenuItem:
        update::CheckForUpdates(UpdateCheckKind, true, AddOnVersionLine, FamilyName);
        break;
    case AboutMenuItem: {
        // The About dialog's identifier while it is open.
        static DialogIdSlot aboutDialogSlot{0};
        ShowAboutDialog(&aboutDialogSlot);
        break;
    }
    case InfoMenuItem:
        ShowInfoDialog();
        break;
    default:
        break;
    }

    if (firstCommand) {
        // Never right after a manual check: that one has just asked the server.
        if (params->itemIndex != CheckForUpdatesMenuItem)
            update::AutoCheckForUpdates(UpdateCheckKind, AddOnVersionLine, FamilyName);
        PendingFirstCommand = false;
    }
}

} // namespace velmora::shell
