// The add-on's side of the host entry protocol, driven as a host would drive it:
// through the two exported functions, the entry points found in the export record,
// and a host-function table built here that records every call.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "ACAPI.hpp"
#include "IO.hpp"
#include "hostapi/HostCalls.hpp"
#include "kit/Host.hpp"
#include "language/Language.hpp"
#include "prefs/ConfigFile.hpp"
#include "prefs/Settings.hpp"
#include "shell/EntryPoints.hpp"
#include "shell/Module.hpp"
#include "test_support.hpp"

using namespace velmora::core;
using namespace velmora::prefs;
using namespace velmora::language;
using namespace velmora::shell;

namespace {

// --- A host-function table that records its calls -----------------------------

struct HostCallRecord {
    int entry = 0;
    Int64 token = 0;
    std::vector<unsigned char> record; // entries 10 and 58: the record's bytes
    bool nullArgument = false;         // entry 17: the argument was null
    Int16 menuId = 0;
    APIMenuCommandProc handler = nullptr;
    bool keep = false;
    Int32 refId = 0;
    Int32 code = 0;
    void* p[4] = {};
    int pointers = 0;
};

struct FakeHost {
    const void* table[APIHostTableEntries] = {};
    std::vector<HostCallRecord> calls;
    std::map<int, GSErrCode> results;          // result per entry (default 0)
    std::map<Int16, GSErrCode> installResults; // result of entry 32 per menu id

    void Offer(int entry);
    std::vector<HostCallRecord> CallsOf(int entry) const
    {
        std::vector<HostCallRecord> out;
        for (const HostCallRecord& call : calls)
            if (call.entry == entry)
                out.push_back(call);
        return out;
    }
    GSErrCode ResultOf(int entry) const
    {
        auto it = results.find(entry);
        return it == results.end() ? NoError : it->second;
    }
};

FakeHost* fake = nullptr;

// One recorder for every offered entry: each argument lands in the field of its type.
void Note(HostCallRecord& call, Int64 token)
{
    call.token = token;
}
void Note(HostCallRecord& call, Int16 menuId)
{
    call.menuId = menuId;
}
void Note(HostCallRecord& call, Int32 value)
{
    call.refId = call.code = value;
}
void Note(HostCallRecord& call, bool keep)
{
    call.keep = keep;
}
void Note(HostCallRecord& call, APIMenuCommandProc handler)
{
    call.handler = handler;
}
void Note(HostCallRecord& call, void* pointer)
{
    if (call.pointers < 4)
        call.p[call.pointers++] = pointer;
    call.nullArgument = pointer == nullptr;
}
void Note(HostCallRecord& call, const API_MenuRegistration* registration)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(registration);
    call.record.assign(bytes, bytes + sizeof(API_MenuRegistration));
}
void Note(HostCallRecord& call, const API_ModelessWindowRec* record)
{
    call.record.assign(record->bytes, record->bytes + sizeof(record->bytes));
}

template <int Entry, typename... Args> GSErrCode Recorded(Args... args)
{
    HostCallRecord call;
    call.entry = Entry;
    (Note(call, args), ...);
    fake->calls.push_back(call);
    if (Entry == APIEntry_InstallMenuHandler) {
        auto it = fake->installResults.find(call.menuId);
        return it == fake->installResults.end() ? NoError : it->second;
    }
    return fake->ResultOf(Entry);
}

template <typename Proc> const void* Address(Proc proc)
{
    const void* address = nullptr;
    static_assert(sizeof(proc) == sizeof(address));
    std::memcpy(&address, &proc, sizeof(address));
    return address;
}

