#include "hostapi/HostCalls.hpp"

#include <cstring>

#include "hostapi/HostTable.hpp"

namespace {

using velmora::hostapi::HostToken;

// The entry as a function of type Proc; null when there is no table or no entry.
template <typename Proc> Proc EntryAs(int index)
{
    const void* entry = velmora::hostapi::HostTableEntry(index);
    Proc proc = nullptr;
    static_assert(sizeof(proc) == sizeof(entry));
    std::memcpy(&proc, &entry, sizeof(proc));
    return proc;
}

// The error for a call that finds no function: no table at all, or an empty entry.
GSErrCode MissingEntryError()
{
    return velmora::hostapi::HostTablePresent() ? APIERR_NOTSUPPORTED : APIERR_GENERAL;
}

} // namespace

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
    return proc(HostToken(), menuStrResID, handler);
}

void ACAPI_KeepInMemory(bool keep)
{
    auto proc = EntryAs<APIKeepInMemoryProc>(APIEntry_KeepInMemory);
    if (proc == nullptr)
        return;
    proc(HostToken(), keep);
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
    return proc(HostToken(), &record);
}

GSErrCode ACAPI_UnregisterModelessWindow(Int32 refId)
{
    auto proc = EntryAs<APIUnregisterModelessWindowProc>(APIEntry_UnregisterModelessWindow);
    if (proc == nullptr)
        return MissingEntryError();
    return proc(HostToken(), refId);
}

GSErrCode ACAPI_Interface(Int32 code, void* p1, void* p2, void* p3, void* p4)
{
    auto proc = EntryAs<APIInterfaceProc>(APIEntry_Interface);
    if (proc == nullptr)
        return MissingEntryError();
    return proc(HostToken(), code, p1, p2, p3, p4);
}

GSResModule ACAPI_GetOwnResModule()
{
    return velmora::hostapi::OwnResModule();
}

GSErrCode ACAPI_GetOwnLocation(IO::Location* out)
{
    if (out == nullptr)
        return APIERR_BADPARS;
    return velmora::hostapi::OwnLocation(out) ? NoError : APIERR_MISSINGLOCATION;
}
