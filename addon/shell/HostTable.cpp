#include "HostTable.hpp"

#include <atomic>
#include <cstring>

#include "HostCalls.hpp"

namespace {

// Atomic, because worker threads call the host through the table and pass the token
// while the user-interface thread may clear them (FreeData, unload).
std::atomic<const void*> hostTable[APIHostTableEntries] = {};
std::atomic<bool> tablePresent{false};
std::atomic<Int64> hostToken{0};

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
    return tablePresent.load() ? APIERR_NOTSUPPORTED : APIERR_GENERAL;
}

} // namespace

namespace velmora::shell {

void StoreHostTable(const void* const* table)
{
    for (int i = 0; i < APIHostTableEntries; ++i)
        hostTable[i].store(table[i]);
    tablePresent.store(true);
}

bool HostTablePresent()
{
    return tablePresent.load();
}

const void* HostTableEntry(int index)
{
    if (!tablePresent.load() || index < 0 || index >= APIHostTableEntries)
        return nullptr;
    return hostTable[index].load();
}

Int64 HostToken()
{
    return hostToken.load();
}

void SetHostToken(Int64 token)
{
    hostToken.store(token);
}

void ResetHostState()
{
    for (auto& entry : hostTable)
        entry.store(nullptr);
    tablePresent.store(false);
    hostToken.store(0);
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
    return proc(hostToken.load(), menuStrResID, handler);
}

void ACAPI_KeepInMemory(bool keep)
{
    auto proc = EntryAs<APIKeepInMemoryProc>(APIEntry_KeepInMemory);
    if (proc == nullptr)
        return;
    proc(hostToken.load(), keep);
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
    return proc(hostToken.load(), &record);
}

GSErrCode ACAPI_UnregisterModelessWindow(Int32 refId)
{
    auto proc = EntryAs<APIUnregisterModelessWindowProc>(APIEntry_UnregisterModelessWindow);
    if (proc == nullptr)
        return MissingEntryError();
    return proc(hostToken.load(), refId);
}

GSErrCode ACAPI_Interface(Int32 code, void* p1, void* p2, void* p3, void* p4)
{
    auto proc = EntryAs<APIInterfaceProc>(APIEntry_Interface);
    if (proc == nullptr)
        return MissingEntryError();
    return proc(hostToken.load(), code, p1, p2, p3, p4);
}