const std::map<int, const void*> Recorders = {
    {APIEntry_RegisterMenu, Address(&Recorded<APIEntry_RegisterMenu, const API_MenuRegistration*>)},
    {APIEntry_RegisterSupportedService, Address(&Recorded<APIEntry_RegisterSupportedService, void*>)},
    {APIEntry_InstallMenuHandler,
     Address(&Recorded<APIEntry_InstallMenuHandler, Int64, Int16, APIMenuCommandProc>)},
    {APIEntry_KeepInMemory, Address(&Recorded<APIEntry_KeepInMemory, Int64, bool>)},
    {APIEntry_RegisterModelessWindow,
     Address(&Recorded<APIEntry_RegisterModelessWindow, Int64, const API_ModelessWindowRec*>)},
    {APIEntry_UnregisterModelessWindow, Address(&Recorded<APIEntry_UnregisterModelessWindow, Int64, Int32>)},
    {APIEntry_Interface, Address(&Recorded<APIEntry_Interface, Int64, Int32, void*, void*, void*, void*>)},
};

void FakeHost::Offer(int entry)
{
    table[entry] = Recorders.at(entry);
}

// --- Reading the export record as the host does -------------------------------

template <typename T> T Read(const unsigned char* bytes, int offset)
{
    T value;
    std::memcpy(&value, bytes + offset, sizeof(value));
    return value;
}

struct EntryPoints {
    APICheckEnvironmentProc checkEnvironment = nullptr;
    APIRegisterInterfaceProc registerInterface = nullptr;
    APIInitializeProc initialize = nullptr;
    APIFreeDataProc freeData = nullptr;
};

EntryPoints ReadEntryPoints(const API_ExportRecord& record)
{
    EntryPoints entries;
    entries.checkEnvironment = Read<APICheckEnvironmentProc>(record.bytes, 8);
    entries.registerInterface = Read<APIRegisterInterfaceProc>(record.bytes, 16);
    entries.initialize = Read<APIInitializeProc>(record.bytes, 24);
    entries.freeData = Read<APIFreeDataProc>(record.bytes, 32);
    return entries;
}

void CaptureDebug(const char* text, void* context)
{
    static_cast<std::vector<std::string>*>(context)->push_back(text);
}

std::string Utf8OfUnits(const GS::uchar_t* units)
{
    return velmora::test::Utf8(GS::UniString(units));
}

constexpr Int64 Token = 0x0123456789ABCDEF;

class ShellEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A fresh user folder without configuration: the add-on speaks English.
        kit::SetSpecialFolder(IO::FileSystem::UserPreferences, userFolder.Native());
        ForgetSettings();
        fake = &host;
        kit::SetDebugSink(&CaptureDebug, &debugLines);
        velmora::shell::OnModuleLoad(velmora::test::TestProgramModule());
        API_ExportRecord record;
        GetExportedFuncAddrs(&record);
        entries = ReadEntryPoints(record);
        for (const auto& offered : Recorders)
            host.Offer(offered.first);
    }

    void TearDown() override
    {
        velmora::shell::OnModuleUnload();
        kit::SetDebugSink(nullptr, nullptr);
        fake = nullptr;
        ForgetSettings();
        kit::SetSpecialFolder(IO::FileSystem::UserPreferences, "");
        CurrentLanguage = 1;
    }

    // The settings in memory are those of a library that has read no file yet.
    static void ForgetSettings()
    {
        ClearSettings(SharedSettings);
        ClearSettings(OwnSettings);
        SharedLoaded = false;
        OwnLoaded = false;
    }

    void HandOverTable() { ASSERT_EQ(SetImportedFuncAddrs(host.table), NoError); }

    void RunProtocolToInitialize()
    {
        HandOverTable();
        API_EnvirParams envir{};
        ASSERT_EQ(entries.checkEnvironment(&envir), APIAddon_Normal);
        ASSERT_EQ(entries.registerInterface(), NoError);
        ASSERT_EQ(entries.initialize(Token), NoError);
    }

    velmora::test::TempFolder userFolder;
    FakeHost host;
    EntryPoints entries;
    std::vector<std::string> debugLines;
};

// --- The export record ----------------------------------------------------------

