#include "Commands.hpp"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Numbers.hpp"
#include "Panel.hpp"
#include "Utf8Paths.hpp"

namespace fs = std::filesystem;

namespace velmora::host {

namespace {

constexpr long MaxShort = 32767;
constexpr double DefaultWait = 10; // seconds, for the waits that take an optional limit

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

} // namespace

// The handlers, one per command (or per family of commands that differ in one word).
struct CommandHandlers {
    static Outcome BadUsage(Session& s, const Command& c)
    {
        return s.Fail(c, "usage: " + Usage(*FindCommand(c.name)));
    }

    // The optional time limit of a wait, at argument `index`.
    static bool Seconds(const Command& c, std::size_t index, double* seconds)
    {
        *seconds = DefaultWait;
        return c.args.size() <= index || ParseSeconds(c.args[index], seconds);
    }

    static Outcome Waited(Session& s, const Command& c, bool reached, double seconds)
    {
        if (reached)
            return Outcome::Done;
        std::ostringstream limit;
        limit << seconds;
        return s.Fail(c, "nothing came within " + limit.str() + " seconds");
    }

    // The current dialog, or a failure.
    static bool Current(Session& s, const Command& c, Int16* dialId, kit::DialogState* state,
                        Outcome* failure)
    {
        *dialId = s.CurrentDialog();
        if (*dialId != 0 && kit::GetDialogState(*dialId, state))
            return true;
        *failure = s.Fail(c, "no dialog is open");
        return false;
    }

    // Runs `act(item, state)` on item `c.args[0]` of the current dialog, or fails.
    template <typename Act> static Outcome WithItem(Session& s, const Command& c, Act&& act)
    {
        Outcome failure{};
        kit::DialogState state;
        const kit::ItemState* item = Item(s, c, &state, &failure);
        return item != nullptr ? act(*item, state) : failure;
    }

    // Runs `act(dialId, state)` on the current dialog, or fails when none is open.
    template <typename Act> static Outcome WithCurrent(Session& s, const Command& c, Act&& act)
    {
        Outcome failure{};
        Int16 dialId = 0;
        kit::DialogState state;
        if (!Current(s, c, &dialId, &state, &failure))
            return failure;
        return act(dialId, state);
    }

    // Item `c.args[0]` of the current dialog, or a failure.
    static const kit::ItemState* Item(Session& s, const Command& c, kit::DialogState* state, Outcome* failure)
    {
        Int16 dialId = 0;
        long number = 0;
        if (!ParseNumber(c.args[0], 1, MaxShort, &number)) {
            *failure = BadUsage(s, c);
            return nullptr;
        }
        if (!Current(s, c, &dialId, state, failure))
            return nullptr;
        const kit::ItemState* item = FindItem(*state, number);
        if (item == nullptr)
            *failure = s.Fail(c, "the dialog has no item " + c.args[0]);
        return item;
    }

    // Runs `check` on item `c.args[0]` of the current dialog (a list, normally) with
    // the number `c.args[1]` (a row or a count, from `least`), or fails.
    template <typename Check> static Outcome WithList(Session& s, const Command& c, long least, Check&& check)
    {
        long number = 0;
        if (!ParseNumber(c.args[1], least, MaxShort, &number))
            return BadUsage(s, c);
        return WithItem(s, c, [&](const kit::ItemState& list, const kit::DialogState& state) {
            return check(list, state, number);
        });
    }

    // Runs `act(item)` on menu item `c.args[0]` as shown now, or fails.
    template <typename Act> static Outcome WithMenuItem(Session& s, const Command& c, Act&& act)
    {
        long number = 0;
        if (!ParseNumber(c.args[0], 1, INT32_MAX, &number))
            return BadUsage(s, c);
        const MenuModel menu = s.host.Menu();
        const MenuItem* item = menu.Item(static_cast<Int32>(number));
        if (item == nullptr)
            return s.Fail(c, "the menu has no item " + c.args[0]);
        return act(*item);
    }

    // --- The menu and the host ---------------------------------------------------

    static Outcome Menu(Session& s, const Command& c)
    {
        long item = 0;
        if (!ParseNumber(c.args[0], 1, INT32_MAX, &item))
            return BadUsage(s, c);
        if (!s.modalStack.empty())
            return s.Fail(c, "a modal dialog is open");
        std::string why;
        if (!s.ChooseMenuItem(static_cast<Int32>(item), &why))
            return s.Fail(c, why);
        s.DrawPendingEvents();
        return s.stopping && s.failed ? Outcome::Failed : Outcome::Done;
    }

