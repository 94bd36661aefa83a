// The result window 32755: its texts from the state of the check, and what its
// buttons do.
#include <initializer_list>

#include "ACAPI.hpp"
#include "DG.h"
#include "core/ModalDialog.hpp"
#include "core/ResStrings.hpp"
#include "hostapi/AddOnIdentity.hpp"
#include "hostapi/HostCalls.hpp"
#include "language/Language.hpp"
#include "services/ShellOpen.hpp"
#include "update/UpdateCheck.hpp"
#include "update/UpdateCheckSteps.hpp"
#include "update/UpdatePage.hpp"

using namespace velmora::core;
using namespace velmora::language;
using namespace velmora::services;

using namespace velmora::update;

namespace {

constexpr short WindowWidth = 655;
constexpr short WindowHeight = 172;
constexpr Int32 ModelessControlFlags = 7;

// Messages of the shared list.
constexpr Int32 CancelMessage = 5;
constexpr Int32 UpdateAvailableMessage = 34;
constexpr Int32 NoUpdateMessage = 35;
constexpr Int32 NewsMessage = 37;
constexpr Int32 DownloadUpdateMessage = 79;
constexpr Int32 AddOnUpToDateMessage = 80;
constexpr Int32 AddOnUpdateMessage = 81;
constexpr Int32 LibraryUpToDateMessage = 82;
constexpr Int32 DownloadLibraryMessage = 84;
constexpr Int32 CheckingMessage = 90;

} // namespace

void FillUpdateDialog(short dialId)
{
    const CheckView check = CurrentCheck();
    DGSetDialogSize(dialId, DG_CLIENT, WindowWidth, WindowHeight, DG_TOPLEFT, true);
    DGBeginMoveGrowItems(dialId);
    DGSetDialogTitle(dialId, TS_String(velmora::hostapi::AddOnName).ToUniString());
    SetItemMessage(dialId, CancelItem, CancelMessage);
    SetItemMessage(dialId, HomePageItem, NewsMessage);
    SetItemMessage(dialId, AddOnDownloadItem, DownloadUpdateMessage);
    SetItemMessage(dialId, LibraryDownloadItem, DownloadUpdateMessage);

    if (check.updateState == StateChecking) {
        for (short item :
             {HomePageItem, AddOnDownloadItem, LibraryDownloadItem, AddOnStatusItem, LibraryStatusItem})
            DGHideItem(dialId, item);
        // Our own status while the list is fetched: the window says what it waits for.
        SetItemMessage(dialId, StatusItem, CheckingMessage);
    } else {
        // A worker fills an open window one call at a time, and the UI thread may draw
        // it between two calls. The add-on's line changes last in either layout: a
        // window that shows it shows the whole result (what a person or a script
        // waits for).
        const bool upToDate = check.updateState == StateUpToDate;
        for (short item : {HomePageItem, AddOnStatusItem, LibraryStatusItem, AddOnDownloadItem})
            DGShowItem(dialId, item);
        if (upToDate)
            DGDisableItem(dialId, AddOnDownloadItem);
        else
            DGEnableItem(dialId, AddOnDownloadItem);
        const TS_String addOnText =
            LocalisedText(MessageListBase, upToDate ? AddOnUpToDateMessage : AddOnUpdateMessage)
                .Replace("ADDONNAME", velmora::hostapi::AddOnName);
        if (check.libraryKnown) {
            DGShowItem(dialId, LibraryDownloadItem);
            DGShowItem(dialId, StatusItem);
            SetItemMessage(dialId, StatusItem,
                           upToDate && check.libraryState == StateUpToDate ? NoUpdateMessage
                                                                           : UpdateAvailableMessage);
            SetItemMessage(dialId, LibraryDownloadItem, DownloadLibraryMessage);
            SetItemText(dialId, LibraryStatusItem,
                        LocalisedText(MessageListBase, LibraryUpToDateMessage)
                            .Replace(TS_String("ADDONLIBNAME"), check.libraryName));
            SetItemText(dialId, AddOnStatusItem, addOnText);
        } else {
            for (short item : {LibraryDownloadItem, LibraryStatusItem, StatusItem})
                DGHideItem(dialId, item);
            SetItemMessage(dialId, AddOnStatusItem, upToDate ? NoUpdateMessage : UpdateAvailableMessage);
        }
    }
    DGEndMoveGrowItems(dialId);
    DGRedrawItem(dialId, DG_ALL_ITEMS);
}

short UpdateDialogCallback(short message, short dialId, short item, DGUserData userData, DGMessageData)
{
    const auto serial = static_cast<UInt32>(userData);
    switch (message) {
    case DG_MSG_INIT:
        WindowOpened(serial, dialId);
        ACAPI_RegisterModelessWindow(dialId, nullptr, ModelessControlFlags, GS::NULLGuid);
        FillUpdateDialog(dialId);
        return 0;
    case DG_MSG_CLOSE:
        ACAPI_UnregisterModelessWindow(dialId);
        WindowClosed(serial);
        return 1;
    case DG_MSG_CLICK:
        switch (item) {
        case HomePageItem:
            DGModelessClose(dialId);
            OpenUrl(HomePageAddress());
            return item;
        case CancelItem:
            RequestAbort(serial);
            DGModelessClose(dialId);
            return item;
        case AddOnDownloadItem:
        case LibraryDownloadItem:
            DGModelessClose(dialId);
            OpenUrl(BuildUpdatePageAddress(item));
            return item;
        default:
            return 0;
        }
    default:
        return 0;
    }
}
