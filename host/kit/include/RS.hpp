// RS: the host's resource manager. An add-on's resources are compiled into its
// own library file; the host opens them through the module handle of the loaded
// library and hands back a resource module number for every later lookup.
#pragma once

#include "GSRoot.hpp"

// Four-character resource types, first character in the most significant byte.
constexpr GSResType RSType(char a, char b, char c, char d)
{
    return (static_cast<GSResType>(static_cast<UInt8>(a)) << 24) |
           (static_cast<GSResType>(static_cast<UInt8>(b)) << 16) |
           (static_cast<GSResType>(static_cast<UInt8>(c)) << 8) | static_cast<GSResType>(static_cast<UInt8>(d));
}
constexpr GSResType StrsResType = RSType('S', 'T', 'R', 'S');  // string lists
constexpr GSResType MdidResType = RSType('M', 'D', 'I', 'D');  // module identifier
constexpr GSResType DlgResType = RSType('G', 'D', 'L', 'G');   // dialogs
constexpr GSResType BmpResType = RSType('G', 'B', 'M', 'P');   // bitmaps (BMP files)
constexpr GSResType IcoResType = RSType('G', 'I', 'C', 'N');   // icons (BMP files)

extern "C" {
// Opens the resources of a loaded library (its HMODULE on Windows, its dlopen handle
// or any address inside it elsewhere). Returns InvalidResModule when it has none.
KIT_API GSResModule RSInitModuleImageCache(void* moduleHandle);
KIT_API void RSRemoveModuleImageCache(GSResModule module);

// Fetches entry `index` (from 1) of string list `listId` into `buffer`, which holds
// `capacity` UTF-16 units; the text is cut to fit and always terminated. Returns
// whether the entry was found. `label` and `line` name the caller in diagnostics.
KIT_API bool RSGetIndString_ParamAdapter(GS::uchar_t* buffer, Int32 capacity, Int32 listId, Int32 index,
                                         GSResModule module, Int32 stringType, const char* label,
                                         Int32 line);

// A copy of a whole resource as a handle (release with BMKillHandle), or null.
KIT_API GSHandle RSLoadResource(GSResType type, GSResModule module, GSResID id);
}