    static Outcome Show(Session& s, const Command&)
    {
        s.ShowMenuBar();
        for (Int16 dialId : kit::OpenDialogs())
            s.ShowDialog(dialId);
        return Outcome::Done;
    }

    static Outcome Echo(Session& s, const Command& c)
    {
        std::string text;
        for (const std::string& arg : c.args)
            text += (text.empty() ? "" : " ") + arg;
        s.transcript.Line(text);
        return Outcome::Done;
    }

    static Outcome Restart(Session& s, const Command& c)
    {
        if (!s.modalStack.empty())
            return s.Fail(c, "a modal dialog is open");
        if (!s.host.Restart())
            return s.Fail(c, "the add-on could not be loaded and initialised again");
        return Outcome::Done;
    }

    static Outcome Quit(Session&, const Command&) { return Outcome::Quit; }

    static Outcome Help(Session& s, const Command& c)
    {
        if (c.args.empty()) {
            s.transcript.Line(CommandHelp());
            return Outcome::Done;
        }
        const CommandSpec* entry = FindCommand(c.args[0]);
        if (entry == nullptr)
            return s.Fail(c, UnknownCommand(c.args[0]));
        s.transcript.Line(CommandHelp(*entry));
        return Outcome::Done;
    }

    static Outcome Calls(Session& s, const Command& c)
    {
        std::string lines;
        for (const HostCall& call : s.host.Calls()) {
            const std::string line =
                "[call] " + call.name + "(" + call.arguments + ") -> " + ResultText(call.result);
            if (c.args.empty() || line.find(c.args[0]) != std::string::npos)
                lines += (lines.empty() ? "" : "\n") + line;
        }
        // Shown even when the transcript is quiet, which leaves out lines that start so.
        s.transcript.Line(lines.empty() ? "no such host call in this run" : "host calls:\n" + lines);
        return Outcome::Done;
    }

    // --- Dialogs -------------------------------------------------------------------

    static Outcome Click(Session& s, const Command& c)
    {
        Outcome failure{};
        kit::DialogState state;
        if (Item(s, c, &state, &failure) == nullptr)
            return failure;
        if (!s.Press(state.dialId, static_cast<Int16>(std::stoi(c.args[0]))))
            return s.Fail(c, "item " + c.args[0] + " cannot be clicked");
        return Outcome::Done;
    }

    static Outcome Select(Session& s, const Command& c)
    {
        return WithList(s, c, 1, [&](const kit::ItemState& list, const kit::DialogState& state, long row) {
            if (!s.PressRow(state.dialId, list.number, static_cast<Int16>(row)))
                return s.Fail(c, "row " + c.args[1] + " of item " + c.args[0] + " cannot be selected");
            return Outcome::Done;
        });
    }

    static Outcome Close(Session& s, const Command& c)
    {
        return WithCurrent(s, c, [&](Int16 dialId, const kit::DialogState&) {
            if (!s.PressClose(dialId))
                return s.Fail(c, "the dialog cannot be closed");
            return Outcome::Done;
        });
    }

    static Outcome Dialog(Session& s, const Command& c)
    {
        long resId = 0;
        if (!ParseNumber(c.args[0], 1, MaxShort, &resId))
            return BadUsage(s, c);
        if (!s.modalStack.empty())
            return s.Fail(c, "a modal dialog is open");
        Int16 dialId = 0;
        if (!s.FindDialogByResource(static_cast<Int16>(resId), false, &dialId))
            return s.Fail(c, "no dialog of resource " + c.args[0] + " is open");
        s.chosenDialog = dialId;
        s.ShowDialog(dialId);
        return Outcome::Done;
    }

    static Outcome Snapshot(Session& s, const Command& c)
    {
        const std::string problem = s.PathProblem(c.args[0]);
        if (!problem.empty())
            return s.Fail(c, problem);
        return WithCurrent(s, c, [&](Int16, const kit::DialogState& state) {
            std::string message;
            if (!s.Picture(state, s.NativePath(c.args[0]), &message))
                return s.Fail(c, message);
            s.transcript.Line(message);
            return Outcome::Done;
        });
    }

