#include "dialogs/SaveFileDialog.hpp"

#include "DG.h"

namespace velmora::dialogs {

using namespace core;

namespace {

constexpr UInt32 HostCreatorCode = 0x47534143; // 'GSAC'
constexpr Int32 TextFileIcon = 145;

// ANSI bytes of a text, or an empty text when it cannot be converted.
const char* BytesOrEmpty(const EncodedBytes& bytes)
{
    return bytes.data != nullptr ? bytes.data : "";
}

} // namespace

bool AskSaveFileName(TS_String& path, const char* description, const char* extension, UInt32 typeCode,
                     const TS_String& title, const TS_String& defaultName)
{
    const EncodedBytes descriptionBytes = TS_String(description).ToBytes(TextEncoding::Ansi);
    const EncodedBytes extensionBytes = TS_String(extension).ToBytes(TextEncoding::Ansi);
    // The manager owns the type it registers: the type is known to the dialog until
    // the manager goes away at the end of this function.
    FTM::FileTypeManager manager("Module");
    const FTM::TypeID type =
        manager.AddType(FTM::FileType(BytesOrEmpty(descriptionBytes), BytesOrEmpty(extensionBytes),
                                      HostCreatorCode, typeCode, TextFileIcon, nullptr, nullptr, true),
                        FTM::RootGroup);
    TS_List<FTM::GeneralID> types;
    types.Insert(type);

    TS_String fileName, folder;
    const TS_String* fileNameArg = nullptr;
    const TS_String* folderArg = nullptr;
    if (!defaultName.IsNull()) {
        TS_String name = defaultName;
        if (name.EndsWith(TS_String("\\")))
            name = name.Mid(0, name.GetLength() - 1);
        fileName = name.FileNamePart();
        fileNameArg = &fileName;
        if (name.ReverseFindChar('\\') >= 0) {
            folder = name.FolderPart(false);
            if (!folder.IsEmpty())
                folderArg = &folder;
        }
    }
    return RunSaveDialog(path, fileNameArg, folderArg, title, types, nullptr);
}

bool RunSaveDialog(TS_String& path, const TS_String* defaultFileName, const TS_String* defaultFolder,
                   const TS_String& title, const TS_List<FTM::GeneralID>& types, UInt32* filterIndex)
{
    DG::FileDialog dialog(DG::FileDialog::Save);
    for (Int32 i = 0; i < types.GetCount(); ++i)
        dialog.AddFilter(types[i], 0);
    if (!title.IsEmpty())
        dialog.SetTitle(title.ToUniString());
    if (defaultFolder != nullptr)
        dialog.SetFolder(defaultFolder->ToLocation());
    if (defaultFileName != nullptr)
        dialog.SelectFile(defaultFileName->ToLocation());
    if (!dialog.Invoke())
        return false;
    path.FromLocation(dialog.GetSelectedFile(0));
    if (filterIndex != nullptr)
        *filterIndex = dialog.GetSelectedFilter();
    return true;
}

} // namespace velmora::dialogs
