// The stand-in host's core: it loads an add-on file, hands it the host-function
// table, runs the entry protocol in the host's order and keeps what the add-on
// registered (its menu, menu handlers, modeless windows) and every host call it
// made. One AddonHost serves the process at a time (host functions are plain
// function addresses and reach it through a process-wide pointer).
//
// The protocol and the menu commands are in AddonHost.cpp, the host functions the
// table offers in HostFunctions.cpp, the wording of reports in ReportText.cpp.
//
// Threads. The protocol, the menu commands and Unload run on the UI thread, which
// also owns the library, the resource module and the FreeData address. The add-on
// may call the host functions and write debug output from its workers too: what
// they change (the report, the menu model, the call records, handlers, windows,
// the debug text) is guarded by `lock`, which is never held while the add-on or the
// transcript runs; observers get copies. The host-function table is made once in
// the constructor and only read afterwards.
#pragma once

#include <array>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "ACAPI.hpp"
#include "AddonLibrary.hpp"
#include "MenuModel.hpp"
#include "Transcript.hpp"

namespace velmora::host {

// One call of a host function by the add-on.
struct HostCall {
    int entry = 0;         // table index
    std::string name;      // e.g. "ACAPI_Register_Menu"
    std::string arguments; // as shown in the transcript
    GSErrCode result = NoError;
    Int64 token = 0;  // the token passed, where the function takes one
    Int16 menuId = 0; // menu string-list id (entries 10, 32; 77 with a menu reference)
    Int32 item = 0;   // item number (entry 77 with a menu reference)
    Int32 code = 0;   // function code of entry 77; position code of entry 10
    Int32 value = 0;  // flags (entries 10, 77), keep flag (55), reference id (58, 59)
    std::string text; // 'SMIT' text, UTF-8
};

// What the host saw of the entry protocol in the current run.
struct ProtocolReport {
    std::string addonPath;
    bool loaded = false;       // the file is in the process
    std::string loadError;     // why it is not
    bool exportsFound = false; // both exported functions were there
    // The export record.
    UInt32 versionWord = 0;
    Int32 interfaceVersion = 0;
    int entryPointCount = 0;     // non-null addresses among the four
    bool recordRestZero = false; // bytes 4-7 and 44-119 were cleared
    GSErrCode setImportedResult = -1;
    Int32 kind = -1;               // CheckEnvironment's add-on kind
    std::string name, description; // written into the environment record
    bool registerCalled = false, initializeCalled = false, freeDataCalled = false;
    GSErrCode registerResult = NoError, initializeResult = NoError, freeDataResult = NoError;
    Int64 token = 0;          // the token given to Initialize
    bool initialized = false; // Initialize succeeded and FreeData was not called yet
};

// Whether a run ends with the add-on's FreeData before the file is unloaded (without
// it, the add-on finds its work unfinished at the unload and says so).
enum class FreeDataCall { Call, Skip };

struct ModelessWindow {
    Int32 refId = 0;
    APIModelessWindowCallbackProc callback = nullptr;
    Int32 controlFlags = 0;
    GS::Guid windowId{};
};

class AddonHost {
public:
    explicit AddonHost(Transcript& transcript);
    ~AddonHost(); // unloads the add-on (with FreeData) when one is loaded
    AddonHost(const AddonHost&) = delete;
    AddonHost& operator=(const AddonHost&) = delete;

    // [UI thread] Starts a host run with the add-on file at `path`: loads it and runs the protocol
    // GetExportedFuncAddrs, SetImportedFuncAddrs, CheckEnvironment, RegisterInterface,
    // Initialize. True when the add-on is initialised. A failed step is reported and
    // the add-on is unloaded (with FreeData when Initialize had been called).
    bool Load(const std::string& path);
    // [any thread] A few lines on what the add-on did in this run's load: its name, its
    // menu and handlers, the texts it set, how many host calls were refused and why.
    // A quiet transcript (at a terminal) shows them in place of the load's lines.
    std::vector<std::string> LoadSummary() const;
    // [UI thread] Ends the run: lets go of the add-on's background calls that wait for
    // the UI thread (they are refused until the run is over), closes the add-on's
    // open dialogs, calls FreeData when asked to and the add-on is initialised, and
    // unloads the file.
    void Unload(FreeDataCall freeData);
    // [UI thread] Unload with FreeData, then a new run with the same file.
    bool Restart();

    // [any thread] What the host has seen (copies).
    bool IsLoaded() const;
    ProtocolReport Report() const;
    MenuModel Menu() const;
    std::vector<HostCall> Calls() const;
    // [any thread] Menu string-list ids with an installed handler, in ascending order.
    std::vector<Int16> HandlerMenuIds() const;
    bool KeepInMemory() const;
    std::vector<ModelessWindow> ModelessWindows() const;
    // [any thread] Everything the add-on wrote to the host's debug output in this host's life.
    std::string DebugOutput() const;
    // [UI thread] The host's resource module for the loaded add-on (InvalidResModule
    // when none).
    GSResModule AddonResModule() const;

    // [UI thread] The user picks item `item` of the registered menu: the handler installed for
    // the menu's list id is called. False (with the reason) when there is none.
    bool ChooseMenuItem(Int32 item, std::string* whyNot);
    // [UI thread] Calls the handler installed for `listId` with (listId, item) as the host does.
    bool CallMenuHandler(Int16 listId, Int32 item, std::string* whyNot);

    // [any thread] The host-function table handed to the add-on (502 entries).
    const std::array<const void*, APIHostTableEntries>& Table() const { return table; }

    // [any thread] Host functions (the table's entries call these on the current
    // host); the add-on's records are read during the call, never kept.
    GSErrCode RegisterMenu(const API_MenuRegistration* registration);
    GSErrCode RegisterSupportedService(void* nothing);
    GSErrCode InstallMenuHandler(Int64 token, Int16 menuId, APIMenuCommandProc handler);
    GSErrCode SetKeepInMemory(Int64 token, bool keep);
    GSErrCode RegisterModelessWindow(Int64 token, const API_ModelessWindowRec* record);
    GSErrCode UnregisterModelessWindow(Int64 token, Int32 refId);
    GSErrCode Interface(Int64 token, Int32 code, void* p1, void* p2, void* p3, void* p4);

    // [any thread] The host that the table's entries reach; null when there is none.
    static AddonHost* Current();

private:
    bool LoadSteps(const std::string& path);
    void Record(HostCall call);
    void DebugText(const char* text);
    static void DebugSinkThunk(const char* text, void* context);
    std::vector<std::string> ReadStringList(Int16 listId) const;
    void Say(const std::string& line);
    // A copy of a member guarded by `lock`, for the observers.
    template <typename T> T Copy(const T& member) const
    {
        std::lock_guard<std::mutex> guard(lock);
        return member;
    }

    Transcript& transcript;
    const std::array<const void*, APIHostTableEntries> table; // never changes
    AddonLibrary library;
    GSResModule addonResModule = InvalidResModule;
    APIFreeDataProc freeData = nullptr;
    Int64 runNumber = 0;

    // Guards the members below, which host functions change from any thread; never
    // held while the add-on's code or the transcript runs.
    mutable std::mutex lock;
    ProtocolReport report;
    MenuModel menu; // the registered menu as shown; [any thread] under `lock`
    std::vector<HostCall> calls;
    std::map<Int16, APIMenuCommandProc> handlers;
    bool keepInMemory = false;
    std::vector<ModelessWindow> windows;
    std::string debugOutput;
    std::string pendingDebugLine;
};

} // namespace velmora::host