TEST_F(ShellEntryTest, ExportRecordHoldsVersionEntryPointsAndZeroElsewhere)
{
    API_ExportRecord record;
    std::memset(record.bytes, 0xEE, sizeof(record.bytes));
    GetExportedFuncAddrs(&record);

    EXPECT_EQ(Read<UInt32>(record.bytes, 0), 0x00130001u);
    for (int i = 4; i < 8; ++i)
        EXPECT_EQ(record.bytes[i], 0) << "byte " << i;
    EntryPoints read = ReadEntryPoints(record);
    EXPECT_NE(read.checkEnvironment, nullptr);
    EXPECT_NE(read.registerInterface, nullptr);
    EXPECT_NE(read.initialize, nullptr);
    EXPECT_NE(read.freeData, nullptr);
    EXPECT_EQ(Read<Int32>(record.bytes, 40), 19000);
    for (int i = 44; i < 120; ++i)
        EXPECT_EQ(record.bytes[i], 0) << "byte " << i;
}

// --- Before the host's table ----------------------------------------------------

TEST_F(ShellEntryTest, EntryPointsBeforeTheTableRefuseAndChangeNothing)
{
    API_EnvirParams envir;
    std::memset(envir.bytes, 0, sizeof(envir.bytes));
    EXPECT_EQ(entries.checkEnvironment(&envir), 0);
    for (unsigned char byte : envir.bytes)
        ASSERT_EQ(byte, 0);

    EXPECT_EQ(entries.registerInterface(), APIERR_GENERAL);
    EXPECT_EQ(entries.initialize(Token), APIERR_GENERAL);
    EXPECT_EQ(entries.freeData(), APIERR_GENERAL);
    EXPECT_TRUE(host.calls.empty());

    // The refused Initialize kept no token: the unload is a normal one.
    velmora::shell::OnModuleUnload();
    EXPECT_TRUE(debugLines.empty());
}

TEST_F(ShellEntryTest, WrappersWithoutTheTableGiveTheGeneralError)
{
    EXPECT_EQ(ACAPI_Register_Menu(32501, 0, 13, 0), APIERR_GENERAL);
    EXPECT_EQ(ACAPI_RegisterSupportedService(), APIERR_GENERAL);
    EXPECT_EQ(ACAPI_Install_MenuHandler(32501, nullptr), APIERR_GENERAL);
    ACAPI_KeepInMemory(true);
    EXPECT_EQ(ACAPI_RegisterModelessWindow(1, nullptr, 0, GS::NULLGuid), APIERR_GENERAL);
    EXPECT_EQ(ACAPI_UnregisterModelessWindow(1), APIERR_GENERAL);
    EXPECT_EQ(ACAPI_Interface(APIIo_GetMenuItemFlagsID, nullptr, nullptr, nullptr, nullptr), APIERR_GENERAL);
    EXPECT_TRUE(host.calls.empty());
}

// --- The table ------------------------------------------------------------------

TEST_F(ShellEntryTest, TheTableIsCopiedAtHandOver)
{
    HandOverTable();
    // The host's own table may change afterwards; the add-on keeps its copy.
    host.table[APIEntry_RegisterMenu] = nullptr;
    host.table[APIEntry_Interface] = nullptr;
    EXPECT_EQ(ACAPI_Register_Menu(32501, 0, 13, 0), NoError);
    EXPECT_EQ(ACAPI_Interface(APIIo_GetMenuItemFlagsID, nullptr, nullptr, nullptr, nullptr), NoError);
    EXPECT_EQ(host.CallsOf(APIEntry_RegisterMenu).size(), 1u);
    EXPECT_EQ(host.CallsOf(APIEntry_Interface).size(), 1u);
}

