#include "dialogs/InfoDialog.hpp"

#include "core/ResStrings.hpp"
#include "dialogs/TextExport.hpp"
#include "shell/AddOnIdentity.hpp"
#include "shell/HostCalls.hpp"

namespace {

constexpr short InfoDialogId = 32501;
constexpr short DialogWidth = 705;
constexpr short DialogHeight = 503;

constexpr short OkButton = 1;
constexpr short CancelButton = 2; // placed outside the client area, never seen
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

void SetItemText(short dialId, short item, const TS_String& text)
{
    DGSetItemText(dialId, item, text.ToUniString());
}

void FillInfoDialog(short dialId, const InfoRecord& record)
{
    const TS_String empty("");
    DGSetDialogTitle(dialId, TS_String(velmora::AddOnName).ToUniString());
    SetItemText(dialId, OkButton, LocalisedText(MessageListBase, OkText));
    SetItemText(dialId, CancelButton, LocalisedText(MessageListBase, CancelText));
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

} // namespace

short InfoDialogCallback(short message, short dialId, short item, DGUserData userData, DGMessageData)
{
    auto* record = reinterpret_cast<InfoRecord*>(userData);
    if (record == nullptr)
        return 0;
    switch (message) {
    case DG_MSG_INIT:
        record->dialogId = static_cast<UInt16>(dialId);
        FillInfoDialog(dialId, *record);
        DGSetDialogSize(dialId, DG_CLIENT, DialogWidth, DialogHeight, DG_TOPLEFT, true);
        DGSetFocus(dialId, DG_NO_ITEM);
        return 0;
    case DG_MSG_CLOSE:
        record->dialogId = 0;
        return item;
    case DG_MSG_CLICK:
        if (item == OkButton || item == CancelButton)
            return item;
        if (item == SaveAsTextButton)
            SaveInfoAsText(*record);
        return 0;
    default:
        return 0;
    }
}

bool ShowInfoDialog()
{
    InfoRecord record;
    ResetVersionRecord(record.version);
    ParseVersionLine(TS_String(velmora::AddOnVersionLine), record.version);
    GSResModule module = ACAPI_GetOwnResModule();
    return DGModalDialog(module, InfoDialogId, module, InfoDialogCallback,
                         reinterpret_cast<DGUserData>(&record)) == OkButton;
}
