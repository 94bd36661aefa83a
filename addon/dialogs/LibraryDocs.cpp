#include "dialogs/LibraryDocs.hpp"

#include "DG.h"
#include "core/ResStrings.hpp"
#include "hostapi/HostCalls.hpp"
#include "language/Language.hpp"
#include "services/Alerts.hpp"
#include "services/ShellOpen.hpp"

namespace velmora::dialogs {

using namespace core;
using namespace language;
using namespace services;

namespace {

constexpr Int32 UnknownDocumentText = 15; // library list: "documento sconosciuto!"

} // namespace

void GetOwnFilePath(TS_String& path, bool withoutFileName)
{
    IO::Location own;
    if (ACAPI_GetOwnLocation(&own) != NoError) {
        path.Clear();
        return;
    }
    path.FromLocation(own);
    if (withoutFileName)
        path.RemoveLastPathPart();
}

void OpenLibraryDocument(const char* name)
{
    TS_String path;
    GetOwnFilePath(path, false);
    if (!path.IsNull()) {
        const Int32 separator = path.ReverseFindChar('\\');
        TS_String folder = separator < 0 ? TS_String("") : path.Mid(0, static_cast<UInt32>(separator) + 1);
        path = folder + TS_String(name);
    }
    if (OpenDocument(path))
        return;
    // The same message for both documents: the user learns that the installation
    // lacks a document, not which file name it has.
    const TS_String message = PrefixedMessage(LocalisedText(LibraryListBase, UnknownDocumentText),
                                              MessageKind::Error, TS_String(": "), FirstUnitCase::Lower);
    ShowAlert(DG_ERROR, TS_String(""), message, TS_String(""));
}

} // namespace velmora::dialogs