TEST_F(ShellEntryTest, EmptyEntriesGiveNotSupportedWithoutACall)
{
    for (const auto& offered : Recorders)
        host.table[offered.first] = nullptr;
    HandOverTable();
    EXPECT_EQ(ACAPI_Register_Menu(32501, 0, 13, 0), APIERR_NOTSUPPORTED);
    EXPECT_EQ(ACAPI_RegisterSupportedService(), APIERR_NOTSUPPORTED);
    EXPECT_EQ(ACAPI_Install_MenuHandler(32501, nullptr), APIERR_NOTSUPPORTED);
    ACAPI_KeepInMemory(true); // does nothing
    EXPECT_EQ(ACAPI_RegisterModelessWindow(1, nullptr, 0, GS::NULLGuid), APIERR_NOTSUPPORTED);
    EXPECT_EQ(ACAPI_UnregisterModelessWindow(1), APIERR_NOTSUPPORTED);
    EXPECT_EQ(ACAPI_Interface(APIIo_SetMenuItemFlagsID, nullptr, nullptr, nullptr, nullptr),
              APIERR_NOTSUPPORTED);
    EXPECT_TRUE(host.calls.empty());
}

GSErrCode SomeModelessCallback(Int32, Int32)
{
    return NoError;
}

TEST_F(ShellEntryTest, WrappersPassArgumentsTokenAndResultsUnchanged)
{
    host.results[APIEntry_RegisterModelessWindow] = static_cast<GSErrCode>(0x81060010);
    host.results[APIEntry_UnregisterModelessWindow] = static_cast<GSErrCode>(0x81060011);
    host.results[APIEntry_Interface] = static_cast<GSErrCode>(0x81060012);
    HandOverTable();

    // Before Initialize the token is zero.
    ACAPI_KeepInMemory(true);
    ASSERT_EQ(host.CallsOf(APIEntry_KeepInMemory).size(), 1u);
    EXPECT_EQ(host.CallsOf(APIEntry_KeepInMemory)[0].token, 0);
    EXPECT_TRUE(host.CallsOf(APIEntry_KeepInMemory)[0].keep);

    ASSERT_EQ(entries.initialize(Token), NoError);
    host.calls.clear();

    const GS::Guid windowId = {0x11223344, 0x5566, 0x7788, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ(ACAPI_RegisterModelessWindow(0x7A7B7C7D, &SomeModelessCallback, 0x0F0E0D0C, windowId),
              static_cast<GSErrCode>(0x81060010));
    EXPECT_EQ(ACAPI_UnregisterModelessWindow(0x7A7B7C7D), static_cast<GSErrCode>(0x81060011));
    int flags = 0;
    int text = 0;
    EXPECT_EQ(ACAPI_Interface(APIIo_SetMenuItemTextID, &flags, nullptr, &text, nullptr),
              static_cast<GSErrCode>(0x81060012));
    ACAPI_KeepInMemory(false);

    auto registered = host.CallsOf(APIEntry_RegisterModelessWindow);
    ASSERT_EQ(registered.size(), 1u);
    EXPECT_EQ(registered[0].token, Token);
    ASSERT_EQ(registered[0].record.size(), 80u);
    const unsigned char* bytes = registered[0].record.data();
    EXPECT_EQ(Read<Int32>(bytes, 0), 0x7A7B7C7D);
    EXPECT_EQ(Read<APIModelessWindowCallbackProc>(bytes, 8), &SomeModelessCallback);
    EXPECT_EQ(Read<Int32>(bytes, 16), 0x0F0E0D0C);
    EXPECT_EQ(std::memcmp(bytes + 20, &windowId, 16), 0);
    for (int i = 4; i < 8; ++i)
        EXPECT_EQ(bytes[i], 0) << "byte " << i;
    for (int i = 36; i < 80; ++i)
        EXPECT_EQ(bytes[i], 0) << "byte " << i;

    auto unregistered = host.CallsOf(APIEntry_UnregisterModelessWindow);
    ASSERT_EQ(unregistered.size(), 1u);
    EXPECT_EQ(unregistered[0].token, Token);
    EXPECT_EQ(unregistered[0].refId, 0x7A7B7C7D);

    auto interface = host.CallsOf(APIEntry_Interface);
    ASSERT_EQ(interface.size(), 1u);
    EXPECT_EQ(interface[0].token, Token);
    EXPECT_EQ(interface[0].code, 0x534D4954);
    EXPECT_EQ(interface[0].p[0], &flags);
    EXPECT_EQ(interface[0].p[1], nullptr);
    EXPECT_EQ(interface[0].p[2], &text);
    EXPECT_EQ(interface[0].p[3], nullptr);

    auto keep = host.CallsOf(APIEntry_KeepInMemory);
    ASSERT_EQ(keep.size(), 1u);
    EXPECT_EQ(keep[0].token, Token);
    EXPECT_FALSE(keep[0].keep);
}

// --- CheckEnvironment -------------------------------------------------------------

TEST_F(ShellEntryTest, CheckEnvironmentWritesNameAndDescriptionAndGivesKindTwo)
{
    HandOverTable();
    API_EnvirParams envir;
    std::memset(envir.bytes, 0x5A, sizeof(envir.bytes));
    std::memset(envir.bytes, 0, 4); // the first field: 0, the add-on may register

    EXPECT_EQ(entries.checkEnvironment(&envir), 2);
    const std::string name = "VelmoraLibrary 19.0 (DA190)";
    const std::string description = "VelmoraLibrary";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(envir.bytes + 128)), name);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(envir.bytes + 384)), description);
    // Nothing else of the host's record is touched.
    for (int i = 4; i < 640; ++i) {
        bool inName = i >= 128 && i <= 128 + static_cast<int>(name.size());
        bool inDescription = i >= 384 && i <= 384 + static_cast<int>(description.size());
        if (!inName && !inDescription) {
            ASSERT_EQ(envir.bytes[i], 0x5A) << "byte " << i;
        }
    }
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(ShellEntryTest, CheckEnvironmentWithANonZeroFirstFieldDeclinesAndWritesNothing)
{
    HandOverTable();
    API_EnvirParams envir;
    std::memset(envir.bytes, 0, sizeof(envir.bytes));
    envir.bytes[3] = 1;

    EXPECT_EQ(entries.checkEnvironment(&envir), 0);
    for (int i = 4; i < 640; ++i)
        ASSERT_EQ(envir.bytes[i], 0) << "byte " << i;
}

