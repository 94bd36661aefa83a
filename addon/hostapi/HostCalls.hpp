// The add-on's only way to the host: thin wrappers over the host-function table.
// Each wrapper first tests its table entry; an empty entry gives APIERR_NOTSUPPORTED
// (0x81060387) without calling, and no table at all gives APIERR_GENERAL. Host
// results are passed back unchanged. The stored host token is passed where the
// host wants to know which add-on calls.
#pragma once

#include "ACAPI.hpp"
#include "GSRoot.hpp"
#include "IO.hpp"

// Threads: every wrapper of a table entry is called on the host's user-interface
// thread ([UI thread]), as the host requires of its functions; the worker threads
// of the add-on make no host calls of their own (what they show goes through the
// host's dialog library, which runs it on the UI thread, whose callbacks make the
// calls). The local glue below may be called on any thread. Records and texts passed in are borrowed
// for the call; the host copies what it keeps. Functions handed to the host
// (handlers, callbacks) are the add-on's and stay valid until FreeData.

// [UI thread] Registers menu `menuStrResID` (a STR# list: title and items) at
// `position`; the host shows it from then on.
GSErrCode ACAPI_Register_Menu(Int16 menuStrResID, Int16 promptStrResID, Int32 position, Int32 flags);
// [UI thread] Host entry 17, called with a null argument after the menu.
GSErrCode ACAPI_RegisterSupportedService();
// [UI thread] Installs `handler` for the menu; the host calls it on the UI thread,
// one command at a time, with parameters it owns.
GSErrCode ACAPI_Install_MenuHandler(Int16 menuStrResID, APIMenuCommandProc handler);
// [UI thread] Asks the host to keep the add-on loaded; an empty entry makes it do
// nothing.
void ACAPI_KeepInMemory(bool keep);
// [UI thread] Registers the modeless window `refId`; the host calls `callback` on
// the UI thread until ACAPI_UnregisterModelessWindow. `windowId` is copied.
GSErrCode ACAPI_RegisterModelessWindow(Int32 refId, APIModelessWindowCallbackProc callback,
                                       Int32 controlFlags, const GS::Guid& windowId);
// [UI thread] Ends the registration of the modeless window `refId`.
GSErrCode ACAPI_UnregisterModelessWindow(Int32 refId);
// [UI thread] An interface function by code ('SMIT', 'GMIF', 'SMIF'); p1 to p4 are
// borrowed for the call.
GSErrCode ACAPI_Interface(Int32 code, void* p1, void* p2, void* p3, void* p4);

// Local glue, no table entry.
// [any thread] The add-on's resource module (InvalidResModule before the load and
// after the unload).
GSResModule ACAPI_GetOwnResModule();
// [any thread] Copies the add-on file's location into `out` (the caller's); 0, or
// APIERR_MISSINGLOCATION with an empty location, or APIERR_BADPARS for a null `out`.
GSErrCode ACAPI_GetOwnLocation(IO::Location* out);
