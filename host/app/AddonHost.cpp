#include "AddonHost.hpp"

#include <atomic>
#include <bit>
#include <cstring>

#include "HostFunctions.hpp"
#include "RS.hpp"
#include "ReportText.hpp"
#include "kit/DialogDriver.hpp"
#include "kit/Host.hpp"

namespace velmora::host {

namespace {

// The host whose functions the table's entries reach. Set by the constructor on the
// UI thread, read by the entries on whichever thread the add-on calls them.
std::atomic<AddonHost*> currentHost{nullptr};

// Tokens of this host: recognisable and wider than 32 bits.
constexpr Int64 TokenBase = 0x56454C4D00000000; // "VELM"

// A zero-terminated text of at most `capacity` bytes in a host-owned record.
std::string RecordText(const unsigned char* bytes, int capacity)
{
    int n = 0;
    while (n < capacity && bytes[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(n));
}

} // namespace

AddonHost::AddonHost(Transcript& output) : transcript(output), table(HostFunctionTable())
{
    currentHost.store(this);
    kit::SetDebugSink(&AddonHost::DebugSinkThunk, this);
}

AddonHost::~AddonHost()
{
    Unload(FreeDataCall::Call);
    AddonHost* self = this;
    if (currentHost.compare_exchange_strong(self, nullptr))
        kit::SetDebugSink(nullptr, nullptr);
}

AddonHost* AddonHost::Current()
{
    return currentHost.load();
}

void AddonHost::Say(const std::string& line)
{
    transcript.Line(line);
}

// --- The protocol ---------------------------------------------------------------

bool AddonHost::Load(const std::string& path)
{
    // A quiet transcript shows a few lines of summary for the load that went well,
    // and everything of the one that did not.
    if (!transcript.Quiet())
        return LoadSteps(path);
    transcript.Hold();
    const bool loaded = LoadSteps(path);
    transcript.Release(loaded ? Transcript::HeldLines::DebugOnly : Transcript::HeldLines::Shown);
    if (loaded)
        for (const std::string& line : LoadSummary())
            Say(line);
    return loaded;
}

bool AddonHost::LoadSteps(const std::string& path)
{
    if (library.IsOpen())
        Unload(FreeDataCall::Call);
    ++runNumber;
    {
        std::lock_guard<std::mutex> guard(lock);
        report = ProtocolReport();
        report.addonPath = path;
        menu.Clear();
        calls.clear();
        handlers.clear();
        keepInMemory = false;
        windows.clear();
    }
    Say("[host] loading " + Quoted(path));
    std::string error;
    if (!library.Open(path, &error)) {
        std::lock_guard<std::mutex> guard(lock);
        report.loadError = error;
        transcript.Line("[host] cannot load the add-on: " + error);
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(lock);
        report.loaded = true;
    }
    addonResModule = RSInitModuleImageCache(library.Handle());

    auto getExported = std::bit_cast<APIGetExportedFuncAddrsProc>(library.Symbol("GetExportedFuncAddrs"));
    auto setImported = std::bit_cast<APISetImportedFuncAddrsProc>(library.Symbol("SetImportedFuncAddrs"));
    if (getExported == nullptr || setImported == nullptr) {
        {
            std::lock_guard<std::mutex> guard(lock);
            report.loadError = "the file does not export GetExportedFuncAddrs and SetImportedFuncAddrs";
        }
        Say("[host] not an add-on: the file does not export GetExportedFuncAddrs and SetImportedFuncAddrs");
        Unload(FreeDataCall::Skip);
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(lock);
        report.exportsFound = true;
    }

    // The export record: the host hands over a record full of a pattern, so that
    // bytes the add-on does not clear show up.
    API_ExportRecord record;
    std::memset(record.bytes, 0xA5, sizeof(record.bytes));
    getExported(&record);
    using Layout = API_ExportRecord;
    UInt32 versionWord = 0;
    Int32 interfaceVersion = 0;
    std::memcpy(&versionWord, record.bytes + Layout::VersionWordOffset, sizeof(versionWord));
    std::memcpy(&interfaceVersion, record.bytes + Layout::InterfaceVersionOffset, sizeof(interfaceVersion));
    APICheckEnvironmentProc checkEnvironment = nullptr;
    APIRegisterInterfaceProc registerInterface = nullptr;
    APIInitializeProc initialize = nullptr;
    APIFreeDataProc freeDataProc = nullptr;
    std::memcpy(&checkEnvironment, record.bytes + Layout::CheckEnvironmentOffset, sizeof(checkEnvironment));
    std::memcpy(&registerInterface, record.bytes + Layout::RegisterInterfaceOffset,
                sizeof(registerInterface));
    std::memcpy(&initialize, record.bytes + Layout::InitializeOffset, sizeof(initialize));
    std::memcpy(&freeDataProc, record.bytes + Layout::FreeDataOffset, sizeof(freeDataProc));
    // Everything but the fields must be cleared: the padding after the version word
    // and the rest after the interface version.
    bool restZero = true;
    for (int i = Layout::VersionWordOffset + 4; i < Layout::CheckEnvironmentOffset; ++i)
        restZero = restZero && record.bytes[i] == 0;
    for (int i = Layout::InterfaceVersionOffset + 4; i < Layout::Size; ++i)
        restZero = restZero && record.bytes[i] == 0;
    int entryPoints = (checkEnvironment != nullptr) + (registerInterface != nullptr) +
                      (initialize != nullptr) + (freeDataProc != nullptr);
    {
        std::lock_guard<std::mutex> guard(lock);
        report.versionWord = versionWord;
        report.interfaceVersion = interfaceVersion;
        report.entryPointCount = entryPoints;
        report.recordRestZero = restZero;
    }
    Say("[host] GetExportedFuncAddrs: version " + Hex(versionWord, 8) + ", interface " +
        std::to_string(interfaceVersion) + ", entry points " + std::to_string(entryPoints) + " of 4, " +
        (restZero ? "other bytes zero" : "OTHER BYTES NOT CLEARED"));
    if (entryPoints != 4) {
        Say("[host] the add-on does not give all four entry points");
        Unload(FreeDataCall::Skip);
        return false;
    }
    freeData = freeDataProc;

    GSErrCode result = setImported(table.data());
    {
        std::lock_guard<std::mutex> guard(lock);
        report.setImportedResult = result;
    }
    Say("[host] SetImportedFuncAddrs(" + std::to_string(APIHostTableEntries) + " entries) -> " +
        ResultText(result));

    API_EnvirParams envir;
    std::memset(envir.bytes, 0, sizeof(envir.bytes));
    Int32 kind = checkEnvironment(&envir);
    std::string name = RecordText(envir.bytes + API_EnvirParams::NameOffset, API_EnvirParams::TextCapacity);
    std::string description =
        RecordText(envir.bytes + API_EnvirParams::DescriptionOffset, API_EnvirParams::TextCapacity);
    {
        std::lock_guard<std::mutex> guard(lock);
        report.kind = kind;
        report.name = name;
        report.description = description;
    }
    Say("[host] CheckEnvironment -> kind " + std::to_string(kind) + ", name " + Quoted(name) +
        ", description " + Quoted(description));
    if (kind == APIAddon_DontRegister) {
        Say("[host] the add-on asks not to be registered");
        Unload(FreeDataCall::Skip);
        return false;
    }

    Say("[host] RegisterInterface");
    result = registerInterface();
    {
        std::lock_guard<std::mutex> guard(lock);
        report.registerCalled = true;
        report.registerResult = result;
    }
    Say("[host] RegisterInterface -> " + ResultText(result));
    if (result != NoError) {
        Say("[host] the add-on is not registered");
        Unload(FreeDataCall::Skip);
        return false;
    }

    const Int64 token = TokenBase + runNumber;
    Say("[host] Initialize(token=" + TokenText(token) + ")");
    result = initialize(token);
    {
        std::lock_guard<std::mutex> guard(lock);
        report.initializeCalled = true;
        report.initializeResult = result;
        report.token = token;
        report.initialized = result == NoError;
    }
    Say("[host] Initialize -> " + ResultText(result));
    if (result != NoError) {
        Unload(FreeDataCall::Call);
        return false;
    }
    return true;
}

void AddonHost::Unload(FreeDataCall callFreeData)
{
    if (!library.IsOpen())
        return;
    // The add-on's workers may be waiting for the UI thread, which is about to wait
    // for them (FreeData): let them go, until this run is over.
    if (const int waiting = kit::SetHostShuttingDown(true))
        Say("[host] letting go of " + std::to_string(waiting) + " call(s) of background work");
    for (Int16 dialId : kit::OpenDialogs()) {
        Say("[host] closing dialog " + std::to_string(dialId));
        kit::CloseDialog(dialId);
    }
    bool initializeCalled = false, freeDataCalled = false;
    {
        std::lock_guard<std::mutex> guard(lock);
        initializeCalled = report.initializeCalled;
        freeDataCalled = report.freeDataCalled;
    }
    if (initializeCalled && !freeDataCalled && callFreeData == FreeDataCall::Call && freeData != nullptr) {
        Say("[host] FreeData");
        GSErrCode result = freeData();
        {
            std::lock_guard<std::mutex> guard(lock);
            report.freeDataCalled = true;
            report.freeDataResult = result;
            report.initialized = false;
        }
        Say("[host] FreeData -> " + ResultText(result));
    } else if (initializeCalled && !freeDataCalled) {
        Say("[host] unloading without FreeData");
    }
    for (const ModelessWindow& window : ModelessWindows())
        Say("[host] modeless window " + std::to_string(window.refId) + " is still registered");
    if (addonResModule != InvalidResModule)
        RSRemoveModuleImageCache(addonResModule);
    addonResModule = InvalidResModule;
    freeData = nullptr;
    library.Close();
    std::string unfinishedDebugLine;
    {
        std::lock_guard<std::mutex> guard(lock);
        unfinishedDebugLine.swap(pendingDebugLine);
        report.loaded = false;
        report.initialized = false;
        handlers.clear();
        windows.clear();
    }
    if (!unfinishedDebugLine.empty())
        Say("[debug] " + unfinishedDebugLine);
    Say("[host] unloaded");
    kit::SetHostShuttingDown(false);
}

bool AddonHost::Restart()
{
    std::string path;
    {
        std::lock_guard<std::mutex> guard(lock);
        path = report.addonPath;
    }
    Say("[host] restart");
    Unload(FreeDataCall::Call);
    return Load(path);
}

// --- Observation ----------------------------------------------------------------

bool AddonHost::IsLoaded() const
{
    return library.IsOpen();
}

ProtocolReport AddonHost::Report() const
{
    return Copy(report);
}

MenuModel AddonHost::Menu() const
{
    return Copy(menu);
}

std::vector<HostCall> AddonHost::Calls() const
{
    return Copy(calls);
}

std::vector<Int16> AddonHost::HandlerMenuIds() const
{
    std::lock_guard<std::mutex> guard(lock);
    std::vector<Int16> ids;
    for (const auto& entry : handlers)
        ids.push_back(entry.first);
    return ids;
}

bool AddonHost::KeepInMemory() const
{
    return Copy(keepInMemory);
}

std::vector<ModelessWindow> AddonHost::ModelessWindows() const
{
    return Copy(windows);
}

std::string AddonHost::DebugOutput() const
{
    return Copy(debugOutput);
}

GSResModule AddonHost::AddonResModule() const
{
    return addonResModule;
}

std::vector<std::string> AddonHost::LoadSummary() const
{
    return SummaryLines(Report(), Menu(), Calls(), KeepInMemory());
}

// --- Menu commands --------------------------------------------------------------

bool AddonHost::ChooseMenuItem(Int32 item, std::string* whyNot)
{
    Int16 listId = 0;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (!menu.Registered()) {
            if (whyNot != nullptr)
                *whyNot = "the add-on has registered no menu";
            return false;
        }
        listId = menu.ListId();
    }
    return CallMenuHandler(listId, item, whyNot);
}

bool AddonHost::CallMenuHandler(Int16 listId, Int32 item, std::string* whyNot)
{
    APIMenuCommandProc handler = nullptr;
    std::string itemText;
    {
        std::lock_guard<std::mutex> guard(lock);
        auto it = handlers.find(listId);
        if (it != handlers.end())
            handler = it->second;
        if (menu.Registered() && menu.ListId() == listId && menu.Item(item) != nullptr)
            itemText = menu.Item(item)->text.display;
    }
    if (!library.IsOpen() || handler == nullptr) {
        if (whyNot != nullptr)
            *whyNot = "no menu handler is installed for menu " + std::to_string(listId);
        return false;
    }
    API_MenuParams params;
    std::memset(&params, 0, sizeof(params));
    params.menuResID = listId;
    params.itemIndex = item;
    Say("[host] menu command: menu " + std::to_string(listId) + " item " + std::to_string(item) +
        (itemText.empty() ? std::string(" (not an item of the menu)") : " " + Quoted(itemText)));
    GSErrCode result = handler(&params);
    Say("[host] menu handler -> " + ResultText(result));
    return true;
}

} // namespace velmora::host
