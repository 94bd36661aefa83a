#include "Session.hpp"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "FTM.hpp"
#include "Panel.hpp"
#include "kit/Host.hpp"
#include "velmora/pathform.hpp"

namespace fs = std::filesystem;

namespace velmora::host {

namespace {

bool ParseInt(const std::string& text, long* out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (end == nullptr || *end != 0)
        return false;
    *out = value;
    return true;
}

bool ParseSeconds(const std::string& text, double* out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (end == nullptr || *end != 0 || value < 0)
        return false;
    *out = value;
    return true;
}

bool IsDialogAction(const std::string& name)
{
    return name == "click" || name == "select" || name == "close";
}

std::string Quote(const std::string& text)
{
    return "\"" + text + "\"";
}

const kit::ItemState* FindItem(const kit::DialogState& dialog, long number)
{
    for (const kit::ItemState& item : dialog.items)
        if (item.number == number)
            return &item;
    return nullptr;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Extension(const std::string& path)
{
    std::size_t slash = path.find_last_of("\\/");
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    return Lower(path.substr(dot + 1));
}

} // namespace

Session::Session(AddonHost& addonHost, Transcript& output, CommandSource& input, std::string folder)
    : host(addonHost), transcript(output), source(input), userFolder(std::move(folder)),
      uiThread(std::this_thread::get_id())
{
    kit::SetDialogDriver(this);
}

Session::~Session()
{
    kit::SetDialogDriver(nullptr);
}

bool Session::OnUiThread() const
{
    return std::this_thread::get_id() == uiThread;
}

std::string Session::Prompt()
{
    if (!modalStack.empty()) {
        kit::DialogState state;
        if (kit::GetDialogState(modalStack.back(), &state))
            return "dialog " + std::to_string(state.resId) + "> ";
    }
    return "velmora> ";
}

void Session::Echo(const Command& command)
{
    if (!source.Interactive())
        transcript.Line("> " + command.source);
}

Session::Outcome Session::Fail(const Command& command, const std::string& message)
{
    if (source.Interactive())
        transcript.Line("error: " + message);
    else
        transcript.Line("[fail] line " + std::to_string(command.line) + ": " + command.source + ": " +
                        message);
    return Outcome::Failed;
}

// --- Running ----------------------------------------------------------------------

int Session::Run()
{
    if (source.Interactive()) {
        transcript.Line("velmora-host: choose a menu item by its number; \"help\" lists the commands.");
        ShowMenuBar();
    }
    while (!Stopping()) {
        Command command;
        if (!source.Next(&command, Prompt()))
            break;
        Echo(command);
        Outcome outcome = Execute(command);
        if (outcome == Outcome::Quit) {
            quitRequested = true;
            break;
        }
        if (outcome == Outcome::Failed && !source.Interactive()) {
            failed = true;
            stopping = true;
            break;
        }
        if (outcome == Outcome::Done && IsDialogAction(command.name)) {
            Int16 dialId = CurrentDialog();
            if (dialId != 0)
                ShowDialog(dialId);
        }
        if (outcome == Outcome::Done && source.Interactive() &&
            (command.name == "menu" || command.name == "restart"))
            ShowMenuBar();
    }
    DrawPendingEvents();
    return failed ? 1 : 0;
}

void Session::RunModal(Int16 dialId)
{
    if (Stopping() || !OnUiThread())
        return;
    modalStack.push_back(dialId);
    ShowDialog(dialId);
    kit::DialogState state;
    while (!Stopping() && kit::GetDialogState(dialId, &state)) {
        Command command;
        if (!source.Next(&command, Prompt())) {
            transcript.Line("[host] the input ended while dialog " + std::to_string(state.resId) +
                            " is open; it is cancelled");
            stopping = true;
            break;
        }
        Echo(command);
        Outcome outcome = Execute(command);
        if (outcome == Outcome::Quit) {
            quitRequested = true;
            stopping = true;
            break;
        }
        if (outcome == Outcome::Failed && !source.Interactive()) {
            failed = true;
            stopping = true;
            break;
        }
        if (outcome == Outcome::Done && IsDialogAction(command.name) && kit::GetDialogState(dialId, &state))
            ShowDialog(dialId);
    }
    modalStack.pop_back();
}

// --- Commands ---------------------------------------------------------------------

Session::Outcome Session::Execute(const Command& c)
{
    DrawPendingEvents();
    const std::string& name = c.name;
    const std::vector<std::string>& a = c.args;
    auto argCount = [&](std::size_t least, std::size_t most) {
        return a.size() >= least && a.size() <= most;
    };
    auto usage = [&](const std::string& form) { return Fail(c, "usage: " + form); };
    long n1 = 0, n2 = 0;

    if (name == "help") {
        transcript.Line(CommandHelp());
        return Outcome::Done;
    }
    if (name == "echo") {
        std::string text;
        for (const std::string& arg : a)
            text += (text.empty() ? "" : " ") + arg;
        transcript.Line(text);
        return Outcome::Done;
    }
    if (name == "quit" || name == "exit") {
        return Outcome::Quit;
    }
    if (name == "show") {
        ShowMenuBar();
        for (Int16 dialId : kit::OpenDialogs())
            ShowDialog(dialId);
        return Outcome::Done;
    }
    if (name == "menu") {
        if (!argCount(1, 1) || !ParseInt(a[0], &n1))
            return usage("menu N");
        if (!modalStack.empty())
            return Fail(c, "a modal dialog is open");
        std::string why;
        if (!host.ChooseMenuItem(static_cast<Int32>(n1), &why))
            return Fail(c, why);
        DrawPendingEvents();
        return Stopping() && failed ? Outcome::Failed : Outcome::Done;
    }
    if (name == "restart") {
        if (!modalStack.empty())
            return Fail(c, "a modal dialog is open");
        if (!host.Restart())
            return Fail(c, "the add-on could not be loaded and initialised again");
        return Outcome::Done;
    }
    if (name == "answer") {
        if (!argCount(1, 1) || !ParseInt(a[0], &n1) || n1 < 1 || n1 > 3)
            return usage("answer N (1 to 3)");
        std::lock_guard<std::mutex> guard(lock);
        presetAnswer = static_cast<Int16>(n1);
        return Outcome::Done;
    }
    if (name == "file" || name == "file-cancel") {
        if (name == "file" ? !argCount(1, 1) : !argCount(0, 0))
            return usage("file PATH | file-cancel");
        std::lock_guard<std::mutex> guard(lock);
        presetFile = name == "file" ? a[0] : std::string();
        return Outcome::Done;
    }
    if (name == "wait") {
        double seconds = 0;
        if (!argCount(1, 1) || !ParseSeconds(a[0], &seconds))
            return usage("wait SECONDS");
        auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < until) {
            DrawPendingEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        DrawPendingEvents();
        return Outcome::Done;
    }
    if (name == "wait-dialog" || name == "wait-closed") {
        double seconds = 10;
        if (!argCount(1, 2) || !ParseInt(a[0], &n1) || (a.size() == 2 && !ParseSeconds(a[1], &seconds)))
            return usage(name + " RESID [SECONDS]");
        bool visible = name == "wait-dialog";
        if (!WaitFor(seconds, visible ? &Session::DialogVisible : &Session::DialogGone,
                     static_cast<Int16>(n1)))
            return Fail(c, "no change within " + (a.size() == 2 ? a[1] : std::string("10")) + " seconds");
        return Outcome::Done;
    }

    // Dialog commands.
    if (name == "dialog") {
        if (!argCount(1, 1) || !ParseInt(a[0], &n1))
            return usage("dialog RESID");
        if (!modalStack.empty())
            return Fail(c, "a modal dialog is open");
        Int16 dialId = 0;
        if (!FindDialogByResource(static_cast<Int16>(n1), false, &dialId))
            return Fail(c, "no dialog of resource " + a[0] + " is open");
        chosenDialog = dialId;
        ShowDialog(dialId);
        return Outcome::Done;
    }
    if (name == "expect-dialog" || name == "expect-no-dialog") {
        bool wanted = name == "expect-dialog";
        if (wanted ? !argCount(1, 1) : !argCount(0, 1))
            return usage(name + (wanted ? " RESID" : " [RESID]"));
        if (!a.empty() && !ParseInt(a[0], &n1))
            return usage(name + " RESID");
        Int16 dialId = 0;
        bool found = a.empty() ? !kit::OpenDialogs().empty()
                               : FindDialogByResource(static_cast<Int16>(n1), false, &dialId);
        if (found != wanted)
            return Fail(c, wanted ? "no such dialog is open" : "a dialog is open");
        return Outcome::Done;
    }

    if (name == "click" || name == "select" || name == "close" || name.rfind("expect-", 0) == 0) {
        const bool menuExpectation = name == "expect-menu-title" || name == "expect-menu" ||
                                     name == "expect-checked" || name == "expect-unchecked";
        const bool otherExpectation = name == "expect-alert" || name == "expect-call" ||
                                      name == "expect-debug" || name == "expect-file" ||
                                      name == "expect-no-file" || name == "expect-file-contains";
        if (menuExpectation) {
            MenuModel menu = host.Menu();
            if (name == "expect-menu-title") {
                if (!argCount(1, 1))
                    return usage("expect-menu-title \"TEXT\"");
                if (!menu.Registered() || menu.Title().display != a[0])
                    return Fail(c, "the menu title is " + Quote(menu.Title().display));
                return Outcome::Done;
            }
            if (!argCount(name == "expect-menu" ? 2 : 1, name == "expect-menu" ? 2 : 1) ||
                !ParseInt(a[0], &n1))
                return usage(name == "expect-menu" ? "expect-menu N \"TEXT\"" : name + " N");
            const MenuItem* item = menu.Item(static_cast<Int32>(n1));
            if (item == nullptr)
                return Fail(c, "the menu has no item " + a[0]);
            if (name == "expect-menu" && item->text.display != a[1])
                return Fail(c, "menu item " + a[0] + " is " + Quote(item->text.display));
            if (name == "expect-checked" && !item->Checked())
                return Fail(c, "menu item " + a[0] + " has no check mark");
            if (name == "expect-unchecked" && item->Checked())
                return Fail(c, "menu item " + a[0] + " has a check mark");
            return Outcome::Done;
        }
        if (otherExpectation) {
            if (name == "expect-alert" || name == "expect-call" || name == "expect-debug") {
                if (!argCount(1, 1))
                    return usage(name + " \"TEXT\"");
                if (name == "expect-alert") {
                    std::string alert;
                    {
                        std::lock_guard<std::mutex> guard(lock);
                        alert = lastAlert;
                    }
                    if (alert.find(a[0]) == std::string::npos)
                        return Fail(c, alert.empty() ? "no alert was shown"
                                                     : "the last alert was " + Quote(alert));
                } else if (name == "expect-call") {
                    for (const HostCall& call : host.Calls()) {
                        std::string line =
                            call.name + "(" + call.arguments + ") -> " + ResultText(call.result);
                        if (line.find(a[0]) != std::string::npos)
                            return Outcome::Done;
                    }
                    return Fail(c, "no such host call in this run");
                } else if (host.DebugOutput().find(a[0]) == std::string::npos) {
                    return Fail(c, "the debug output does not contain it");
                }
                return Outcome::Done;
            }
            const bool contains = name == "expect-file-contains";
            if (!argCount(contains ? 2 : 1, contains ? 2 : 1))
                return usage(contains ? "expect-file-contains PATH \"TEXT\"" : name + " PATH");
            std::string path = NativePath(a[0]);
            std::error_code ec;
            bool exists = fs::exists(path, ec);
            if (name == "expect-no-file")
                return exists ? Fail(c, "the file exists") : Outcome::Done;
            if (!exists)
                return Fail(c, "no file " + Quote(path));
            if (contains) {
                std::ifstream file(path, std::ios::binary);
                std::ostringstream bytes;
                bytes << file.rdbuf();
                if (bytes.str().find(a[1]) == std::string::npos)
                    return Fail(c, "the file does not contain it");
            }
            return Outcome::Done;
        }

        Int16 dialId = CurrentDialog();
        kit::DialogState dialog;
        if (dialId == 0 || !kit::GetDialogState(dialId, &dialog))
            return Fail(c, "no dialog is open");
        if (name == "close") {
            if (!argCount(0, 0))
                return usage("close");
            if (!kit::CloseDialog(dialId))
                return Fail(c, "the dialog cannot be closed");
            return Outcome::Done;
        }
        if (name == "expect-title") {
            if (!argCount(1, 1))
                return usage("expect-title \"TEXT\"");
            if (Utf8(dialog.title) != a[0])
                return Fail(c, "the title is " + Quote(Utf8(dialog.title)));
            return Outcome::Done;
        }
        if (a.empty() || !ParseInt(a[0], &n1))
            return usage(name + " ITEM ...");
        const kit::ItemState* item = FindItem(dialog, n1);
        if (name == "click") {
            if (!argCount(1, 1))
                return usage("click ITEM");
            if (!kit::Click(dialId, static_cast<Int16>(n1)))
                return Fail(c, "item " + a[0] + " cannot be clicked");
            return Outcome::Done;
        }
        if (name == "select") {
            if (!argCount(2, 2) || !ParseInt(a[1], &n2))
                return usage("select ITEM ROW");
            if (!kit::SelectListRow(dialId, static_cast<Int16>(n1), static_cast<Int16>(n2)))
                return Fail(c, "row " + a[1] + " of item " + a[0] + " cannot be selected");
            return Outcome::Done;
        }
        if (item == nullptr)
            return Fail(c, "the dialog has no item " + a[0]);
        if (name == "expect-text") {
            if (!argCount(2, 2))
                return usage("expect-text ITEM \"TEXT\"");
            if (Utf8(item->text) != a[1])
                return Fail(c, "item " + a[0] + " is " + Quote(Utf8(item->text)));
            return Outcome::Done;
        }
        if (name == "expect-visible" || name == "expect-hidden") {
            if (!argCount(1, 1))
                return usage(name + " ITEM");
            if (item->visible != (name == "expect-visible"))
                return Fail(c, std::string("item ") + a[0] + " is " + (item->visible ? "visible" : "hidden"));
            return Outcome::Done;
        }
        if (name == "expect-enabled" || name == "expect-disabled") {
            if (!argCount(1, 1))
                return usage(name + " ITEM");
            if (item->enabled != (name == "expect-enabled"))
                return Fail(c,
                            std::string("item ") + a[0] + " is " + (item->enabled ? "enabled" : "disabled"));
            return Outcome::Done;
        }
        if (name == "expect-rows") {
            if (!argCount(2, 2) || !ParseInt(a[1], &n2))
                return usage("expect-rows ITEM N");
            if (static_cast<long>(item->rows.size()) != n2)
                return Fail(c, "list " + a[0] + " has " + std::to_string(item->rows.size()) + " rows");
            return Outcome::Done;
        }
        if (name == "expect-selected") {
            if (!argCount(2, 2) || !ParseInt(a[1], &n2))
                return usage("expect-selected ITEM ROW");
            if (item->selectedRow != n2)
                return Fail(c,
                            "row " + std::to_string(item->selectedRow) + " of list " + a[0] + " is selected");
            return Outcome::Done;
        }
        if (name == "expect-row") {
            if (!argCount(3, 3) || !ParseInt(a[1], &n2))
                return usage("expect-row ITEM ROW \"TEXT\"");
            if (n2 < 1 || static_cast<std::size_t>(n2) > item->rows.size())
                return Fail(c, "list " + a[0] + " has no row " + a[1]);
            std::string row = DrawListRow(item->rows[static_cast<std::size_t>(n2) - 1], dialog.resModule);
            if (row.find(a[2]) == std::string::npos)
                return Fail(c, "row " + a[1] + " is " + Quote(row));
            return Outcome::Done;
        }
    }
    return Fail(c, "unknown command " + Quote(name) + " (\"help\" lists the commands)");
}

// --- Dialogs ----------------------------------------------------------------------

bool Session::FindDialogByResource(Int16 resId, bool visibleOnly, Int16* dialId)
{
    std::vector<Int16> open = kit::OpenDialogs();
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        kit::DialogState state;
        if (kit::GetDialogState(*it, &state) && state.resId == resId && (!visibleOnly || state.visible)) {
            *dialId = *it;
            return true;
        }
    }
    return false;
}

Int16 Session::CurrentDialog()
{
    if (!modalStack.empty())
        return modalStack.back();
    kit::DialogState state;
    if (chosenDialog != 0 && kit::GetDialogState(chosenDialog, &state))
        return chosenDialog;
    chosenDialog = 0;
    std::vector<Int16> open = kit::OpenDialogs();
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        if (kit::GetDialogState(*it, &state) && state.visible)
            return *it;
    return 0;
}

bool Session::DialogVisible(Int16 resId)
{
    Int16 dialId = 0;
    return FindDialogByResource(resId, true, &dialId);
}

bool Session::DialogGone(Int16 resId)
{
    Int16 dialId = 0;
    return !FindDialogByResource(resId, false, &dialId);
}

bool Session::WaitFor(double seconds, bool (Session::*condition)(Int16), Int16 resId)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        DrawPendingEvents();
        if ((this->*condition)(resId))
            return true;
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void Session::ShowMenuBar()
{
    transcript.Line(DrawMenuBar(host.Menu()));
}

void Session::ShowDialog(Int16 dialId)
{
    kit::DialogState state;
    if (kit::GetDialogState(dialId, &state))
        transcript.Line(DrawDialog(state));
}

void Session::OnDialogEvent(Int16 dialId, kit::DialogEvent event)
{
    // The kit may call from any thread and in the middle of its own work: the event
    // is only noted here and drawn by the session's thread before its next command.
    std::lock_guard<std::mutex> guard(lock);
    events.emplace_back(dialId, event);
}

void Session::DrawPendingEvents()
{
    if (!OnUiThread())
        return;
    std::deque<std::pair<Int16, kit::DialogEvent>> taken;
    {
        std::lock_guard<std::mutex> guard(lock);
        taken.swap(events);
    }
    for (const auto& [dialId, event] : taken) {
        if (event == kit::DialogEvent::Shown) {
            kit::DialogState state;
            if (!kit::GetDialogState(dialId, &state))
                transcript.Line("[host] dialog " + std::to_string(dialId) + " was shown and is closed again");
            else if (!state.modal)
                transcript.Line(DrawDialog(state));
        } else if (event == kit::DialogEvent::Closed) {
            transcript.Line("[host] dialog " + std::to_string(dialId) + " closed");
        }
    }
}

// --- Questions --------------------------------------------------------------------

Int16 Session::OnAlert(const kit::AlertRequest& request)
{
    std::string title = Utf8(request.title), large = Utf8(request.largeText), small = Utf8(request.smallText);
    int buttonCount = 0;
    std::string buttons;
    for (int i = 0; i < 3; ++i) {
        if (request.buttons[i].IsEmpty())
            continue;
        buttonCount = i + 1;
        buttons += (buttons.empty() ? "" : "  ") + std::string("[") + std::to_string(i + 1) + "] " +
                   Utf8(request.buttons[i]);
    }
    if (buttonCount == 0)
        buttonCount = 1;
    std::string panel = "+-- alert " + Quote(title) + " (type " + std::to_string(request.type) + ")";
    if (!large.empty())
        panel += "\n| " + large;
    if (!small.empty())
        panel += "\n| " + small;
    panel += "\n| " + buttons + "\n+--";
    transcript.Line(panel);
    {
        std::lock_guard<std::mutex> guard(lock);
        lastAlert = title + "\n" + large + "\n" + small;
    }

    Int16 button = 1;
    bool answered = false;
    if (!Stopping() && OnUiThread()) {
        Command next;
        if (source.Peek(&next) && next.name == "answer") {
            source.Next(&next, "");
            Echo(next);
            long n = 0;
            if (next.args.size() == 1 && ParseInt(next.args[0], &n) && n >= 1 && n <= buttonCount) {
                button = static_cast<Int16>(n);
                answered = true;
            } else if (!source.Interactive()) {
                Fail(next, "the alert has buttons 1 to " + std::to_string(buttonCount));
                failed = true;
                stopping = true;
            }
        }
    }
    if (!answered) {
        std::lock_guard<std::mutex> guard(lock);
        if (presetAnswer) {
            button = *presetAnswer;
            presetAnswer.reset();
            answered = true;
        }
    }
    if (!answered && !Stopping() && OnUiThread() && source.Interactive()) {
        std::string line;
        long n = 0;
        while (source.AskLine("button (1-" + std::to_string(buttonCount) + ") [1]: ", &line)) {
            if (line.empty())
                break;
            if (ParseInt(line, &n) && n >= 1 && n <= buttonCount) {
                button = static_cast<Int16>(n);
                break;
            }
        }
    }
    transcript.Line("[host] alert answered with button " + std::to_string(button));
    return button;
}

bool Session::OnFileDialog(const kit::FileDialogRequest& request, std::string* chosenPath, UInt32* filter)
{
    std::string panel = "+-- file dialog " + Quote(Utf8(request.title)) + " (" +
                        (request.type == DG::FileDialog::Save ? "save" : "open") + ")";
    if (!request.folder.empty())
        panel += "\n| folder: " + request.folder;
    if (!request.fileName.empty())
        panel += "\n| file name: " + request.fileName;
    for (UInt32 id : request.filters) {
        FTM::FileType type("", "", 0, 0, 0);
        if (FTM::GetFileType(id, &type))
            panel +=
                "\n| type " + std::to_string(id) + ": " + type.description + " (*." + type.extension + ")";
        else
            panel += "\n| type " + std::to_string(id);
    }
    panel += "\n+--";
    transcript.Line(panel);

    std::optional<std::string> answer; // empty text: cancel
    if (!Stopping() && OnUiThread()) {
        Command next;
        if (source.Peek(&next) && (next.name == "file" || next.name == "file-cancel")) {
            source.Next(&next, "");
            Echo(next);
            if (next.name == "file" && next.args.size() == 1)
                answer = next.args[0];
            else
                answer = std::string();
        }
    }
    if (!answer) {
        std::lock_guard<std::mutex> guard(lock);
        if (presetFile) {
            answer = presetFile;
            presetFile.reset();
        }
    }
    if (!answer && !Stopping() && OnUiThread() && source.Interactive()) {
        std::string line;
        answer = source.AskLine("path (empty cancels): ", &line) ? line : std::string();
    }
    if (!answer || answer->empty()) {
        transcript.Line("[host] file dialog cancelled");
        return false;
    }
    std::string native = NativePath(*answer);
#if defined(_WIN32)
    std::string windows = native;
#else
    std::string windows = velmora::pathform::ToWindows(native);
#endif
    UInt32 chosenFilter = request.filters.empty() ? 0 : request.filters.front();
    for (UInt32 id : request.filters) {
        FTM::FileType type("", "", 0, 0, 0);
        if (FTM::GetFileType(id, &type) && Lower(type.extension) == Extension(native)) {
            chosenFilter = id;
            break;
        }
    }
    if (chosenPath != nullptr)
        *chosenPath = windows;
    if (filter != nullptr)
        *filter = chosenFilter;
    transcript.Line("[host] file dialog answered with " + Quote(windows));
    return true;
}

std::string Session::NativePath(const std::string& path) const
{
    fs::path p(path);
    if (p.is_absolute() || userFolder.empty())
        return p.string();
    return (fs::path(userFolder) / p).string();
}

// --- The program ------------------------------------------------------------------

int RunHost(const HostOptions& options, std::istream& in, bool inIsTerminal, std::ostream& out)
{
    Transcript transcript(out);

    std::vector<Command> commands;
    bool interactive = false;
    std::string error;
    if (!options.scriptFile.empty()) {
        std::ifstream file(options.scriptFile, std::ios::binary);
        if (!file) {
            transcript.Line("velmora-host: cannot read the script " + Quote(options.scriptFile));
            return 2;
        }
        std::ostringstream text;
        text << file.rdbuf();
        if (!ParseCommands(text.str(), 1, &commands, &error)) {
            transcript.Line("velmora-host: " + options.scriptFile + ": " + error);
            return 2;
        }
    } else if (options.commandsGiven) {
        if (!ParseCommands(options.commands, 1, &commands, &error)) {
            transcript.Line("velmora-host: -c: " + error);
            return 2;
        }
    } else if (!inIsTerminal) {
        std::ostringstream text;
        text << in.rdbuf();
        if (!ParseCommands(text.str(), 1, &commands, &error)) {
            transcript.Line("velmora-host: standard input: " + error);
            return 2;
        }
    } else {
        interactive = true;
    }

    if (!options.codePage.empty()) {
#if defined(_WIN32)
        transcript.Line("[host] --codepage has no effect on Windows, where the system's code page holds");
#else
        setenv("VELMORA_ANSI_CODEPAGE", options.codePage.c_str(), 1);
        transcript.Line("[host] ANSI code page of the add-on: " + options.codePage);
#endif
    }

    std::string userFolder = options.userFolder.empty() ? kit::DefaultUserFolder() : options.userFolder;
    std::error_code ec;
    fs::create_directories(userFolder, ec);
    kit::SetSpecialFolder(IO::FileSystem::UserPreferences, userFolder);
    transcript.Line("[host] user folder (special location 14): " + userFolder);

    int status = 0;
    {
        AddonHost host(transcript);
        std::string path = options.addonPath.empty() ? DefaultAddonPath() : options.addonPath;
        if (!host.Load(path)) {
            status = 3;
        } else {
            ScriptSource script(commands);
            TerminalSource terminal(in, transcript);
            CommandSource& source = interactive ? static_cast<CommandSource&>(terminal) : script;
            Session session(host, transcript, source, userFolder);
            status = session.Run();
            host.Unload(options.freeData);
        }
    }
    kit::SetSpecialFolder(IO::FileSystem::UserPreferences, "");
    return status;
}

} // namespace velmora::host
