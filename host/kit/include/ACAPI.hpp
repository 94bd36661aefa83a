// The add-on interface of the host: the records exchanged with an add-on, the
// signatures of its entry points and of the host functions in the host-function
// table, and the table indices of the functions the host offers.
#pragma once

#include <cstring>

#include "GSRoot.hpp"

// Error codes of the add-on interface.
constexpr GSErrCode APIERR_GENERAL = static_cast<GSErrCode>(0x81060001);
constexpr GSErrCode APIERR_BADPARS = static_cast<GSErrCode>(0x81060002);
constexpr GSErrCode APIERR_BADID = static_cast<GSErrCode>(0x81060004);
constexpr GSErrCode APIERR_NOTSUPPORTED = static_cast<GSErrCode>(0x81060387);
constexpr GSErrCode APIERR_MISSINGLOCATION = static_cast<GSErrCode>(0x81060385);

// The host-function table: 502 entries of 8 bytes.
constexpr int APIHostTableEntries = 502;
constexpr int APIHostTableBytes = APIHostTableEntries * 8;
static_assert(APIHostTableBytes == 4016);

enum APIHostEntry : int {
    APIEntry_RegisterMenu = 10,
    APIEntry_RegisterSupportedService = 17,
    APIEntry_InstallMenuHandler = 32,
    APIEntry_KeepInMemory = 55,
    APIEntry_RegisterModelessWindow = 58,
    APIEntry_UnregisterModelessWindow = 59,
    APIEntry_Interface = 77,
};

// Four-character function codes of ACAPI_Interface.
constexpr Int32 APIIo_SetMenuItemTextID = 0x534D4954;  // 'SMIT'
constexpr Int32 APIIo_GetMenuItemFlagsID = 0x474D4946; // 'GMIF'
constexpr Int32 APIIo_SetMenuItemFlagsID = 0x534D4946; // 'SMIF'

constexpr Int32 API_MenuItemChecked = 2;

// Add-on kind codes returned by CheckEnvironment.
constexpr Int32 APIAddon_DontRegister = 0;
constexpr Int32 APIAddon_Normal = 2;

constexpr Int32 APIMenuCode_UserDef = 13;

// Byte layouts; every record is cleared to zero before it is filled.
struct API_ExportRecord { // filled by GetExportedFuncAddrs
    static constexpr int Size = 120;
    unsigned char bytes[Size];
    static constexpr int VersionWordOffset = 0;      // 32-bit
    static constexpr int CheckEnvironmentOffset = 8; // the four entry points, 64-bit each
    static constexpr int RegisterInterfaceOffset = 16;
    static constexpr int InitializeOffset = 24;
    static constexpr int FreeDataOffset = 32;
    static constexpr int InterfaceVersionOffset = 40; // 32-bit
};
struct API_EnvirParams { // given to CheckEnvironment
    unsigned char bytes[640];
    static constexpr int NameOffset = 128;
    static constexpr int DescriptionOffset = 384;
    static constexpr int TextCapacity = 256;
};
struct API_MenuRegistration { // argument of host entry 10
    Int16 menuStrResID;       // byte 0
    Int16 promptStrResID;     // byte 2
    Int32 position;           // byte 4
    Int32 flags;              // byte 8
    unsigned char filler[20];
};
static_assert(sizeof(API_MenuRegistration) == 32);
struct API_MenuParams { // what a menu handler receives
    Int16 menuResID;    // byte 0
    Int16 filler1;
    Int32 itemIndex; // byte 4
    unsigned char filler2[8];
};
static_assert(sizeof(API_MenuParams) == 16);
struct API_MenuItemRef { // first parameter of 'SMIT', 'GMIF' and 'SMIF'
    Int16 menuResID;     // byte 0
    Int16 filler1;
    Int32 itemIndex; // byte 4
    unsigned char filler2[8];
};
static_assert(sizeof(API_MenuItemRef) == 16);
struct API_ModelessWindowRec { // argument of host entry 58
    unsigned char bytes[80];
    static constexpr int RefIdOffset = 0;    // 32-bit
    static constexpr int CallbackOffset = 8; // 64-bit
    static constexpr int FlagsOffset = 16;   // 32-bit
    static constexpr int GuidOffset = 20;    // 16 bytes
};

// Threads and ownership. The host calls the add-on, and the add-on calls the host's
// functions of the table, only on the host's user-interface thread, one call at a
// time: [UI thread] below. Records handed over by pointer are borrowed for the call
// (the host copies what it keeps); the add-on's functions handed to the host
// (entry points, menu handlers, modeless-window callbacks) must stay valid until
// FreeData has returned. Nothing crosses between them that the receiver must free.

// Entry points of the add-on (addresses in the export record).
// [UI thread] Returns the add-on kind (APIAddon_Normal to register); writes the
// add-on's name and description into the host's record, which it borrows.
using APICheckEnvironmentProc = Int32 (*)(API_EnvirParams* envir);
// [UI thread] The add-on registers its menu and services.
using APIRegisterInterfaceProc = GSErrCode (*)();
// [UI thread] The add-on starts working; `token` names it in later host calls.
using APIInitializeProc = GSErrCode (*)(Int64 token);
// [UI thread] Called before the host unloads the add-on file: the add-on ends its
// own work (its worker threads too) before it returns.
using APIFreeDataProc = GSErrCode (*)();

// The two exported functions.
// [UI thread] Fills the host-owned 120-byte record, which it borrows.
using APIGetExportedFuncAddrsProc = void (*)(API_ExportRecord* record);
// [UI thread] The add-on copies the host's table (APIHostTableBytes); the host
// keeps its own.
using APISetImportedFuncAddrsProc = GSErrCode (*)(const void* const* table);

// Callbacks of the add-on that the host calls.
// [UI thread] A command of a menu of the add-on, one at a time; `params` is the
// host's, borrowed for the call. Returns 0.
using APIMenuCommandProc = GSErrCode (*)(const API_MenuParams* params);
// [UI thread] A message to a modeless window the add-on registered (`refId` is the
// add-on's reference from the registration record).
using APIModelessWindowCallbackProc = GSErrCode (*)(Int32 refId, Int32 message);

// Host functions of the table. The add-on calls each on the [UI thread]; `token` is
// the one given to Initialize (0 before it).
// Registers the add-on's menu from the record, which the host copies.
using APIRegisterMenuProc = GSErrCode (*)(const API_MenuRegistration* registration);
// Host entry 17, called with a null argument after the menu is registered.
using APIRegisterSupportedServiceProc = GSErrCode (*)(void* nothing);
// Installs the handler of one menu; the host keeps the function until the add-on is
// freed and calls it on the UI thread.
using APIInstallMenuHandlerProc = GSErrCode (*)(Int64 token, Int16 menuStrResID, APIMenuCommandProc handler);
// Asks the host to keep the add-on loaded between commands (or allows unloading).
using APIKeepInMemoryProc = GSErrCode (*)(Int64 token, bool keep);
// Registers a modeless window; the host copies the record and keeps its callback
// until the window is unregistered, calling it on the UI thread.
using APIRegisterModelessWindowProc = GSErrCode (*)(Int64 token, const API_ModelessWindowRec* record);
using APIUnregisterModelessWindowProc = GSErrCode (*)(Int64 token, Int32 refId);
// The interface functions by four-character code ('SMIT', 'GMIF', 'SMIF'); the
// parameters are the add-on's, borrowed for the call ('GMIF' writes the flag word).
using APIInterfaceProc = GSErrCode (*)(Int64 token, Int32 code, void* p1, void* p2, void* p3, void* p4);
