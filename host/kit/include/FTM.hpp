// FTM: the host's file-type manager, which names the file types that file dialogs offer.
#pragma once

#include "GSRoot.hpp"

namespace FTM {

using GeneralID = UInt32;
using TypeID = GeneralID;
using GroupID = GeneralID;
constexpr GroupID RootGroup = 0;

struct KIT_API FileType {
    FileType(const char* description, const char* extension, UInt32 macType, UInt32 macCreator,
             Int32 iconId, void* reader = nullptr, void* data = nullptr, bool final = true);
    char description[128];
    char extension[16];
    UInt32 macType;
    UInt32 macCreator;
    Int32 iconId;
};

class KIT_API FileTypeManager {
public:
    explicit FileTypeManager(const char* name);
    ~FileTypeManager();
    FileTypeManager(const FileTypeManager&) = delete;
    FileTypeManager& operator=(const FileTypeManager&) = delete;
    // Registers a file type in a group; returns its identifier (0 when refused).
    TypeID AddType(const FileType& type, GroupID group = RootGroup);
};

// Looks up a registered type by identifier; false when unknown.
KIT_API bool GetFileType(TypeID id, FileType* out);

}  // namespace FTM
