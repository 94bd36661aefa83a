#include "dialogs/InfoDialog.hpp"

#include "core/ResStrings.hpp"
#include "dialogs/TextExport.hpp"
#include "hostapi/AddOnIdentity.hpp"
#include "hostapi/HostCalls.hpp"
#include "language/Language.hpp"

namespace velmora::dialogs {

using namespace core;
using namespace language;

namespace {

constexpr short InfoDialogId = 32501;
constexpr short DialogWidth = 705;
constexpr short DialogHeight = 503;

constexpr short OkButton = DialogOkItem;
constexpr short CancelButton = DialogCancelItem; // placed outside the client area, never seen
constexpr short NameText = 4;
constexpr short VersionText = 5;
constexpr short DateText = 6;
constexpr short SystemText = 7;
constexpr short HostText = 8;
constexpr short SaveAsTextButton = 15;

// Message list entries.
constexpr Int32 OkText = 64;
constexpr Int32 CancelText = 5;
// Library list entry.
constexpr Int32 SaveAsTextText = 20;

void FillInfoDialog(short dialId, DGUserData userData)
{
    const InfoRecord& record = *reinterpret_cast<const InfoRecord*>(userData);
    const TS_String empty("");
    DGSetDialogTitle(dialId, TS_String(velmora::hostapi::AddOnName).ToUniString());
    SetItemMessage(dialId, OkButton, OkText);
    SetItemMessage(dialId, CancelButton, CancelText);
    SetItemText(dialId, NameText, NameLine());
    for (short item : {short{11}, short{12}, short{13}})
        SetItemText(dialId, item, empty);
    SetItemText(dialId, SaveAsTextButton, LocalisedText(LibraryListBase, SaveAsTextText));
    SetItemText(dialId, VersionText, VersionInfoLine(record.version));
    SetItemText(dialId, DateText, DateInfoLine(record.version));
    SetItemText(dialId, SystemText, SystemInfoLine());
    SetItemText(dialId, HostText, HostInfoLine(record.version));
    for (short item : {short{9}, short{10}})
        SetItemText(dialId, item, empty);
}

// "Save as Text..." leaves the dialog open, whatever became of the export.
short InfoDialogClicked(short /*dialId*/, short item, DGUserData userData)
{
    if (item == SaveAsTextButton)
        SaveInfoAsText(*reinterpret_cast<const InfoRecord*>(userData));
    return 0;
}

DialogIdSlot* InfoDialogSlot(DGUserData userData)
{
    return &reinterpret_cast<InfoRecord*>(userData)->dialogId;
}

} // namespace

short InfoDialogCallback(short message, short dialId, short item, DGUserData userData, DGMessageData msgData)
{
    if (userData == 0)
        return 0;
    static const DialogSteps steps{.width = DialogWidth,
                                   .height = DialogHeight,
                                   .fill = FillInfoDialog,
                                   .click = InfoDialogClicked,
                                   .slot = InfoDialogSlot};
    return HandleDialogMessage(steps, message, dialId, item, userData, msgData);
}

bool ShowInfoDialog()
{
    InfoRecord record;
    update::ResetVersionRecord(record.version);
    update::ParseVersionLine(TS_String(velmora::hostapi::AddOnVersionLine), record.version);
    GSResModule module = ACAPI_GetOwnResModule();
    return DGModalDialog(module, InfoDialogId, module, InfoDialogCallback,
                         reinterpret_cast<DGUserData>(&record)) == OkButton;
}

} // namespace velmora::dialogs
