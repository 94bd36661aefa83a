#include "EntryPoints.hpp"

#include <cstring>

#include "AutoUpdateMark.hpp"
#include "MenuDispatch.hpp"
#include "MenuTexts.hpp"
#include "hostapi/AddOnIdentity.hpp"
#include "hostapi/HostCalls.hpp"
#include "hostapi/HostTable.hpp"
#include "language/Language.hpp"
#include "prefs/Settings.hpp"
#include "update/UpdateCheck.hpp"
#include "velmora/Platform.hpp"

using namespace velmora::core;
using namespace velmora::prefs;
using namespace velmora::language;

namespace {

constexpr UInt32 VersionWord = (19u << 16) | 1u;
constexpr Int32 InterfaceVersion = 19000;

constexpr Int16 MenuPromptNone = 0;
constexpr Int32 MenuFlagsNone = 0;

template <typename Proc> void PutAddress(API_ExportRecord* record, int offset, Proc proc)
{
    static_assert(sizeof(proc) == 8);
    std::memcpy(record->bytes + offset, &proc, sizeof(proc));
}

// Writes a zero-terminated text into the environment record, cut to its field.
void PutText(API_EnvirParams* envir, int offset, const char* text)
{
    std::size_t length = std::strlen(text);
    if (length >= static_cast<std::size_t>(API_EnvirParams::TextCapacity))
        length = API_EnvirParams::TextCapacity - 1;
    std::memcpy(envir->bytes + offset, text, length);
    envir->bytes[offset + static_cast<int>(length)] = 0;
}

} // namespace

extern "C" void GetExportedFuncAddrs(API_ExportRecord* record)
{
    if (record == nullptr)
        return;
    std::memset(record->bytes, 0, sizeof(record->bytes));
    std::memcpy(record->bytes + API_ExportRecord::VersionWordOffset, &VersionWord, sizeof(VersionWord));
    PutAddress<APICheckEnvironmentProc>(record, API_ExportRecord::CheckEnvironmentOffset,
                                        &velmora::shell::CheckEnvironment);
    PutAddress<APIRegisterInterfaceProc>(record, API_ExportRecord::RegisterInterfaceOffset,
                                         &velmora::shell::RegisterInterface);
    PutAddress<APIInitializeProc>(record, API_ExportRecord::InitializeOffset, &velmora::shell::Initialize);
    PutAddress<APIFreeDataProc>(record, API_ExportRecord::FreeDataOffset, &velmora::shell::FreeData);
    std::memcpy(record->bytes + API_ExportRecord::InterfaceVersionOffset, &InterfaceVersion,
                sizeof(InterfaceVersion));
}

extern "C" GSErrCode SetImportedFuncAddrs(const void* const* table)
{
    if (table == nullptr)
        return APIERR_BADPARS;
    velmora::hostapi::StoreHostTable(table);
    return NoError;
}

namespace velmora::shell {

using hostapi::AddOnFileStem;
using hostapi::AddOnName;
using hostapi::HostTablePresent;
using hostapi::SetHostToken;

Int32 CheckEnvironment(API_EnvirParams* envir)
{
    if (!HostTablePresent() || envir == nullptr)
        return APIAddon_DontRegister;
    Int32 firstField = 0;
    std::memcpy(&firstField, envir->bytes, sizeof(firstField));
    if (firstField != 0)
        return APIAddon_DontRegister;
    PutText(envir, API_EnvirParams::NameOffset, AddOnFileStem);
    PutText(envir, API_EnvirParams::DescriptionOffset, AddOnName);
    return APIAddon_Normal;
}

GSErrCode RegisterInterface()
{
    if (!HostTablePresent())
        return APIERR_GENERAL;
    LoadLanguage(SharedFile::ReadAgain);
    const auto menuId = static_cast<Int16>(FirstMenuListId + CurrentLanguage);
    GSErrCode err = ACAPI_Register_Menu(menuId, MenuPromptNone, APIMenuCode_UserDef, MenuFlagsNone);
    if (err != NoError)
        return err;
    return ACAPI_RegisterSupportedService();
}

GSErrCode Initialize(Int64 token)
{
    if (!HostTablePresent())
        return APIERR_GENERAL;
    SetHostToken(token);
    LoadLanguage(SharedFile::ReadAgain);
    GSErrCode err = InstallMenuHandlers();
    if (err != NoError)
        return err;
    ShowAutoUpdateMark(FirstMenuListId, AutoUpdateMenuItem);
    RefreshMenuTexts();
    return NoError;
}

GSErrCode FreeData()
{
    if (!HostTablePresent())
        return APIERR_GENERAL;
    // Nothing of the add-on may be left for the host to call after its release: a
    // running check is cancelled and its window closed; then the workers end (a
    // running transfer aborts), and they still have the token while they end.
    update::EndUpdateCheck();
    velmora::platform::StopWorkers(WorkerStopMilliseconds);
    SetHostToken(0);
    return NoError;
}

} // namespace velmora::shell
