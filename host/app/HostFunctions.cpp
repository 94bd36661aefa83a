#include "HostFunctions.hpp"

#include <bit>
#include <cstdio>
#include <cstring>

#include "AddonHost.hpp"
#include "RS.hpp"
#include "ReportText.hpp"

namespace velmora::host {

namespace {

// Largest string-list entry the host reads, in UTF-16 units.
constexpr Int32 StringCapacity = 512;
// Most entries the host reads from a menu's string list.
constexpr Int32 MaxMenuEntries = 64;

// A host call of the add-on with the token it passed, to be filled and recorded.
HostCall StartCall(int entry, const char* name, Int64 token)
{
    HostCall call;
    call.entry = entry;
    call.name = name;
    call.token = token;
    return call;
}

std::string Utf8Of(const GS::UniString& text)
{
    char* bytes = text.ToUtf8();
    std::string out = bytes != nullptr ? bytes : "";
    GS::DeleteArrayOperator(bytes);
    return out;
}

// --- The table's entries: plain functions that reach the current host ---------

GSErrCode HostRegisterMenu(const API_MenuRegistration* registration)
{
    AddonHost* host = AddonHost::Current();
    return host != nullptr ? host->RegisterMenu(registration) : APIERR_GENERAL;
}

GSErrCode HostRegisterSupportedService(void* nothing)
{
    AddonHost* host = AddonHost::Current();
    return host != nullptr ? host->RegisterSupportedService(nothing) : APIERR_GENERAL;
}

GSErrCode HostInstallMenuHandler(Int64 token, Int16 menuId, APIMenuCommandProc handler)
{
    AddonHost* host = AddonHost::Current();
    return host != nullptr ? host->InstallMenuHandler(token, menuId, handler) : APIERR_GENERAL;
}

GSErrCode HostKeepInMemory(Int64 token, bool keep)
{
    AddonHost* host = AddonHost::Current();
    return host != nullptr ? host->SetKeepInMemory(token, keep) : APIERR_GENERAL;
}

GSErrCode HostRegisterModelessWindow(Int64 token, const API_ModelessWindowRec* record)
{
    AddonHost* host = AddonHost::Current();
    return host != nullptr ? host->RegisterModelessWindow(token, record) : APIERR_GENERAL;
}

GSErrCode HostUnregisterModelessWindow(Int64 token, Int32 refId)
{
    AddonHost* host = AddonHost::Current();
    return host != nullptr ? host->UnregisterModelessWindow(token, refId) : APIERR_GENERAL;
}

GSErrCode HostInterface(Int64 token, Int32 code, void* p1, void* p2, void* p3, void* p4)
{
    AddonHost* host = AddonHost::Current();
    return host != nullptr ? host->Interface(token, code, p1, p2, p3, p4) : APIERR_GENERAL;
}

} // namespace

std::array<const void*, APIHostTableEntries> HostFunctionTable()
{
    std::array<const void*, APIHostTableEntries> table{};
    table[APIEntry_RegisterMenu] = std::bit_cast<const void*>(&HostRegisterMenu);
    table[APIEntry_RegisterSupportedService] = std::bit_cast<const void*>(&HostRegisterSupportedService);
    table[APIEntry_InstallMenuHandler] = std::bit_cast<const void*>(&HostInstallMenuHandler);
    table[APIEntry_KeepInMemory] = std::bit_cast<const void*>(&HostKeepInMemory);
    table[APIEntry_RegisterModelessWindow] = std::bit_cast<const void*>(&HostRegisterModelessWindow);
    table[APIEntry_UnregisterModelessWindow] = std::bit_cast<const void*>(&HostUnregisterModelessWindow);
    table[APIEntry_Interface] = std::bit_cast<const void*>(&HostInterface);
    return table;
}

// --- Host functions -------------------------------------------------------------

void AddonHost::Record(HostCall call)
{
    std::string line = "[call] " + CallText(call);
    {
        std::lock_guard<std::mutex> guard(lock);
        calls.push_back(std::move(call));
    }
    Say(line);
}

std::vector<std::string> AddonHost::ReadStringList(Int16 listId) const
{
    std::vector<std::string> entries;
    if (addonResModule == InvalidResModule)
        return entries;
    for (Int32 index = 1; index <= MaxMenuEntries; ++index) {
        GS::uchar_t buffer[StringCapacity] = {};
        if (!RSGetIndString_ParamAdapter(buffer, StringCapacity, listId, index, addonResModule, 0,
                                         "velmora-host", __LINE__))
            break;
        entries.push_back(Utf8Of(GS::UniString(buffer)));
    }
    return entries;
}

GSErrCode AddonHost::RegisterMenu(const API_MenuRegistration* registration)
{
    HostCall call;
    call.entry = APIEntry_RegisterMenu;
    call.name = "ACAPI_Register_Menu";
    if (registration == nullptr) {
        call.arguments = "null";
        call.result = APIERR_BADPARS;
        Record(call);
        return call.result;
    }
    call.menuId = registration->menuStrResID;
    call.code = registration->position;
    call.value = registration->flags;
    call.arguments = "menu=" + std::to_string(registration->menuStrResID) +
                     ", prompt=" + std::to_string(registration->promptStrResID) +
                     ", position=" + std::to_string(registration->position) +
                     ", flags=" + std::to_string(registration->flags);
    bool refused = false;
    Int16 registeredId = 0;
    {
        std::lock_guard<std::mutex> guard(lock);
        refused = menu.Registered();
        registeredId = menu.ListId();
    }
    std::vector<std::string> entries;
    if (!refused) {
        entries = ReadStringList(registration->menuStrResID);
        std::lock_guard<std::mutex> guard(lock);
        menu.Register(registration->menuStrResID, registration->promptStrResID, registration->position,
                      registration->flags, entries);
    }
    call.result = refused ? APIERR_GENERAL : NoError;
    Record(call);
    if (refused) {
        Say("[host] refused: menu " + std::to_string(registeredId) + " is already registered in this run");
    } else if (entries.empty()) {
        Say("[host] warning: the add-on's resources have no string list " +
            std::to_string(registration->menuStrResID) + " for the menu");
    } else {
        MenuText title = ParseMenuText(entries.front());
        Say("[host] menu " + Quoted(title.display) + " registered with " +
            std::to_string(entries.size() - 1) + " items");
    }
    return call.result;
}

GSErrCode AddonHost::RegisterSupportedService(void* nothing)
{
    HostCall call;
    call.entry = APIEntry_RegisterSupportedService;
    call.name = "ACAPI_RegisterSupportedService";
    call.arguments = nothing == nullptr ? "null" : "non-null";
    call.result = NoError;
    Record(call);
    return call.result;
}

GSErrCode AddonHost::InstallMenuHandler(Int64 token, Int16 menuId, APIMenuCommandProc handler)
{
    HostCall call = StartCall(APIEntry_InstallMenuHandler, "ACAPI_Install_MenuHandler", token);
    call.menuId = menuId;
    call.arguments = "token=" + TokenText(token) + ", menu=" + std::to_string(menuId) +
                     ", handler=" + (handler != nullptr ? "set" : "null");
    call.result = handler != nullptr ? NoError : APIERR_BADPARS;
    if (handler != nullptr) {
        std::lock_guard<std::mutex> guard(lock);
        handlers[menuId] = handler;
    }
    Record(call);
    return call.result;
}

GSErrCode AddonHost::SetKeepInMemory(Int64 token, bool keep)
{
    HostCall call = StartCall(APIEntry_KeepInMemory, "ACAPI_KeepInMemory", token);
    call.value = keep ? 1 : 0;
    call.arguments = "token=" + TokenText(token) + ", keep=" + (keep ? "true" : "false");
    {
        std::lock_guard<std::mutex> guard(lock);
        keepInMemory = keep;
    }
    Record(call);
    return call.result;
}

GSErrCode AddonHost::RegisterModelessWindow(Int64 token, const API_ModelessWindowRec* record)
{
    HostCall call = StartCall(APIEntry_RegisterModelessWindow, "ACAPI_RegisterModelessWindow", token);
    if (record == nullptr) {
        call.arguments = "token=" + TokenText(token) + ", null";
        call.result = APIERR_BADPARS;
        Record(call);
        return call.result;
    }
    ModelessWindow window;
    std::memcpy(&window.refId, record->bytes + API_ModelessWindowRec::RefIdOffset, sizeof(window.refId));
    std::memcpy(&window.callback, record->bytes + API_ModelessWindowRec::CallbackOffset,
                sizeof(window.callback));
    std::memcpy(&window.controlFlags, record->bytes + API_ModelessWindowRec::FlagsOffset,
                sizeof(window.controlFlags));
    std::memcpy(&window.windowId, record->bytes + API_ModelessWindowRec::GuidOffset, sizeof(window.windowId));
    call.value = window.refId;
    char guid[40];
    std::snprintf(guid, sizeof(guid), "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  static_cast<unsigned>(window.windowId.data1), static_cast<unsigned>(window.windowId.data2),
                  static_cast<unsigned>(window.windowId.data3), window.windowId.data4[0],
                  window.windowId.data4[1], window.windowId.data4[2], window.windowId.data4[3],
                  window.windowId.data4[4], window.windowId.data4[5], window.windowId.data4[6],
                  window.windowId.data4[7]);
    call.arguments = "token=" + TokenText(token) + ", ref=" + std::to_string(window.refId) +
                     ", callback=" + (window.callback != nullptr ? "set" : "null") +
                     ", flags=" + std::to_string(window.controlFlags) + ", window=" + guid;
    {
        std::lock_guard<std::mutex> guard(lock);
        bool known = false;
        for (const ModelessWindow& w : windows)
            known = known || w.refId == window.refId;
        if (known) {
            call.result = APIERR_BADID;
        } else {
            windows.push_back(window);
        }
    }
    Record(call);
    return call.result;
}

GSErrCode AddonHost::UnregisterModelessWindow(Int64 token, Int32 refId)
{
    HostCall call = StartCall(APIEntry_UnregisterModelessWindow, "ACAPI_UnregisterModelessWindow", token);
    call.value = refId;
    call.arguments = "token=" + TokenText(token) + ", ref=" + std::to_string(refId);
    {
        std::lock_guard<std::mutex> guard(lock);
        call.result = APIERR_BADID;
        for (auto it = windows.begin(); it != windows.end(); ++it) {
            if (it->refId == refId) {
                windows.erase(it);
                call.result = NoError;
                break;
            }
        }
    }
    Record(call);
    return call.result;
}

GSErrCode AddonHost::Interface(Int64 token, Int32 code, void* p1, void* p2, void* p3, void* p4)
{
    HostCall call = StartCall(APIEntry_Interface, "ACAPI_Interface", token);
    call.code = code;
    std::string arguments = FourCharText(code) + ", token=" + TokenText(token);
    auto* ref = static_cast<const API_MenuItemRef*>(p1);
    if (ref != nullptr) {
        call.menuId = ref->menuResID;
        call.item = ref->itemIndex;
        arguments += ", menu=" + std::to_string(ref->menuResID) + ", item=" + std::to_string(ref->itemIndex);
    }
    switch (code) {
    case APIIo_SetMenuItemTextID: {
        auto* text = static_cast<const GS::UniString*>(p3);
        if (ref == nullptr || text == nullptr) {
            call.result = APIERR_BADPARS;
            break;
        }
        call.text = Utf8Of(*text);
        arguments += ", text=" + Quoted(call.text);
        std::lock_guard<std::mutex> guard(lock);
        call.result = menu.SetItemText(*ref, call.text);
        break;
    }
    case APIIo_GetMenuItemFlagsID: {
        auto* flags = static_cast<Int32*>(p2);
        if (ref == nullptr || flags == nullptr) {
            call.result = APIERR_BADPARS;
            break;
        }
        Int32 value = 0;
        {
            std::lock_guard<std::mutex> guard(lock);
            call.result = menu.GetItemFlags(*ref, &value);
        }
        if (call.result == NoError) {
            *flags = value;
            call.value = value;
            arguments += ", flags out=" + std::to_string(value);
        }
        break;
    }
    case APIIo_SetMenuItemFlagsID: {
        auto* flags = static_cast<const Int32*>(p2);
        if (ref == nullptr || flags == nullptr) {
            call.result = APIERR_BADPARS;
            break;
        }
        call.value = *flags;
        arguments += ", flags=" + std::to_string(*flags);
        std::lock_guard<std::mutex> guard(lock);
        call.result = menu.SetItemFlags(*ref, *flags);
        break;
    }
    default:
        arguments += std::string(", p2=") + (p2 != nullptr ? "set" : "null") +
                     ", p3=" + (p3 != nullptr ? "set" : "null") + ", p4=" + (p4 != nullptr ? "set" : "null");
        call.result = APIERR_NOTSUPPORTED;
        break;
    }
    call.arguments = arguments;
    Record(call);
    return call.result;
}

// --- Debug output ---------------------------------------------------------------

void AddonHost::DebugSinkThunk(const char* text, void* context)
{
    static_cast<AddonHost*>(context)->DebugText(text);
}

void AddonHost::DebugText(const char* text)
{
    std::vector<std::string> lines;
    {
        std::lock_guard<std::mutex> guard(lock);
        debugOutput += text;
        pendingDebugLine += text;
        std::size_t end;
        while ((end = pendingDebugLine.find('\n')) != std::string::npos) {
            lines.push_back(pendingDebugLine.substr(0, end));
            pendingDebugLine.erase(0, end + 1);
        }
    }
    for (const std::string& line : lines)
        Say("[debug] " + line);
}

} // namespace velmora::host