// --- RegisterInterface ------------------------------------------------------------

TEST_F(ShellEntryTest, RegisterInterfaceRegistersTheEnglishMenuThenCallsEntry17)
{
    host.results[APIEntry_RegisterSupportedService] = static_cast<GSErrCode>(0x81060123);
    HandOverTable();

    // The result of entry 17 is the result of RegisterInterface.
    EXPECT_EQ(entries.registerInterface(), static_cast<GSErrCode>(0x81060123));
    ASSERT_EQ(host.calls.size(), 2u);
    ASSERT_EQ(host.calls[0].entry, APIEntry_RegisterMenu);
    const std::vector<unsigned char>& bytes = host.calls[0].record;
    ASSERT_EQ(bytes.size(), 32u);
    EXPECT_EQ(Read<Int16>(bytes.data(), 0), 32501);
    EXPECT_EQ(Read<Int16>(bytes.data(), 2), 0);
    EXPECT_EQ(Read<Int32>(bytes.data(), 4), 13);
    EXPECT_EQ(Read<Int32>(bytes.data(), 8), 0);
    for (int i = 12; i < 32; ++i)
        EXPECT_EQ(bytes[i], 0) << "byte " << i;
    EXPECT_EQ(host.calls[1].entry, APIEntry_RegisterSupportedService);
    EXPECT_TRUE(host.calls[1].nullArgument);
}

TEST_F(ShellEntryTest, RegisterInterfaceRegistersTheMenuOfTheStoredLanguage)
{
    ASSERT_TRUE(StoreSetting(OwnConfig, "Language_str", "ger", true));
    ForgetSettings();
    HandOverTable();
    EXPECT_EQ(entries.registerInterface(), NoError);
    ASSERT_EQ(host.CallsOf(APIEntry_RegisterMenu).size(), 1u);
    EXPECT_EQ(Read<Int16>(host.CallsOf(APIEntry_RegisterMenu)[0].record.data(), 0), 32503);
}