    // --- Answers and waits ---------------------------------------------------------

    static Outcome Answer(Session& s, const Command& c)
    {
        long button = 0;
        if (!ParseNumber(c.args[0], 1, 3, &button))
            return BadUsage(s, c);
        s.presetAnswer = static_cast<Int16>(button);
        return Outcome::Done;
    }

    static Outcome File(Session& s, const Command& c)
    {
        if (c.name == "file") {
            const std::string problem = s.PathProblem(c.args[0]);
            if (!problem.empty())
                return s.Fail(c, problem);
        }
        s.presetFile = c.name == "file" ? c.args[0] : std::string();
        return Outcome::Done;
    }

    static Outcome Wait(Session& s, const Command& c)
    {
        double seconds = 0;
        if (!ParseSeconds(c.args[0], &seconds))
            return BadUsage(s, c);
        s.WaitUntil(seconds, [] { return false; });
        return Outcome::Done;
    }

    static Outcome WaitDialog(Session& s, const Command& c)
    {
        long resId = 0;
        double seconds = 0;
        if (!ParseNumber(c.args[0], 1, MaxShort, &resId) || !Seconds(c, 1, &seconds))
            return BadUsage(s, c);
        const bool visible = c.name == "wait-dialog";
        Int16 dialId = 0;
        const bool reached = s.WaitUntil(seconds, [&] {
            return s.FindDialogByResource(static_cast<Int16>(resId), visible, &dialId) == visible;
        });
        return Waited(s, c, reached, seconds);
    }

    static Outcome WaitText(Session& s, const Command& c)
    {
        long number = 0;
        double seconds = 0;
        if (!ParseNumber(c.args[0], 1, MaxShort, &number) || !Seconds(c, 2, &seconds))
            return BadUsage(s, c);
        // The current dialog is looked up anew: background work may open or fill it.
        // A change the add-on is still making counts once it is drawn, as a person
        // sees it: the text may come before the rest of the change.
        const bool reached = s.WaitUntil(seconds, [&] {
            kit::DialogState state;
            const Int16 dialId = s.CurrentDialog();
            if (dialId == 0 || !kit::GetDialogState(dialId, &state) || state.changesHeld)
                return false;
            const kit::ItemState* item = FindItem(state, number);
            return item != nullptr && Utf8(item->text) == c.args[1];
        });
        return Waited(s, c, reached, seconds);
    }

    static Outcome WaitAlert(Session& s, const Command& c)
    {
        double seconds = 0;
        if (!Seconds(c, 0, &seconds))
            return BadUsage(s, c);
        const bool reached = s.WaitUntil(seconds, [&] { return s.alerts > s.alertsSeen; });
        s.alertsSeen = s.alerts;
        return Waited(s, c, reached, seconds);
    }

    // --- Expectations ----------------------------------------------------------------

    static Outcome ExpectTitle(Session& s, const Command& c)
    {
        return WithCurrent(s, c, [&](Int16, const kit::DialogState& state) {
            if (Utf8(state.title) != c.args[0])
                return s.Fail(c, "the title is " + Quote(Utf8(state.title)));
            return Outcome::Done;
        });
    }

    static Outcome ExpectText(Session& s, const Command& c)
    {
        return WithItem(s, c, [&](const kit::ItemState& item, const kit::DialogState&) {
            if (Utf8(item.text) != c.args[1])
                return s.Fail(c, "item " + c.args[0] + " is " + Quote(Utf8(item.text)));
            return Outcome::Done;
        });
    }

    // expect-visible, expect-hidden, expect-enabled, expect-disabled.
    static Outcome ExpectItemState(Session& s, const Command& c)
    {
        return WithItem(s, c, [&](const kit::ItemState& item, const kit::DialogState&) {
            const bool visibility = c.name == "expect-visible" || c.name == "expect-hidden";
            const bool actual = visibility ? item.visible : item.enabled;
            const bool wanted = c.name == "expect-visible" || c.name == "expect-enabled";
            const char* words[2][2] = {{"disabled", "enabled"}, {"hidden", "visible"}};
            if (actual != wanted)
                return s.Fail(c, "item " + c.args[0] + " is " + words[visibility][actual]);
            return Outcome::Done;
        });
    }

