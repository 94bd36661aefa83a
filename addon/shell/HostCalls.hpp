// The add-on's only way to the host: thin wrappers over the host-function table.
// Each wrapper first tests its table entry; an empty entry gives APIERR_NOTSUPPORTED
// (0x81060387) without calling, and no table at all gives APIERR_GENERAL. Host
// results are passed back unchanged. The stored host token is passed where the
// host wants to know which add-on calls.
#pragma once

#include "ACAPI.hpp"
#include "GSRoot.hpp"
#include "IO.hpp"

GSErrCode ACAPI_Register_Menu(Int16 menuStrResID, Int16 promptStrResID, Int32 position, Int32 flags);
GSErrCode ACAPI_RegisterSupportedService();  // host entry 17, called with a null argument
GSErrCode ACAPI_Install_MenuHandler(Int16 menuStrResID, APIMenuCommandProc handler);
void ACAPI_KeepInMemory(bool keep);  // an empty entry makes it do nothing
GSErrCode ACAPI_RegisterModelessWindow(Int32 refId, APIModelessWindowCallbackProc callback, Int32 controlFlags,
                                       const GS::Guid& windowId);
GSErrCode ACAPI_UnregisterModelessWindow(Int32 refId);
GSErrCode ACAPI_Interface(Int32 code, void* p1, void* p2, void* p3, void* p4);

// Local glue, no table entry.
GSResModule ACAPI_GetOwnResModule();
GSErrCode ACAPI_GetOwnLocation(IO::Location* out);