TEST_F(ShellEntryTest, RegisterInterfaceStopsAtAFailedMenuRegistration)
{
    host.results[APIEntry_RegisterMenu] = APIERR_BADID;
    HandOverTable();
    EXPECT_EQ(entries.registerInterface(), APIERR_BADID);
    EXPECT_EQ(host.CallsOf(APIEntry_RegisterMenu).size(), 1u);
    EXPECT_TRUE(host.CallsOf(APIEntry_RegisterSupportedService).empty());
}

TEST_F(ShellEntryTest, RegisterInterfaceWithoutEntry10GivesNotSupportedAndSkipsEntry17)
{
    host.table[APIEntry_RegisterMenu] = nullptr;
    HandOverTable();
    EXPECT_EQ(entries.registerInterface(), APIERR_NOTSUPPORTED);
    EXPECT_TRUE(host.calls.empty());
}

// --- Initialize -------------------------------------------------------------------

TEST_F(ShellEntryTest, InitializeInstallsSevenHandlersWithTheToken)
{
    RunProtocolToInitialize();
    auto installs = host.CallsOf(APIEntry_InstallMenuHandler);
    ASSERT_EQ(installs.size(), 7u);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(installs[i].menuId, 32500 + i);
        EXPECT_EQ(installs[i].token, Token);
        EXPECT_NE(installs[i].handler, nullptr);
    }
    // Whatever Initialize asks of the menu items comes after the handlers are in place.
    bool installing = true;
    for (const HostCallRecord& call : host.calls) {
        if (call.entry == APIEntry_InstallMenuHandler) {
            EXPECT_TRUE(installing) << "a handler was installed after another call";
        } else if (call.entry == APIEntry_Interface) {
            installing = false;
        }
    }
}

TEST_F(ShellEntryTest, AFailedHandlerInstallIsReturnedAndEndsInitialize)
{
    host.installResults[32503] = APIERR_NOTSUPPORTED;
    HandOverTable();
    EXPECT_EQ(entries.initialize(Token), APIERR_NOTSUPPORTED);
    // All seven installations are made; nothing follows them.
    EXPECT_EQ(host.CallsOf(APIEntry_InstallMenuHandler).size(), 7u);
    EXPECT_TRUE(host.CallsOf(APIEntry_Interface).empty());
    EXPECT_EQ(host.calls.back().entry, APIEntry_InstallMenuHandler);
}

TEST_F(ShellEntryTest, FailedHandlerInstallsAreCombinedBitwise)
{
    host.installResults[32500] = static_cast<GSErrCode>(0x81060100);
    host.installResults[32506] = static_cast<GSErrCode>(0x81060002);
    HandOverTable();
    EXPECT_EQ(entries.initialize(Token), static_cast<GSErrCode>(0x81060102));
}

TEST_F(ShellEntryTest, InitializeWithoutEntry32GivesNotSupported)
{
    host.table[APIEntry_InstallMenuHandler] = nullptr;
    HandOverTable();
    EXPECT_EQ(entries.initialize(Token), APIERR_NOTSUPPORTED);
    EXPECT_TRUE(host.CallsOf(APIEntry_Interface).empty());
}

// --- Menu handlers ------------------------------------------------------------------

TEST_F(ShellEntryTest, EachHandlerKeepsTheAddOnLoadedForItsOwnMenuOnly)
{
    RunProtocolToInitialize();
    auto installs = host.CallsOf(APIEntry_InstallMenuHandler);
    ASSERT_EQ(installs.size(), 7u);
    for (int i = 0; i < 7; ++i) {
        host.calls.clear();
        API_MenuParams params;
        std::memset(&params, 0, sizeof(params));
        params.menuResID = static_cast<Int16>(32500 + (i + 1) % 7); // another menu
        params.itemIndex = 99;
        EXPECT_EQ(installs[i].handler(&params), NoError);
        EXPECT_TRUE(host.calls.empty()) << "handler of menu " << 32500 + i;

        params.menuResID = static_cast<Int16>(32500 + i);
        EXPECT_EQ(installs[i].handler(&params), NoError);
        auto keep = host.CallsOf(APIEntry_KeepInMemory);
        ASSERT_EQ(keep.size(), 1u) << "handler of menu " << 32500 + i;
        EXPECT_TRUE(keep[0].keep);
        EXPECT_EQ(keep[0].token, Token);
    }
}

