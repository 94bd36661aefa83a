#include "dialogs/TextExport.hpp"

#include "DG.h"
#include "core/ResStrings.hpp"
#include "dialogs/SaveFileDialog.hpp"
#include "dialogs/TextExportFile.hpp"
#include "language/Language.hpp"
#include "services/Alerts.hpp"

namespace velmora::dialogs {

using namespace core;
using namespace language;
using namespace services;

namespace {

// Library list entries.
constexpr Int32 SaveAsTextTitle = 20;
constexpr Int32 UntitledName = 21;
constexpr Int32 ErrorTitle = 22;
constexpr Int32 IncorrectNameText = 23;
constexpr Int32 CannotWriteText = 24;

constexpr UInt32 TextTypeCode = 0x54455854; // 'TEXT'
constexpr Int32 ExportLineCount = 8;

void ShowExportError(Int32 message)
{
    ShowAlert(DG_ERROR, LocalisedText(LibraryListBase, ErrorTitle), LocalisedText(LibraryListBase, message),
              TS_String(""));
}

} // namespace

bool HasTextExtension(const TS_String& path)
{
    const TS_String extension = path.ExtensionPart();
    return !extension.IsNull() && extension.CompareNoCase(0, TS_String("TXT")) == 0;
}

bool AskTextFileName(const InfoRecord&, TS_String& path, bool& cancelled)
{
    cancelled = false;
    if (!AskSaveFileName(path, "Text Files", "TXT", TextTypeCode,
                         LocalisedText(LibraryListBase, SaveAsTextTitle),
                         LocalisedText(LibraryListBase, UntitledName))) {
        cancelled = true;
        return true;
    }
    return HasTextExtension(path);
}

void SaveInfoAsText(const InfoRecord& record)
{
    TS_List<TS_String> lines;
    TS_String path;
    bool cancelled = false;
    while (!AskTextFileName(record, path, cancelled))
        ShowExportError(IncorrectNameText);
    if (cancelled)
        return;
    BuildInfoLines(record, lines);
    // A list that lost lines for want of memory must not pass for the whole export.
    if (lines.GetCount() != ExportLineCount || !WriteTextLines(path, lines))
        ShowExportError(CannotWriteText);
}

} // namespace velmora::dialogs
