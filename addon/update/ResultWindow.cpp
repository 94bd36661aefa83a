#include "update/ResultWindow.hpp"

#include <initializer_list>

#include "ACAPI.hpp"
#include "DG.h"
#include "core/ModalDialog.hpp"
#include "core/ResStrings.hpp"
#include "hostapi/AddOnIdentity.hpp"
#include "hostapi/HostCalls.hpp"
#include "language/Language.hpp"
#include "services/ShellOpen.hpp"
#include "update/MakerServer.hpp"

namespace velmora::update {

using core::MessageListBase;
using core::SetItemText;
using core::TS_String;
using language::LocalisedText;
using language::SetItemMessage;
using services::OpenUrl;
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

using Item = ResultItem;

short Id(Item item)
{
    return static_cast<short>(item);
}

void Show(short dialId, std::initializer_list<Item> items)
{
    for (Item item : items)
        DGShowItem(dialId, Id(item));
}

void Hide(short dialId, std::initializer_list<Item> items)
{
    for (Item item : items)
        DGHideItem(dialId, Id(item));
}

// [UI thread] The window's callback; userData carries the check's serial.
short WindowCallback(short message, short dialId, short item, DGUserData userData, DGMessageData)
{
    const auto serial = static_cast<UInt32>(userData);
    switch (message) {
    case DG_MSG_INIT:
        CheckWindowOpened(serial, dialId);
        ACAPI_RegisterModelessWindow(dialId, nullptr, ModelessControlFlags, GS::NULLGuid);
        FillResultWindow(dialId, CurrentCheck());
        return 0;
    case DG_MSG_CLOSE:
        ACAPI_UnregisterModelessWindow(dialId);
        CheckWindowClosed(serial);
        return 1;
    case DG_MSG_CLICK:
        switch (static_cast<Item>(item)) {
        case Item::HomePage:
            DGModelessClose(dialId);
            OpenUrl(HomePageAddress());
            return item;
        case Item::Cancel:
            CancelCheck(serial);
            DGModelessClose(dialId);
            return item;
        case Item::AddOnDownload:
        case Item::LibraryDownload:
            DGModelessClose(dialId);
            OpenUrl(UpdatePageAddress(static_cast<Item>(item) == Item::LibraryDownload ? Download::Library
                                                                                       : Download::AddOn));
            return item;
        default:
            return 0;
        }
    default:
        return 0;
    }
}

} // namespace

short CreateResultWindow(UInt32 serial)
{
    const GSResModule module = ACAPI_GetOwnResModule();
    return DGModelessInit(module, ResultWindowId, module, WindowCallback, static_cast<DGUserData>(serial),
                          DG_DLG_NOGROW);
}

void FillResultWindow(short dialId, const CheckView& check)
{
    DGSetDialogSize(dialId, DG_CLIENT, WindowWidth, WindowHeight, DG_TOPLEFT, true);
    DGBeginMoveGrowItems(dialId);
    DGSetDialogTitle(dialId, TS_String(hostapi::AddOnName).ToUniString());
    SetItemMessage(dialId, Id(Item::Cancel), CancelMessage);
    SetItemMessage(dialId, Id(Item::HomePage), NewsMessage);
    SetItemMessage(dialId, Id(Item::AddOnDownload), DownloadUpdateMessage);
    SetItemMessage(dialId, Id(Item::LibraryDownload), DownloadUpdateMessage);

    if (check.addOn == Finding::Checking) {
        Hide(dialId, {Item::HomePage, Item::AddOnDownload, Item::LibraryDownload, Item::AddOnStatus,
                      Item::LibraryStatus});
        // Our own status while the list is fetched: the window says what it waits for.
        SetItemMessage(dialId, Id(Item::Status), CheckingMessage);
    } else {
        // A worker fills an open window one call at a time, and the UI thread may draw
        // it between two calls. The add-on's line changes last in either layout: a
        // window that shows it shows the whole result (what a person or a script
        // waits for).
        const bool upToDate = check.addOn == Finding::UpToDate;
        Show(dialId, {Item::HomePage, Item::AddOnStatus, Item::LibraryStatus, Item::AddOnDownload});
        if (upToDate)
            DGDisableItem(dialId, Id(Item::AddOnDownload));
        else
            DGEnableItem(dialId, Id(Item::AddOnDownload));
        const TS_String addOnText =
            LocalisedText(MessageListBase, upToDate ? AddOnUpToDateMessage : AddOnUpdateMessage)
                .Replace("ADDONNAME", hostapi::AddOnName);
        if (check.libraryKnown) {
            Show(dialId, {Item::LibraryDownload, Item::Status});
            SetItemMessage(dialId, Id(Item::Status),
                           upToDate && check.library == Finding::UpToDate ? NoUpdateMessage
                                                                          : UpdateAvailableMessage);
            SetItemMessage(dialId, Id(Item::LibraryDownload), DownloadLibraryMessage);
            SetItemText(dialId, Id(Item::LibraryStatus),
                        LocalisedText(MessageListBase, LibraryUpToDateMessage)
                            .Replace(TS_String("ADDONLIBNAME"), check.libraryName));
            SetItemText(dialId, Id(Item::AddOnStatus), addOnText);
        } else {
            Hide(dialId, {Item::LibraryDownload, Item::LibraryStatus, Item::Status});
            SetItemMessage(dialId, Id(Item::AddOnStatus),
                           upToDate ? NoUpdateMessage : UpdateAvailableMessage);
        }
    }
    DGEndMoveGrowItems(dialId);
    DGRedrawItem(dialId, DG_ALL_ITEMS);
}

void ShowResultWindow(short dialId)
{
    DGShowModelessDialog(dialId, 0);
}

void CloseResultWindow(short dialId)
{
    DGModelessClose(dialId);
}

} // namespace velmora::update
