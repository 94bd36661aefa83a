#include "AddonHost.hpp"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "RS.hpp"
#include "kit/DialogDriver.hpp"
#include "kit/Host.hpp"

namespace velmora::host {

namespace {

std::atomic<AddonHost*> currentHost{nullptr};

// Largest string-list entry the host reads, in UTF-16 units.
constexpr Int32 StringCapacity = 512;
// Most entries the host reads from a menu's string list.
constexpr Int32 MaxMenuEntries = 64;
// Tokens of this host: recognisable and wider than 32 bits.
constexpr Int64 TokenBase = 0x56454C4D00000000; // "VELM"

template <typename To, typename From> To BitCast(From from)
{
    static_assert(sizeof(To) == sizeof(From));
    To to;
    std::memcpy(&to, &from, sizeof(to));
    return to;
}

std::string Hex(UInt64 value, int digits)
{
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "0x%0*llx", digits, static_cast<unsigned long long>(value));
    return buffer;
}

std::string TokenText(Int64 token)
{
    return Hex(static_cast<UInt64>(token), 1);
}

// A host call of the add-on with the token it passed, to be filled and recorded.
HostCall StartCall(int entry, const char* name, Int64 token)
{
    HostCall call;
    call.entry = entry;
    call.name = name;
    call.token = token;
    return call;
}

std::string FourCharText(Int32 code)
{
    std::string text = "'";
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = static_cast<char>((static_cast<UInt32>(code) >> shift) & 0xFF);
        text += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return text + "'";
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string Utf8Of(const GS::UniString& text)
{
    char* bytes = text.ToUtf8();
    std::string out = bytes != nullptr ? bytes : "";
    GS::DeleteArrayOperator(bytes);
    return out;
}

// A zero-terminated text of at most `capacity` bytes in a host-owned record.
std::string RecordText(const unsigned char* bytes, int capacity)
{
    int n = 0;
    while (n < capacity && bytes[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(n));
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

std::string ResultText(GSErrCode result)
{
    return result == NoError ? "0" : Hex(static_cast<UInt32>(result), 8);
}

AddonHost::AddonHost(Transcript& output) : transcript(output)
{
    table[APIEntry_RegisterMenu] = BitCast<const void*>(&HostRegisterMenu);
    table[APIEntry_RegisterSupportedService] = BitCast<const void*>(&HostRegisterSupportedService);
    table[APIEntry_InstallMenuHandler] = BitCast<const void*>(&HostInstallMenuHandler);
    table[APIEntry_KeepInMemory] = BitCast<const void*>(&HostKeepInMemory);
    table[APIEntry_RegisterModelessWindow] = BitCast<const void*>(&HostRegisterModelessWindow);
    table[APIEntry_UnregisterModelessWindow] = BitCast<const void*>(&HostUnregisterModelessWindow);
    table[APIEntry_Interface] = BitCast<const void*>(&HostInterface);
    currentHost.store(this);
    kit::SetDebugSink(&AddonHost::DebugSinkThunk, this);
}

AddonHost::~AddonHost()
{
    Unload(true);
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
    transcript.Release(!loaded);
    if (loaded)
        for (const std::string& line : LoadSummary())
            Say(line);
    return loaded;
}

bool AddonHost::LoadSteps(const std::string& path)
{
    if (library.IsOpen())
        Unload(true);
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

    auto getExported = BitCast<APIGetExportedFuncAddrsProc>(library.Symbol("GetExportedFuncAddrs"));
    auto setImported = BitCast<APISetImportedFuncAddrsProc>(library.Symbol("SetImportedFuncAddrs"));
    if (getExported == nullptr || setImported == nullptr) {
        {
            std::lock_guard<std::mutex> guard(lock);
            report.loadError = "the file does not export GetExportedFuncAddrs and SetImportedFuncAddrs";
        }
        Say("[host] not an add-on: the file does not export GetExportedFuncAddrs and SetImportedFuncAddrs");
        Unload(false);
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
    UInt32 versionWord = 0;
    Int32 interfaceVersion = 0;
    std::memcpy(&versionWord, record.bytes + 0, sizeof(versionWord));
    std::memcpy(&interfaceVersion, record.bytes + 40, sizeof(interfaceVersion));
    APICheckEnvironmentProc checkEnvironment = nullptr;
    APIRegisterInterfaceProc registerInterface = nullptr;
    APIInitializeProc initialize = nullptr;
    APIFreeDataProc freeDataProc = nullptr;
    std::memcpy(&checkEnvironment, record.bytes + 8, 8);
    std::memcpy(&registerInterface, record.bytes + 16, 8);
    std::memcpy(&initialize, record.bytes + 24, 8);
    std::memcpy(&freeDataProc, record.bytes + 32, 8);
    bool restZero = true;
    for (int i = 4; i < 8; ++i)
        restZero = restZero && record.bytes[i] == 0;
    for (int i = 44; i < 120; ++i)
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
        Unload(false);
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
        Unload(false);
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
        Unload(false);
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
        Unload(true);
        return false;
    }
    return true;
}

void AddonHost::Unload(bool callFreeData)
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
    if (initializeCalled && !freeDataCalled && callFreeData && freeData != nullptr) {
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
    Unload(true);
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

namespace {

// "32500, 32502-32506": numbers in ascending order, runs as ranges.
std::string NumberRanges(std::vector<long> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    std::string text;
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t last = i;
        while (last + 1 < numbers.size() && numbers[last + 1] == numbers[last] + 1)
            ++last;
        text += (text.empty() ? "" : ", ") + std::to_string(numbers[i]);
        if (last > i)
            text += (last == i + 1 ? ", " : "-") + std::to_string(numbers[last]);
        i = last + 1;
    }
    return text;
}

std::string Plural(std::size_t count, const std::string& one, const std::string& many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

} // namespace

std::vector<std::string> AddonHost::LoadSummary() const
{
    const ProtocolReport protocol = Report();
    const MenuModel registered = Menu();
    const std::vector<HostCall> made = Calls();
    std::vector<std::string> lines;
    lines.push_back("[host] loaded " + Quoted(protocol.name) + " (" + protocol.description + ", kind " +
                    std::to_string(protocol.kind) + "): the protocol went through, Initialize -> " +
                    ResultText(protocol.initializeResult));

    std::vector<long> handlerMenus, textMenus, flagMenus;
    std::size_t texts = 0, flags = 0;
    // The refused calls by their reason, in the order the reasons first came.
    std::vector<std::pair<std::string, std::vector<const HostCall*>>> refusals;
    for (const HostCall& call : made) {
        const bool elsewhere =
            call.menuId != 0 && registered.Registered() && call.menuId != registered.ListId();
        if (call.result == NoError) {
            if (call.entry == APIEntry_InstallMenuHandler)
                handlerMenus.push_back(call.menuId);
            if (call.entry == APIEntry_Interface && call.code == APIIo_SetMenuItemTextID) {
                ++texts;
                textMenus.push_back(call.menuId);
            }
            if (call.entry == APIEntry_Interface && call.code == APIIo_SetMenuItemFlagsID) {
                ++flags;
                flagMenus.push_back(call.menuId);
            }
            continue;
        }
        std::string reason =
            call.name + (call.entry == APIEntry_Interface ? " " + FourCharText(call.code) : "");
        if (elsewhere && call.entry == APIEntry_Interface)
            reason = "menu items of menus that are not registered";
        else if (call.result == APIERR_NOTSUPPORTED)
            reason += ", which this host does not support";
        auto it =
            std::find_if(refusals.begin(), refusals.end(), [&](const auto& r) { return r.first == reason; });
        if (it == refusals.end())
            it = refusals.insert(refusals.end(), {reason, {}});
        it->second.push_back(&call);
    }

    if (registered.Registered())
        lines.push_back("[host] menu " + Quoted(registered.Title().display) + " (string list " +
                        std::to_string(registered.ListId()) + ") with " +
                        Plural(registered.Items().size(), "item", "items") + "; menu handlers for " +
                        (handlerMenus.empty() ? std::string("no menu") : NumberRanges(handlerMenus)) +
                        (KeepInMemory() ? "; kept in memory" : ""));
    else
        lines.push_back("[host] the add-on registered no menu");
    lines.push_back("[host] texts set: " + Plural(texts, "menu item text", "menu item texts") +
                    (textMenus.empty() ? "" : " (menu " + NumberRanges(textMenus) + ")") + ", " +
                    Plural(flags, "menu item mark", "menu item marks") +
                    (flagMenus.empty() ? "" : " (menu " + NumberRanges(flagMenus) + ")"));
    std::size_t refused = 0;
    for (const auto& refusal : refusals)
        refused += refusal.second.size();
    std::string tally = "[host] " + Plural(made.size(), "host call", "host calls") + ", " +
                        std::to_string(refused) + " refused";
    for (const auto& [reason, which] : refusals) {
        std::vector<long> menus;
        std::vector<std::string> results;
        for (const HostCall* call : which) {
            if (call->menuId != 0)
                menus.push_back(call->menuId);
            const std::string result = ResultText(call->result);
            if (std::find(results.begin(), results.end(), result) == results.end())
                results.push_back(result);
        }
        std::string answers;
        for (const std::string& result : results)
            answers += (answers.empty() ? "" : ", ") + result;
        tally += (&reason == &refusals.front().first ? ": " : "; ") + std::to_string(which.size()) + " for " +
                 reason + (menus.empty() ? "" : " (" + NumberRanges(menus) + ")") + " -> " + answers;
    }
    lines.push_back(tally);
    lines.push_back("[host] \"calls\" lists every host call; --verbose shows them as they come");
    return lines;
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

// --- Host functions -------------------------------------------------------------

void AddonHost::Record(HostCall call)
{
    std::string line = "[call] " + call.name + "(" + call.arguments + ") -> " + ResultText(call.result);
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
