// The add-on's side of the host entry protocol where only a unit test sees it: the
// host-function table (missing, copied, with empty entries), arguments and results
// passed through unchanged, the host's records left alone, the order of the calls,
// and the unload with and without FreeData. A host-function table built here
// records every call.
#include <gtest/gtest.h>

#include "AddonModuleFixture.hpp"

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "ACAPI.hpp"
#include "IO.hpp"
#include "TestSupport.hpp"
#include "hostapi/HostCalls.hpp"
#include "kit/Host.hpp"
#include "language/Language.hpp"
#include "prefs/ConfigFile.hpp"
#include "shell/EntryPoints.hpp"
#include "shell/Module.hpp"

using namespace velmora::core;
using namespace velmora::prefs;
using namespace velmora::language;
using namespace velmora::shell;

namespace {

template <typename T> T Read(const unsigned char* bytes, int offset)
{
    T value;
    std::memcpy(&value, bytes + offset, sizeof(value));
    return value;
}

// --- A host-function table that records its calls -----------------------------

struct HostCallRecord {
    int entry = 0;
    std::vector<Int64> args;           // each argument's bits; pointers as addresses
    std::vector<unsigned char> record; // the bytes of a record handed by address
};

struct FakeHost {
    const void* table[APIHostTableEntries] = {};
    std::vector<HostCallRecord> calls;
    std::map<Int64, GSErrCode> results;        // result per entry (default 0)
    std::map<Int64, GSErrCode> installResults; // result of entry 32 per menu id

