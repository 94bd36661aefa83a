// The language dialog: one row per offered language, each showing the language's
// flag and name. Selecting a row previews that language at once (the Cancel button
// and the note speak it); OK stores a different language, Cancel restores the one
// of the opening.
#include "DG.h"
#include "core/ModalDialog.hpp"
#include "core/ResStrings.hpp"
#include "core/TS_List.hpp"
#include "hostapi/AddOnIdentity.hpp"
#include "hostapi/HostCalls.hpp"
#include "language/Language.hpp"

namespace velmora::language {

using namespace core;

const char* const AvailableLanguages = "ita int";

namespace {

constexpr short LanguageDialogId = 32734;
constexpr short DialogWidth = 483;
constexpr short DialogHeight = 282;
constexpr short OkButton = DialogOkItem;
constexpr short CancelButton = DialogCancelItem;
constexpr short LanguageList = 3;
constexpr short RestartNote = 6;
constexpr Int32 OkText = 64;
constexpr Int32 CancelText = 5;
constexpr Int32 RestartNoteText = 65;
constexpr short FirstRowImage = 32758;
constexpr short RowHeight = 30;

// What the dialog needs to know of its opening.
struct LanguageDialogData {
    Int16 languageAtOpening;
};

// The language of each row (row r has entry r - 1); made on the first call of the
// dialog's callback, rebuilt at each opening, kept while the add-on is loaded.
TS_List<short>& LanguageRows()
{
    static TS_List<short> rows;
    return rows;
}

// The language of the selected row, or -1 when no row is selected.
Int16 SelectedLanguage(short dialId)
{
    TS_List<short>& rows = LanguageRows();
    short row = DGListGetSelected(dialId, LanguageList, 0);
    if (row < 1 || row > rows.GetCount())
        return -1;
    return rows[row - 1];
}

void FillLanguageDialog(short dialId, DGUserData /*userData*/)
{
    DGSetDialogTitle(dialId, TS_String(velmora::hostapi::AddOnName).ToUniString());
    SetItemMessage(dialId, OkButton, OkText);
    SetItemMessage(dialId, CancelButton, CancelText);
    SetItemMessage(dialId, RestartNote, RestartNoteText);

    TS_List<short>& rows = LanguageRows();
    DGListSetTabFieldCount(dialId, LanguageList, 1);
    DGListSetTabFieldData(dialId, LanguageList, 1, 5, 285);
    DGListSetItemHeight(dialId, LanguageList, RowHeight);
    DGDisableDraw(dialId, LanguageList);
    DGListSelectItem(dialId, LanguageList, 0);
    DGListDeleteItem(dialId, LanguageList, DG_ALL_ITEMS);
    rows.RemoveAll();

    TS_String offered(AvailableLanguages);
    short currentRow = 0;
    for (Int16 i = 0; i < LanguageCount; ++i) {
        if (offered.GetLength() > 0 && offered.FindNoCase(LanguageCodes[i], 0) < 0)
            continue;
        rows.Insert(i, -1);
        DGListInsertItem(dialId, LanguageList, DG_LIST_BOTTOM);
        short row = DGListGetItemCount(dialId, LanguageList);
        DGListSetTabItemText(dialId, LanguageList, row, 1, GS::UniString());
        DGListSetTabItemIcon(dialId, LanguageList, row, 1,
                             DG::Icon(ACAPI_GetOwnResModule(), static_cast<GSResID>(FirstRowImage + i)));
        if (i == CurrentLanguage)
            currentRow = row;
    }
    DGEnableDraw(dialId, LanguageList);
    DGRedrawItem(dialId, LanguageList);
    DGListSelectItem(dialId, LanguageList, currentRow > 0 ? currentRow : 1);
}

// Selecting a row previews its language at once.
void LanguageChanged(short dialId, short item, DGUserData /*userData*/)
{
    if (item != LanguageList)
        return;
    Int16 previewed = SelectedLanguage(dialId);
    if (previewed >= 0) {
        CurrentLanguage = previewed;
        SetItemMessage(dialId, CancelButton, CancelText);
        SetItemMessage(dialId, RestartNote, RestartNoteText);
    }
}

short LanguageClicked(short dialId, short item, DGUserData userData)
{
    const auto* data = reinterpret_cast<const LanguageDialogData*>(userData);
    if (item == OkButton) {
        Int16 chosen = SelectedLanguage(dialId);
        if (chosen >= 0 && chosen != data->languageAtOpening) {
            CurrentLanguage = chosen;
            SaveLanguage();
        }
    } else if (item == CancelButton) {
        CurrentLanguage = data->languageAtOpening;
    }
    return 0;
}

} // namespace

short LanguageDialogCallback(short message, short dialId, short item, DGUserData userData,
                             DGMessageData msgData)
{
    LanguageRows();
    if (dialId != LanguageDialogId)
        return 0;
    static const DialogSteps steps{.width = DialogWidth,
                                   .height = DialogHeight,
                                   .fill = FillLanguageDialog,
                                   .click = LanguageClicked,
                                   .change = LanguageChanged};
    return HandleDialogMessage(steps, message, dialId, item, userData, msgData);
}

bool ShowLanguageDialog()
{
    LanguageDialogData data{CurrentLanguage};
    GSResModule module = ACAPI_GetOwnResModule();
    short result = DGModalDialog(module, LanguageDialogId, module, LanguageDialogCallback,
                                 reinterpret_cast<DGUserData>(&data));
    return result == OkButton;
}

} // namespace velmora::language
