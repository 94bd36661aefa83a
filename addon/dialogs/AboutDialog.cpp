#include "dialogs/AboutDialog.hpp"

#include "core/ResStrings.hpp"
#include "core/TS_String.hpp"
#include "dialogs/LibraryDocs.hpp"
#include "hostapi/HostCalls.hpp"
#include "language/Language.hpp"

namespace velmora::dialogs {

using namespace core;
using namespace language;

namespace {

constexpr short AboutDialogId = 32500;
constexpr short DialogWidth = 960;
constexpr short DialogHeight = 510;

constexpr short OkButton = DialogOkItem;
constexpr short CancelButton = DialogCancelItem; // hidden; the window's close box reaches it
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

void FillAboutDialog(short dialId, DGUserData /*userData*/)
{
    TS_String description("");
    for (Int32 entry = FirstDescriptionText; entry <= LastDescriptionText; ++entry)
        description += LocalisedText(LibraryListBase, entry);

    DGSetDialogTitle(dialId, LocalisedText(LibraryListBase, TitleText).ToUniString());
    SetItemMessage(dialId, OkButton, OkText);
    SetItemMessage(dialId, CancelButton, CancelText);
    SetItemText(dialId, DescriptionText, description);
    SetItemText(dialId, ManualButton, LocalisedText(LibraryListBase, ManualButtonText));
    SetItemText(dialId, ObjectListButton, LocalisedText(LibraryListBase, ObjectListButtonText));
    DGHideItem(dialId, CancelButton);
}

// The document buttons leave the dialog open: a document may be wanted again.
short AboutDialogClicked(short /*dialId*/, short item, DGUserData /*userData*/)
{
    if (item == ManualButton)
        OpenLibraryDocument(LibraryDocument1);
    else if (item == ObjectListButton)
        OpenLibraryDocument(LibraryDocument2);
    return 0;
}

DialogIdSlot* AboutDialogSlot(DGUserData userData)
{
    return reinterpret_cast<DialogIdSlot*>(userData);
}

} // namespace

short AboutDialogCallback(short message, short dialId, short item, DGUserData userData, DGMessageData msgData)
{
    // Whatever size the resource gives, the picture and the text need this one.
    static const DialogSteps steps{.width = DialogWidth,
                                   .height = DialogHeight,
                                   .fill = FillAboutDialog,
                                   .click = AboutDialogClicked,
                                   .slot = AboutDialogSlot};
    return HandleDialogMessage(steps, message, dialId, item, userData, msgData);
}

void ShowAboutDialog(DialogIdSlot* dialogSlot)
{
    GSResModule module = ACAPI_GetOwnResModule();
    DGModalDialog(module, AboutDialogId, module, AboutDialogCallback,
                  reinterpret_cast<DGUserData>(dialogSlot));
}

} // namespace velmora::dialogs
