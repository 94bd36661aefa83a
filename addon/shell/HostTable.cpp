#include "HostTable.hpp"

#include <cstring>

#include "HostCalls.hpp"

namespace {

const void* hostTable[APIHostTableEntries] = {};
bool tablePresent = false;
Int64 hostToken = 0;

// The entry as a function of type Proc; null when there is no table or no entry.
template <typename Proc> Proc EntryAs(int index)
{
    const void* entry = velmora::shell::HostTableEntry(index);
    Proc proc = nullptr;
    static_assert(sizeof(proc) == sizeof(entry));
    std::memcpy(&proc, &entry, sizeof(proc));
    return proc;
}

// The error for a call that finds no function: no table at all, or an empty entry.
GSErrCode MissingEntryError()
{
    return tablePresent ? APIERR_NOTSUPPORTED : APIERR_GENERAL;
}

} // namespace

namespace velmora::shell {

void StoreHostTable(const void* const* table)
{
    std::memcpy(static_cast<void*>(hostTable), static_cast<const void*>(table), APIHostTableBytes);
    tablePresent = true;
}

bool HostTablePresent()
{
    return tablePresent;
}

const void* HostTableEntry(int index)
{
    if (!tablePresent || index < 0 || index >= APIHostTableEntries)
        return nullptr;
    return hostTable[index];
}

Int64 HostToken()
{
    return hostToken;
}

void SetHostToken(Int64 token)
{
    hostToken = token;
}

void ResetHostState()
{
    std::memset(static_cast<void*>(hostTable), 0, APIHostTableBytes);
    tablePresent = false;
    hostToken = 0;
}

} // namespace velmora::shell

// --- Wrappers of the host functions ------------------------------------------

GSErrCode ACAPI_Register_Menu(Int16 menuStrResID, Int16 promptStrResID, Int32 position, Int32 flags)
{
    auto proc = EntryAs<APIRegisterMenuProc>(APIEntry_RegisterMenu);
    if (proc == nullptr)
        return MissingEntryError();
    API_MenuRegistration registration;
    std::memset(&registration, 0, sizeof(registration));
    registration.menuStrResID = menuStrResID;
    registration.promptStrResID = promptStrResID;
    registration.position = position;
    registration.flags = flags;
    return proc(&registration);
}

GSErrCode ACAPI_RegisterSupportedService()
{
    auto proc = EntryAs<APIRegisterSupportedServiceProc>(APIEntry_RegisterSupportedService);
    if (proc == nullptr)
        return MissingEntryError();
    return proc(nullptr);
}

GSErrCode ACAPI_Install_MenuHandler(Int16 menuStrResID, APIMenuCommandProc handler)
{
    auto proc = EntryAs<APIInstallMenuHandlerProc>(APIEntry_InstallMenuHandler);
    if (proc == nullptr)
        return MissingEntryError();
    return proc(hostToken, menuStrResID, handler);
}

void ACAPI_KeepInMemory(bool keep)
{
    auto proc = EntryAs<APIKeepInMemoryProc>(APIEntry_KeepInMemory);
    if (proc == nullptr)
        return;
    proc(hostToken, keep);
}

GSErrCode ACAPI_RegisterModelessWindow(Int32 refId, APIModelessWindowCallbackProc callback,
                                       Int32 controlFlags, const GS::Guid& windowId)
{
    auto proc = EntryAs<APIRegisterModelessWindowProc>(APIEntry_RegisterModelessWindow);
    if (proc == nullptr)
        return MissingEntryError();
    API_ModelessWindowRec record;
    std::memset(&record, 0, sizeof(record));
    std::memcpy(record.bytes + API_ModelessWindowRec::RefIdOffset, &refId, sizeof(refId));
    std::memcpy(record.bytes + API_ModelessWindowRec::CallbackOffset, &callback, sizeof(callback));
    std::memcpy(record.bytes + API_ModelessWindowRec::FlagsOffset, &controlFlags, sizeof(controlFlags));
    std::memcpy(record.bytes + API_ModelessWindowRec::GuidOffset, &windowId, sizeof(windowId));
    return proc(hostToken, &record);
}

GSErrCode ACAPI_UnregisterModelessWindow(Int32 refId)
{
    auto proc = EntryAs<APIUnregisterModelessWindowProc>(APIEntry_UnregisterModelessWindow);
    if (proc == nullptr)
        return MissingEntryError();
    return proc(hostToken, refId);
}

GSErrCode ACAPI_Interface(Int32 code, void* p1, void* p2, void* p3, void* p4)
{
    auto proc = EntryAs<APIInterfaceProc>(APIEntry_Interface);
    if (proc == nullptr)
        return MissingEntryError();
    return proc(hostToken, code, p1, p2, p3, p4);
}