    // expect-rows ITEM N, expect-selected ITEM ROW.
    static Outcome ExpectListNumber(Session& s, const Command& c)
    {
        return WithList(s, c, 0, [&](const kit::ItemState& list, const kit::DialogState&, long wanted) {
            const bool rows = c.name == "expect-rows";
            const long actual = rows ? static_cast<long>(list.rows.size()) : list.selectedRow;
            if (actual == wanted)
                return Outcome::Done;
            return s.Fail(c,
                          rows ? "list " + c.args[0] + " has " + std::to_string(actual) + " rows"
                               : "row " + std::to_string(actual) + " of list " + c.args[0] + " is selected");
        });
    }

    static Outcome ExpectRow(Session& s, const Command& c)
    {
        return WithList(s, c, 1, [&](const kit::ItemState& list, const kit::DialogState& state, long row) {
            if (static_cast<std::size_t>(row) > list.rows.size())
                return s.Fail(c, "list " + c.args[0] + " has no row " + c.args[1]);
            const std::string drawn =
                DrawListRow(list.rows[static_cast<std::size_t>(row) - 1], state.resModule);
            if (drawn.find(c.args[2]) == std::string::npos)
                return s.Fail(c, "row " + c.args[1] + " is " + Quote(drawn));
            return Outcome::Done;
        });
    }

    // expect-dialog RESID, expect-no-dialog [RESID].
    static Outcome ExpectDialog(Session& s, const Command& c)
    {
        long resId = 0;
        if (!c.args.empty() && !ParseNumber(c.args[0], 1, MaxShort, &resId))
            return BadUsage(s, c);
        const bool wanted = c.name == "expect-dialog";
        Int16 dialId = 0;
        const bool found = c.args.empty() ? !kit::OpenDialogs().empty()
                                          : s.FindDialogByResource(static_cast<Int16>(resId), false, &dialId);
        if (found != wanted)
            return s.Fail(c, wanted ? "no such dialog is open" : "a dialog is open");
        return Outcome::Done;
    }

    static Outcome ExpectMenuTitle(Session& s, const Command& c)
    {
        const MenuModel menu = s.host.Menu();
        if (!menu.Registered() || menu.Title().display != c.args[0])
            return s.Fail(c, "the menu title is " + Quote(menu.Title().display));
        return Outcome::Done;
    }

    static Outcome ExpectMenu(Session& s, const Command& c)
    {
        return WithMenuItem(s, c, [&](const MenuItem& item) {
            if (item.text.display != c.args[1])
                return s.Fail(c, "menu item " + c.args[0] + " is " + Quote(item.text.display));
            return Outcome::Done;
        });
    }

    // expect-checked N, expect-unchecked N.
    static Outcome ExpectCheck(Session& s, const Command& c)
    {
        return WithMenuItem(s, c, [&](const MenuItem& item) {
            if (item.Checked() != (c.name == "expect-checked"))
                return s.Fail(c, "menu item " + c.args[0] + (item.Checked() ? " has" : " has no") +
                                     " check mark");
            return Outcome::Done;
        });
    }

    static Outcome ExpectAlert(Session& s, const Command& c)
    {
        s.alertsSeen = s.alerts;
        if (s.lastAlert.find(c.args[0]) == std::string::npos)
            return s.Fail(c, s.lastAlert.empty() ? "no alert was shown"
                                                 : "the last alert was " + Quote(s.lastAlert));
        return Outcome::Done;
    }

    static Outcome ExpectNoAlert(Session& s, const Command& c)
    {
        kit::RunUiWork(); // an alert already on its way counts
        const int unseen = s.alerts - s.alertsSeen;
        s.alertsSeen = s.alerts;
        if (unseen > 0)
            return s.Fail(c, std::to_string(unseen) + " alert(s) came, the last " + Quote(s.lastAlert));
        return Outcome::Done;
    }

    static Outcome ExpectAlerts(Session& s, const Command& c)
    {
        long count = 0;
        if (!ParseNumber(c.args[0], 0, INT_MAX, &count))
            return BadUsage(s, c);
        kit::RunUiWork();
        s.alertsSeen = s.alerts;
        if (s.alerts != count)
            return s.Fail(c, std::to_string(s.alerts) + " alert(s) came in this session");
        return Outcome::Done;
    }