    std::vector<HostCallRecord> CallsOf(int entry) const
    {
        std::vector<HostCallRecord> out;
        for (const HostCallRecord& call : calls)
            if (call.entry == entry)
                out.push_back(call);
        return out;
    }
    std::vector<int> Entries() const
    {
        std::vector<int> out;
        for (const HostCallRecord& call : calls)
            out.push_back(call.entry);
        return out;
    }
};

FakeHost* fake = nullptr;

template <typename A> void Note(HostCallRecord& call, A argument)
{
    Int64 bits = 0;
    std::memcpy(&bits, &argument, sizeof(argument));
    call.args.push_back(bits);
    using Pointee = std::remove_cv_t<std::remove_pointer_t<A>>;
    if constexpr (std::is_pointer_v<A> && std::is_class_v<Pointee>) {
        // The record lives on the caller's stack: keep its bytes as they were.
        const auto* bytes = reinterpret_cast<const unsigned char*>(argument);
        if (bytes != nullptr)
            call.record.assign(bytes, bytes + sizeof(Pointee));
    }
}

template <int Entry, typename... Args> GSErrCode Recorded(Args... args)
{
    HostCallRecord call;
    call.entry = Entry;
    (Note(call, args), ...);
    fake->calls.push_back(call);
    const bool install = Entry == APIEntry_InstallMenuHandler;
    const auto& results = install ? fake->installResults : fake->results;
    auto it = results.find(install ? call.args[1] : Entry);
    return it == results.end() ? NoError : it->second;
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

// --- The add-on as the host sees it -------------------------------------------

struct EntryPoints {
    APICheckEnvironmentProc checkEnvironment = nullptr;
    APIRegisterInterfaceProc registerInterface = nullptr;
    APIInitializeProc initialize = nullptr;
    APIFreeDataProc freeData = nullptr;
};

void CaptureDebug(const char* text, void* context)
{
    static_cast<std::vector<std::string>*>(context)->push_back(text);
}

std::string Utf8OfUnits(const GS::uchar_t* units)
{
    return velmora::test::Utf8(GS::UniString(units));
}

constexpr Int64 Token = 0x0123456789ABCDEF;

// The token the add-on hands the host now, seen through the call it makes.
Int64 TokenInUse()
{
    fake->calls.clear();
    ACAPI_KeepInMemory(true);
    return fake->calls.empty() ? -1 : fake->calls[0].args[0];
}

class ShellEntryTest : public velmora::test::AddonModuleTest {
protected:
    void SetUp() override
    {
        // A fresh user folder without configuration: the add-on speaks English.
        kit::SetSpecialFolder(IO::FileSystem::UserPreferences, userFolder.Native());
        ForgetSettings();
        fake = &host;
        kit::SetDebugSink(&CaptureDebug, &debugLines);
        AddonModuleTest::SetUp();
        API_ExportRecord record;
        GetExportedFuncAddrs(&record);
        entries.checkEnvironment = Read<APICheckEnvironmentProc>(record.bytes, 8);
        entries.registerInterface = Read<APIRegisterInterfaceProc>(record.bytes, 16);
        entries.initialize = Read<APIInitializeProc>(record.bytes, 24);
        entries.freeData = Read<APIFreeDataProc>(record.bytes, 32);
        for (const auto& [entry, recorder] : Recorders)
            host.table[entry] = recorder;
    }

    void TearDown() override
    {
        AddonModuleTest::TearDown();
        kit::SetDebugSink(nullptr, nullptr);
        fake = nullptr;
        ForgetSettings();
        kit::SetSpecialFolder(IO::FileSystem::UserPreferences, "");
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

    void RunProtocolToRegister()
    {
        HandOverTable();
        API_EnvirParams envir{};
        ASSERT_EQ(entries.checkEnvironment(&envir), APIAddon_Normal);
        ASSERT_EQ(entries.registerInterface(), NoError);
    }

    velmora::test::TempFolder userFolder;
    FakeHost host;
    EntryPoints entries;
    std::vector<std::string> debugLines;
};

// --- The table ------------------------------------------------------------------

// Every wrapper of an offered entry, called with harmless arguments.
const std::vector<std::pair<const char*, std::function<GSErrCode()>>> Wrappers = {
    {"Register_Menu", [] { return ACAPI_Register_Menu(32501, 0, 13, 0); }},
    {"RegisterSupportedService", [] { return ACAPI_RegisterSupportedService(); }},
    {"Install_MenuHandler", [] { return ACAPI_Install_MenuHandler(32501, nullptr); }},
    {"RegisterModelessWindow", [] { return ACAPI_RegisterModelessWindow(1, nullptr, 0, GS::NULLGuid); }},
    {"UnregisterModelessWindow", [] { return ACAPI_UnregisterModelessWindow(1); }},
    {"Interface",
     [] { return ACAPI_Interface(APIIo_SetMenuItemFlagsID, nullptr, nullptr, nullptr, nullptr); }},
};

TEST_F(ShellEntryTest, WithoutTheTableOrItsEntryNothingReachesTheHost)
{
    // Before the table the entry points refuse and leave the host's record alone.
    API_EnvirParams envir{};
    EXPECT_EQ(entries.checkEnvironment(&envir), 0);
    for (unsigned char byte : envir.bytes)
        ASSERT_EQ(byte, 0);
    EXPECT_EQ(entries.registerInterface(), APIERR_GENERAL);
    EXPECT_EQ(entries.initialize(Token), APIERR_GENERAL);
    EXPECT_EQ(entries.freeData(), APIERR_GENERAL);

    for (const auto& [name, call] : Wrappers)
        EXPECT_EQ(call(), APIERR_GENERAL) << "no table: " << name;
    ACAPI_KeepInMemory(true); // does nothing
    for (const auto& offered : Recorders)
        host.table[offered.first] = nullptr;
    HandOverTable();
    for (const auto& [name, call] : Wrappers)
        EXPECT_EQ(call(), APIERR_NOTSUPPORTED) << "empty entries: " << name;
    ACAPI_KeepInMemory(true);
    EXPECT_TRUE(host.calls.empty());

    // The refused Initialize kept no token: the unload is a normal one.
    velmora::shell::OnModuleUnload();
    EXPECT_TRUE(debugLines.empty());
}

TEST_F(ShellEntryTest, TheTableIsCopiedAtHandOver)
{
    HandOverTable();
    // The host's own table may change afterwards; the add-on keeps its copy.
    host.table[APIEntry_RegisterMenu] = nullptr;
    host.table[APIEntry_Interface] = nullptr;
    for (const auto& [name, call] : Wrappers)
        EXPECT_EQ(call(), NoError) << name;
    EXPECT_EQ(host.CallsOf(APIEntry_RegisterMenu).size(), 1u);
    EXPECT_EQ(host.CallsOf(APIEntry_Interface).size(), 1u);
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
    EXPECT_EQ(TokenInUse(), 0); // before Initialize
    EXPECT_EQ(host.calls[0].args[1], 1);
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

    ASSERT_EQ(host.calls.size(), 4u);
    for (const HostCallRecord& call : host.calls)
        EXPECT_EQ(call.args[0], Token) << "entry " << call.entry;
    const std::vector<unsigned char>& bytes = host.calls[0].record;
    ASSERT_EQ(bytes.size(), 80u);
    EXPECT_EQ(Read<Int32>(bytes.data(), 0), 0x7A7B7C7D);
    EXPECT_EQ(Read<APIModelessWindowCallbackProc>(bytes.data(), 8), &SomeModelessCallback);
    EXPECT_EQ(Read<Int32>(bytes.data(), 16), 0x0F0E0D0C);
    EXPECT_EQ(std::memcmp(bytes.data() + 20, &windowId, 16), 0);
    for (int i : {4, 5, 6, 7, 36, 50, 79})
        EXPECT_EQ(bytes[static_cast<std::size_t>(i)], 0) << "byte " << i;
    EXPECT_EQ(host.calls[1].args[1], 0x7A7B7C7D);
    const Int64 flagsAddress = reinterpret_cast<Int64>(&flags);
    const Int64 textAddress = reinterpret_cast<Int64>(&text);
    EXPECT_EQ(host.calls[2].args, (std::vector<Int64>{Token, 0x534D4954, flagsAddress, 0, textAddress, 0}));
    EXPECT_EQ(host.calls[3].args, (std::vector<Int64>{Token, 0}));
}

// --- The entry points, in the host's order ---------------------------------------

TEST_F(ShellEntryTest, CheckEnvironmentWritesOnlyNameAndDescriptionWhenAllowed)
{
    struct Row {
        const char* name;
        unsigned char firstField; // nonzero: the host does not let the add-on register
        int kind;
        std::string addonName, description;
    } const rows[] = {
        {"allowed", 0, 2, "VelmoraLibrary 19.0 (DA190)", "VelmoraLibrary"},
        {"declined", 1, 0, "", ""},
    };
    HandOverTable();
    for (const Row& row : rows) {
        API_EnvirParams envir;
        std::memset(envir.bytes, 0x5A, sizeof(envir.bytes));
        std::memset(envir.bytes, 0, 4);
        envir.bytes[3] = row.firstField;
        EXPECT_EQ(entries.checkEnvironment(&envir), row.kind) << row.name;

        // Only the name and the description, each with its terminator, are written.
        std::vector<unsigned char> expected(640, 0x5A);
        std::memset(expected.data(), 0, 4);
        expected[3] = row.firstField;
        std::memcpy(expected.data() + 128, row.addonName.c_str(), row.addonName.size() + (row.kind != 0));
        std::memcpy(expected.data() + 384, row.description.c_str(), row.description.size() + (row.kind != 0));
        EXPECT_EQ(std::vector<unsigned char>(envir.bytes, envir.bytes + 640), expected) << row.name;
    }
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(ShellEntryTest, RegisterInterfaceRegistersTheMenuThenTheService)
{
    struct Row {
        const char* name;
        std::function<void(FakeHost&)> setUp;
        GSErrCode result;
        std::vector<int> calls;
        Int16 menuId;
    } const rows[] = {
        {"the service's result is returned",
         [](FakeHost& h) {
             h.results[APIEntry_RegisterSupportedService] = static_cast<GSErrCode>(0x81060123);
         },
         static_cast<GSErrCode>(0x81060123),
         {APIEntry_RegisterMenu, APIEntry_RegisterSupportedService},
         32501},
        {"a failed menu ends it",
         [](FakeHost& h) { h.results[APIEntry_RegisterMenu] = APIERR_BADID; },
         APIERR_BADID,
         {APIEntry_RegisterMenu},
         32501},
        {"no menu entry",
         [](FakeHost& h) { h.table[APIEntry_RegisterMenu] = nullptr; },
         APIERR_NOTSUPPORTED,
         {},
         0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeHost fresh;
        host = fresh;
        for (const auto& [entry, recorder] : Recorders)
            host.table[entry] = recorder;
        row.setUp(host);
        HandOverTable();
        EXPECT_EQ(entries.registerInterface(), row.result);
        EXPECT_EQ(host.Entries(), row.calls);
        if (row.calls.empty())
            continue;
        const std::vector<unsigned char>& bytes = host.calls[0].record;
        ASSERT_EQ(bytes.size(), 32u);
        EXPECT_EQ(Read<Int16>(bytes.data(), 0), row.menuId);
        EXPECT_EQ(Read<Int32>(bytes.data(), 4), 13); // the position
        for (int i : {2, 3, 8, 9, 10, 11, 12, 20, 31})
            EXPECT_EQ(bytes[static_cast<std::size_t>(i)], 0) << "byte " << i;
        if (row.calls.size() == 2) {
            EXPECT_EQ(host.calls[1].args[0], 0); // no argument
        }
    }
}

TEST_F(ShellEntryTest, InitializeInstallsSevenHandlersBeforeAnythingElse)
{
    struct Row {
        const char* name;
        std::function<void(FakeHost&)> setUp;
        GSErrCode result;
        std::size_t installs;
    } const rows[] = {
        {"failures combine bitwise",
         [](FakeHost& h) {
             h.installResults[32500] = static_cast<GSErrCode>(0x81060100);
             h.installResults[32506] = static_cast<GSErrCode>(0x81060002);
         },
         static_cast<GSErrCode>(0x81060102), 7},
        {"no handler entry", [](FakeHost& h) { h.table[APIEntry_InstallMenuHandler] = nullptr; },
         APIERR_NOTSUPPORTED, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        velmora::shell::OnModuleUnload();
        velmora::shell::OnModuleLoad(velmora::test::TestProgramModule());
        row.setUp(host);
        RunProtocolToRegister();
        host.calls.clear();
        EXPECT_EQ(entries.initialize(Token), row.result);
        auto installs = host.CallsOf(APIEntry_InstallMenuHandler);
        ASSERT_EQ(installs.size(), row.installs);
        for (std::size_t i = 0; i < installs.size(); ++i) {
            EXPECT_EQ(installs[i].args[0], Token);
            EXPECT_EQ(installs[i].args[1], 32500 + static_cast<Int64>(i));
            EXPECT_NE(installs[i].args[2], 0);
        }
        // Whatever Initialize asks of the menu comes after the handlers are in place,
        // and nothing after a failed installation.
        for (std::size_t i = 0; i < installs.size(); ++i)
            EXPECT_EQ(host.calls[i].entry, APIEntry_InstallMenuHandler);
        if (row.result != NoError) {
            EXPECT_EQ(host.calls.size(), installs.size());
        }
        for (const auto& [entry, recorder] : Recorders)
            host.table[entry] = recorder;
        host.installResults.clear();
        entries.freeData();
    }
}

TEST_F(ShellEntryTest, EachHandlerKeepsTheAddOnLoadedForItsOwnMenuOnly)
{
    RunProtocolToRegister();
    ASSERT_EQ(entries.initialize(Token), NoError);
    auto installs = host.CallsOf(APIEntry_InstallMenuHandler);
    ASSERT_EQ(installs.size(), 7u);
    for (int i = 0; i < 7; ++i) {
        const auto handler = Read<APIMenuCommandProc>(
            reinterpret_cast<const unsigned char*>(&installs[static_cast<std::size_t>(i)].args[2]), 0);
        host.calls.clear();
        API_MenuParams params;
        std::memset(&params, 0, sizeof(params));
        params.menuResID = static_cast<Int16>(32500 + (i + 1) % 7); // another menu
        params.itemIndex = 99;
        EXPECT_EQ(handler(&params), NoError);
        EXPECT_TRUE(host.calls.empty()) << "handler of menu " << 32500 + i;

        params.menuResID = static_cast<Int16>(32500 + i);
        EXPECT_EQ(handler(&params), NoError);
        auto keep = host.CallsOf(APIEntry_KeepInMemory);
        ASSERT_EQ(keep.size(), 1u) << "handler of menu " << 32500 + i;
        EXPECT_EQ(keep[0].args, (std::vector<Int64>{Token, 1}));
    }
}

// --- FreeData and unload ------------------------------------------------------------

// An unload right after FreeData is a normal one (the end-to-end protocol); one
// without FreeData reports once (the end-to-end host program). Here the case between:
// Initialize again after FreeData, then an unload without a second FreeData.
TEST_F(ShellEntryTest, InitializeAgainAfterFreeDataMakesTheUnloadReportOnce)
{
    RunProtocolToRegister();
    ASSERT_EQ(entries.initialize(Token), NoError);
    ASSERT_EQ(entries.freeData(), NoError);
    EXPECT_EQ(TokenInUse(), 0);
    ASSERT_EQ(entries.initialize(Token + 1), NoError);
    velmora::shell::OnModuleUnload();
    const std::string path = Utf8OfUnits(velmora::shell::ModulePath());
    EXPECT_NE(path.find("velmora_unit_tests"), std::string::npos) << path;
    EXPECT_EQ(debugLines, std::vector<std::string>{"Abnormal add-on termination (\"" + path + "\")\n"});
    EXPECT_EQ(ACAPI_GetOwnResModule(), InvalidResModule);
    // The token is gone: host calls pass zero and a second unload says nothing.
    EXPECT_EQ(TokenInUse(), 0);
    velmora::shell::OnModuleUnload();
    EXPECT_EQ(debugLines.size(), 1u);
}

// --- The add-on's own file ------------------------------------------------------------

TEST_F(ShellEntryTest, OwnLocationIsTheModuleFileOrMissing)
{
    IO::Location location;
    ASSERT_EQ(ACAPI_GetOwnLocation(&location), NoError);
    GS::UniString path;
    ASSERT_EQ(location.ToPath(&path), NoError);
    EXPECT_EQ(velmora::test::Utf8(path), Utf8OfUnits(velmora::shell::ModulePath()));
    EXPECT_EQ(velmora::shell::ModuleHandle(), velmora::test::TestProgramModule());

    // An address in no loaded file: the system gives no path for it.
    std::vector<char> notAModule(64);
    velmora::shell::OnModuleUnload();
    velmora::shell::OnModuleLoad(notAModule.data());
    EXPECT_EQ(velmora::shell::ModulePath()[0], 0);
    location = IO::Location(GS::UniString("C:\\somewhere\\else.txt"));
    EXPECT_EQ(ACAPI_GetOwnLocation(&location), APIERR_MISSINGLOCATION);
    EXPECT_TRUE(location.IsEmpty());
}

} // namespace