// --- FreeData and unload ------------------------------------------------------------

TEST_F(ShellEntryTest, FreeDataClearsTheTokenAndTheUnloadIsQuiet)
{
    RunProtocolToInitialize();
    EXPECT_EQ(entries.freeData(), NoError);
    host.calls.clear();
    ACAPI_KeepInMemory(true);
    ASSERT_EQ(host.CallsOf(APIEntry_KeepInMemory).size(), 1u);
    EXPECT_EQ(host.CallsOf(APIEntry_KeepInMemory)[0].token, 0);

    velmora::shell::OnModuleUnload();
    EXPECT_TRUE(debugLines.empty());
    EXPECT_EQ(ACAPI_GetOwnResModule(), InvalidResModule);
}

TEST_F(ShellEntryTest, UnloadWithoutFreeDataReportsOnceAndClearsTheToken)
{
    RunProtocolToInitialize();
    velmora::shell::OnModuleUnload();
    ASSERT_EQ(debugLines.size(), 1u);
    const std::string path = Utf8OfUnits(velmora::shell::ModulePath());
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(debugLines[0], "Abnormal add-on termination (\"" + path + "\")\n");
    EXPECT_NE(path.find("velmora_unit_tests"), std::string::npos) << path;
    EXPECT_EQ(ACAPI_GetOwnResModule(), InvalidResModule);

    // The token is gone: host calls pass zero and a second unload says nothing.
    host.calls.clear();
    ACAPI_KeepInMemory(true);
    ASSERT_EQ(host.CallsOf(APIEntry_KeepInMemory).size(), 1u);
    EXPECT_EQ(host.CallsOf(APIEntry_KeepInMemory)[0].token, 0);
    velmora::shell::OnModuleUnload();
    EXPECT_EQ(debugLines.size(), 1u);
}

TEST_F(ShellEntryTest, ANewInitializeAfterFreeDataMakesTheUnloadAbnormalAgain)
{
    RunProtocolToInitialize();
    ASSERT_EQ(entries.freeData(), NoError);
    ASSERT_EQ(entries.initialize(Token + 1), NoError);
    velmora::shell::OnModuleUnload();
    EXPECT_EQ(debugLines.size(), 1u);
}

// --- The add-on's own file ------------------------------------------------------------

TEST_F(ShellEntryTest, OwnLocationIsTheModuleFile)
{
    IO::Location location;
    ASSERT_EQ(ACAPI_GetOwnLocation(&location), NoError);
    GS::UniString path;
    ASSERT_EQ(location.ToPath(&path), NoError);
    EXPECT_EQ(velmora::test::Utf8(path), Utf8OfUnits(velmora::shell::ModulePath()));
    EXPECT_EQ(velmora::shell::ModuleHandle(), velmora::test::TestProgramModule());
}

TEST_F(ShellEntryTest, OwnLocationOfAModuleWithoutPathIsMissing)
{
    // An address in no loaded file: the system gives no path for it.
    std::vector<char> notAModule(64);
    velmora::shell::OnModuleUnload();
    velmora::shell::OnModuleLoad(notAModule.data());
    EXPECT_EQ(velmora::shell::ModulePath()[0], 0);
    IO::Location location(GS::UniString("C:\\somewhere\\else.txt"));
    EXPECT_EQ(ACAPI_GetOwnLocation(&location), APIERR_MISSINGLOCATION);
    EXPECT_TRUE(location.IsEmpty());
}

} // namespace