    static Outcome ExpectShell(Session& s, const Command& c)
    {
        if (!s.shell.Active())
            return s.Fail(c, "the host was started without --shell-record");
        std::vector<std::string> received;
        // xdg-open runs detached: its line may come a moment after the add-on let go.
        const bool reached = s.WaitUntil(DefaultWait, [&] { return s.shell.Find(c.args[0], &received); });
        if (reached)
            return Outcome::Done;
        std::string list;
        for (const std::string& line : received)
            list += (list.empty() ? "" : ", ") + Quote(line);
        return s.Fail(c, received.empty() ? "nothing reached the shell" : "the shell received " + list);
    }

    static Outcome ExpectCall(Session& s, const Command& c)
    {
        for (const HostCall& call : s.host.Calls())
            if ((call.name + "(" + call.arguments + ") -> " + ResultText(call.result)).find(c.args[0]) !=
                std::string::npos)
                return Outcome::Done;
        return s.Fail(c, "no such host call in this run");
    }

    static Outcome ExpectDebug(Session& s, const Command& c)
    {
        if (s.host.DebugOutput().find(c.args[0]) == std::string::npos)
            return s.Fail(c, "the debug output does not contain it");
        return Outcome::Done;
    }

    // expect-file PATH, expect-no-file PATH, expect-file-contains PATH "T".
    static Outcome ExpectFile(Session& s, const Command& c)
    {
        const std::string problem = s.PathProblem(c.args[0]);
        if (!problem.empty())
            return s.Fail(c, problem);
        const std::string path = s.NativePath(c.args[0]);
        const fs::path file = PathFromUtf8(path);
        std::error_code ec;
        const bool exists = fs::exists(file, ec);
        if (c.name == "expect-no-file")
            return exists ? s.Fail(c, "the file exists") : Outcome::Done;
        if (!exists)
            return s.Fail(c, "no file " + Quote(path));
        if (!fs::is_regular_file(file, ec))
            return s.Fail(c, Quote(path) + " is not a file");
        if (c.args.size() == 2) {
            std::ifstream in(file, std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            if (bytes.str().find(c.args[1]) == std::string::npos)
                return s.Fail(c, "the file does not contain it");
        }
        return Outcome::Done;
    }
};

const std::vector<CommandSpec>& CommandTable()
{
    using H = CommandHandlers;
    static const std::vector<CommandSpec> table = {
        {"menu", "N", 1, 1, "choose item N of the add-on's menu (a bare number N does the same)", "menu 2",
         H::Menu, false, true},
        {"show", "", 0, 0, "draw the menu bar and every open dialog, modeless ones visible or hidden", "show",
         H::Show},
        {"click", "ITEM", 1, 1, "click an item of the current dialog", "click 1", H::Click, true},
        {"select", "ITEM ROW", 2, 2, "select a row (from 1) of a list; the dialog hears of the change",
         "select 3 1", H::Select, true},
        {"close", "", 0, 0, "close the current dialog with its close box", "close", H::Close, true},
        {"dialog", "RESID", 1, 1, "make the open dialog of that resource the current one", "dialog 32755",
         H::Dialog},
        {"snapshot", "FILE", 1, 1,
         "write a picture (PNG) of the current dialog as shown now; relative paths are in the user folder "
         "(not in the Windows build)",
         "snapshot 'language.png'", H::Snapshot},
        {"answer", "N", 1, 1, "press button N of the alert just raised, else of the next one (default 1)",
         "answer 2", H::Answer},
        {"file", "PATH", 1, 1, "choose PATH in the file dialog just opened, else in the next one",
         "file 'C:\\temp\\Build information.txt'", H::File},
        {"file-cancel", "", 0, 0, "cancel the file dialog (the default)", "file-cancel", H::File},
        {"wait", "S", 1, 1, "wait S seconds while background work runs", "wait 1.5", H::Wait},
        {"wait-dialog", "RESID [S]", 1, 2,
         "wait until a dialog of that resource is visible (at most S, 10, seconds)", "wait-dialog 32755 20",
         H::WaitDialog},
        {"wait-closed", "RESID [S]", 1, 2, "wait until no dialog of that resource is open",
         "wait-closed 32755", H::WaitDialog},
        {"wait-text", "ITEM \"T\" [S]", 2, 3,
         "wait until an item of the current dialog shows T, drawn (at most S, 10, seconds)",
         "wait-text 4 \"Plug-in VelmoraLibrary: update available!\" 20", H::WaitText},
        {"wait-alert", "[S]", 0, 1, "wait until an alert comes that no alert command has seen yet",
         "wait-alert 5", H::WaitAlert},
        {"expect-title", "\"T\"", 1, 1, "the current dialog's title", "expect-title \"VelmoraLibrary\"",
         H::ExpectTitle},
        {"expect-text", "ITEM \"T\"", 2, 2, "an item's text", "expect-text 2 \"Cancel\"", H::ExpectText},
        {"expect-visible", "ITEM", 1, 1, "an item is visible", "expect-visible 4", H::ExpectItemState},
        {"expect-hidden", "ITEM", 1, 1, "an item is hidden", "expect-hidden 5", H::ExpectItemState},
        {"expect-enabled", "ITEM", 1, 1, "an item is enabled", "expect-enabled 1", H::ExpectItemState},
        {"expect-disabled", "ITEM", 1, 1, "an item is disabled", "expect-disabled 5", H::ExpectItemState},
        {"expect-rows", "ITEM N", 2, 2, "a list has N rows", "expect-rows 3 7", H::ExpectListNumber},
        {"expect-selected", "ITEM ROW", 2, 2, "the selected row of a list (0: none)", "expect-selected 3 1",
         H::ExpectListNumber},
        {"expect-row", "ITEM ROW \"T\"", 3, 3, "a list row as drawn (texts, image captions) contains T",
         "expect-row 3 1 \"Italiano\"", H::ExpectRow},
        {"expect-dialog", "RESID", 1, 1, "a dialog of that resource is open", "expect-dialog 32501",
         H::ExpectDialog},
        {"expect-no-dialog", "[RESID]", 0, 1, "no dialog (of that resource) is open", "expect-no-dialog",
         H::ExpectDialog},
        {"expect-menu-title", "\"T\"", 1, 1, "the title of the menu as shown",
         "expect-menu-title \"VelmoraLibrary\"", H::ExpectMenuTitle},
        {"expect-menu", "N \"T\"", 2, 2, "the text of menu item N as shown", "expect-menu 2 \"Language\"",
         H::ExpectMenu},
        {"expect-checked", "N", 1, 1, "menu item N has a check mark", "expect-checked 4", H::ExpectCheck},
        {"expect-unchecked", "N", 1, 1, "menu item N has no check mark", "expect-unchecked 4",
         H::ExpectCheck},
        {"expect-alert", "\"T\"", 1, 1, "the last alert's title or texts contain T",
         "expect-alert \"Unable to update\"", H::ExpectAlert},
        {"expect-no-alert", "", 0, 0, "no alert came since the last alert command", "expect-no-alert",
         H::ExpectNoAlert},
        {"expect-alerts", "N", 1, 1, "N alerts came in this session", "expect-alerts 0", H::ExpectAlerts},
        {"expect-shell", "\"T\"", 1, 1,
         "the shell received T after what the last expect-shell found (waits up to 10 seconds)",
         "expect-shell \"https://www.tessaro.example\"", H::ExpectShell},
        {"expect-call", "\"T\"", 1, 1, "a host call of this run, as reported, contains T",
         "expect-call \"ACAPI_KeepInMemory\"", H::ExpectCall},
        {"expect-debug", "\"T\"", 1, 1, "the debug output contains T",
         "expect-debug \"Abnormal add-on termination\"", H::ExpectDebug},
        {"expect-file", "PATH", 1, 1, "a file (not a folder) exists; relative paths are in the user folder",
         "expect-file 'C:\\temp\\Build information.txt'", H::ExpectFile},
        {"expect-no-file", "PATH", 1, 1, "nothing exists at PATH", "expect-no-file 'Build information.txt'",
         H::ExpectFile},
        {"expect-file-contains", "PATH \"T\"", 2, 2, "a file contains T",
         "expect-file-contains 'Build information.txt' \"Version: \"", H::ExpectFile},
        {"echo", "\"T\"", 0, SIZE_MAX, "write T to the transcript", "echo \"Now the language dialog\"",
         H::Echo},
        {"calls", "[\"T\"]", 0, 1, "list every host call of this run (those that contain T)",
         "calls \"SMIT\"", H::Calls},
        {"restart", "", 0, 0, "FreeData, unload, then a new host run that loads the add-on again", "restart",
         H::Restart, false, true},
        {"quit", "", 0, 0, "end the session (FreeData and unload, unless --no-freedata)", "quit", H::Quit},
        {"help", "[COMMAND]", 0, 1, "list the commands, or show one command's form and an example",
         "help wait-text", H::Help},
    };
    return table;
}

const CommandSpec* FindCommand(const std::string& name)
{
    for (const CommandSpec& entry : CommandTable())
        if (name == entry.name)
            return &entry;
    return nullptr;
}

std::string Usage(const CommandSpec& entry)
{
    return std::string(entry.name) + (*entry.arguments != 0 ? " " : "") + entry.arguments;
}

std::string CommandHelp(const CommandSpec& entry)
{
    return Usage(entry) + "\n  " + entry.help + "\n  for example: " + entry.example;
}

namespace {

// The number of single-character edits that turn `a` into `b`.
std::size_t EditDistance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The words of a command's written form: "ITEM", "[S]", "\"T\"", ...
std::vector<std::string> ArgumentWords(const CommandSpec& entry)
{
    std::vector<std::string> words;
    std::istringstream in(entry.arguments);
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

} // namespace

std::string NearestCommand(const std::string& name)
{
    std::string nearest;
    std::size_t best = std::max<std::size_t>(2, name.size() / 3) + 1; // a slip, not another word
    for (const CommandSpec& entry : CommandTable()) {
        const std::string candidate = entry.name;
        // A beginning that only one command has counts as near.
        const std::size_t distance =
            candidate.rfind(name, 0) == 0 && name.size() >= 3 ? 1 : EditDistance(name, candidate);
        if (distance < best) {
            best = distance;
            nearest = candidate;
        }
    }
    return nearest;
}

std::string UnknownCommand(const std::string& name)
{
    const std::string nearest = NearestCommand(name);
    return "unknown command \"" + name + "\"" +
           (nearest.empty() ? " (\"help\" lists the commands)" : "; did you mean \"" + nearest + "\"?");
}

Command WithPathArguments(const Command& command)
{
    const CommandSpec* entry = FindCommand(command.name);
    if (entry == nullptr)
        return command;
    Command read = command;
    const std::vector<std::string> words = ArgumentWords(*entry);
    for (std::size_t i = 0; i < words.size() && i < read.args.size() && i < read.pathArgs.size(); ++i)
        if (words[i] == "PATH" || words[i] == "FILE")
            read.args[i] = read.pathArgs[i];
    return read;
}

std::vector<std::string> Completions(const std::string& before, const std::string& word,
                                     const CompletionContext& context)
{
    // The command being typed is the one after the last ";".
    const std::size_t start = before.find_last_of(';');
    std::istringstream in(start == std::string::npos ? before : before.substr(start + 1));
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    std::vector<std::string> offered;
    auto offer = [&](const std::string& candidate) {
        if (candidate.rfind(word, 0) == 0)
            offered.push_back(candidate);
    };
    if (words.empty() || (words.size() == 1 && words[0] == "help")) {
        for (const CommandSpec& entry : CommandTable())
            offer(entry.name);
        return offered;
    }
    const CommandSpec* entry = FindCommand(words[0]);
    if (entry == nullptr)
        return offered;
    const std::vector<std::string> forms = ArgumentWords(*entry);
    if (words.size() - 1 >= forms.size())
        return offered;
    const std::string form = forms[words.size() - 1];
    const std::vector<long>* numbers = nullptr;
    if (form == "ITEM")
        numbers = &context.dialogItems;
    else if (form == "RESID" || form == "[RESID]")
        numbers = &context.dialogResources;
    else if (form == "N" && (words[0] == "menu" || words[0].rfind("expect-", 0) == 0) &&
             words[0] != "expect-rows" && words[0] != "expect-alerts")
        numbers = &context.menuItems;
    if (numbers != nullptr)
        for (long number : *numbers)
            offer(std::to_string(number));
    return offered;
}

std::string CommandHelp()
{
    std::string text = "commands (texts with blanks in quotes: 'as written', \"with \\n escapes\"); "
                       "\"help COMMAND\" shows one with an example:";
    for (const CommandSpec& entry : CommandTable()) {
        std::string usage = Usage(entry);
        usage.resize(std::max<std::size_t>(usage.size() + 1, 28), ' ');
        text += "\n  " + usage + entry.help;
    }
    return text;
}

} // namespace velmora::host
