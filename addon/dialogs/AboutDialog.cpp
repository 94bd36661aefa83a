#include "dialogs/AboutDialog.hpp"

#include "core/ResStrings.hpp"
#include "core/TS_String.hpp"
#include "dialogs/LibraryDocs.hpp"
#include "shell/HostCalls.hpp"

namespace {

constexpr short AboutDialogId = 32500;
constexpr short DialogWidth = 960;
constexpr short DialogHeight = 510;

constexpr short OkButton = 1;
constexpr short CancelButton = 2; // hidden; the close box and Esc reach the dialog through it
constexpr short DescriptionText = 4;
constexpr short ManualButton = 6;
constexpr short ObjectListButton = 7;

// Library list entries.
constexpr Int32 TitleText = 4;
constexpr Int32 FirstDescriptionText = 5; // 5 to 8, each ending with its own line break
constexpr Int32 LastDescriptionText = 8;
constexpr Int32 ManualButtonText = 13;
constexpr Int32 ObjectListButtonText = 14;
// Message list entries.
constexpr Int32 OkText = 64;
constexpr Int32 CancelText = 5;

void SetItemText(short dialId, short item, const TS_String& text)
{
    DGSetItemText(dialId, item, text.ToUniString());
}

void FillAboutDialog(short dialId)
{
    TS_String description("");
    for (Int32 entry = FirstDescriptionText; entry <= LastDescriptionText; ++entry)
        description += LocalisedText(LibraryListBase, entry);

    DGSetDialogTitle(dialId, LocalisedText(LibraryListBase, TitleText).ToUniString());
    SetItemText(dialId, OkButton, LocalisedText(MessageListBase, OkText));
    SetItemText(dialId, CancelButton, LocalisedText(MessageListBase, CancelText));
    SetItemText(dialId, DescriptionText, description);
    SetItemText(dialId, ManualButton, LocalisedText(LibraryListBase, ManualButtonText));
    SetItemText(dialId, ObjectListButton, LocalisedText(LibraryListBase, ObjectListButtonText));
    DGHideItem(dialId, CancelButton);
}

} // namespace

short AboutDialogCallback(short message, short dialId, short item, DGUserData userData, DGMessageData)
{
    auto* slot = reinterpret_cast<Int16*>(userData);
    switch (message) {
    case DG_MSG_INIT:
        if (slot != nullptr)
            *slot = dialId;
        FillAboutDialog(dialId);
        // Whatever size the resource gives, the picture and the text need this one.
        DGSetDialogSize(dialId, DG_CLIENT, DialogWidth, DialogHeight, DG_TOPLEFT, true);
        DGSetFocus(dialId, DG_NO_ITEM);
        return 0;
    case DG_MSG_CLOSE:
        if (slot != nullptr)
            *slot = 0;
        return item;
    case DG_MSG_CLICK:
        switch (item) {
        case OkButton:
        case CancelButton:
            return item;
        case ManualButton:
            OpenLibraryDocument(LibraryDocument1);
            return 0;
        case ObjectListButton:
            OpenLibraryDocument(LibraryDocument2);
            return 0;
        default:
            return 0;
        }
    default:
        return 0;
    }
}

void ShowAboutDialog(Int16* dialogSlot)
{
    GSResModule module = ACAPI_GetOwnResModule();
    DGModalDialog(module, AboutDialogId, module, AboutDialogCallback,
                  reinterpret_cast<DGUserData>(dialogSlot));
}
