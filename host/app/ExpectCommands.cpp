#include "ExpectCommands.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "CommandArguments.hpp"
#include "Panel.hpp"
#include "ReportText.hpp"
#include "Utf8Paths.hpp"

namespace fs = std::filesystem;

namespace velmora::host::handlers {

Outcome ExpectTitle(CommandContext& s, const Command& c)
{
    return WithCurrent(s, c, [&](Int16, const kit::DialogState& state) {
        if (Utf8(state.title) != c.args[0])
            return s.Fail(c, "the title is " + Quote(Utf8(state.title)));
        return Outcome::Done;
    });
}

Outcome ExpectText(CommandContext& s, const Command& c)
{
    return WithItem(s, c, [&](const kit::ItemState& item, const kit::DialogState&) {
        if (Utf8(item.text) != c.args[1])
            return s.Fail(c, "item " + c.args[0] + " is " + Quote(Utf8(item.text)));
        return Outcome::Done;
    });
}

// expect-visible, expect-hidden, expect-enabled, expect-disabled.
Outcome ExpectItemState(CommandContext& s, const Command& c)
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
Outcome ExpectListNumber(CommandContext& s, const Command& c)
{
    return WithList(s, c, 0, [&](const kit::ItemState& list, const kit::DialogState&, long wanted) {
        const bool rows = c.name == "expect-rows";
        const long actual = rows ? static_cast<long>(list.rows.size()) : list.selectedRow;
        if (actual == wanted)
            return Outcome::Done;
        return s.Fail(c, rows ? "list " + c.args[0] + " has " + std::to_string(actual) + " rows"
                              : "row " + std::to_string(actual) + " of list " + c.args[0] + " is selected");
    });
}

Outcome ExpectRow(CommandContext& s, const Command& c)
{
    return WithList(s, c, 1, [&](const kit::ItemState& list, const kit::DialogState& state, long row) {
        if (static_cast<std::size_t>(row) > list.rows.size())
            return s.Fail(c, "list " + c.args[0] + " has no row " + c.args[1]);
        const std::string drawn = DrawListRow(list.rows[static_cast<std::size_t>(row) - 1], state.resModule);
        if (drawn.find(c.args[2]) == std::string::npos)
            return s.Fail(c, "row " + c.args[1] + " is " + Quote(drawn));
        return Outcome::Done;
    });
}

// expect-dialog RESID, expect-no-dialog [RESID].
Outcome ExpectDialog(CommandContext& s, const Command& c)
{
    long resId = 0;
    if (!c.args.empty() && !ParseNumber(c.args[0], 1, MaxShort, &resId))
        return BadUsage(s, c);
    const bool wanted = c.name == "expect-dialog";
    Int16 dialId = 0;
    const bool found = c.args.empty() ? !kit::OpenDialogs().empty()
                                      : s.FindDialogByResource(static_cast<Int16>(resId),
                                                               DialogsSeen::OpenOrHidden, &dialId);
    if (found != wanted)
        return s.Fail(c, wanted ? "no such dialog is open" : "a dialog is open");
    return Outcome::Done;
}

Outcome ExpectMenuTitle(CommandContext& s, const Command& c)
{
    const MenuModel menu = s.Host().Menu();
    if (!menu.Registered() || menu.Title().display != c.args[0])
        return s.Fail(c, "the menu title is " + Quote(menu.Title().display));
    return Outcome::Done;
}

Outcome ExpectMenu(CommandContext& s, const Command& c)
{
    return WithMenuItem(s, c, [&](const MenuItem& item) {
        if (item.text.display != c.args[1])
            return s.Fail(c, "menu item " + c.args[0] + " is " + Quote(item.text.display));
        return Outcome::Done;
    });
}

// expect-checked N, expect-unchecked N.
Outcome ExpectCheck(CommandContext& s, const Command& c)
{
    return WithMenuItem(s, c, [&](const MenuItem& item) {
        if (item.Checked() != (c.name == "expect-checked"))
            return s.Fail(c,
                          "menu item " + c.args[0] + (item.Checked() ? " has" : " has no") + " check mark");
        return Outcome::Done;
    });
}

Outcome ExpectAlert(CommandContext& s, const Command& c)
{
    s.MarkAlertsSeen();
    const std::string last = s.LastAlert();
    if (last.find(c.args[0]) == std::string::npos)
        return s.Fail(c, last.empty() ? "no alert was shown" : "the last alert was " + Quote(last));
    return Outcome::Done;
}

Outcome ExpectNoAlert(CommandContext& s, const Command& c)
{
    kit::RunUiWork(); // an alert already on its way counts
    const int unseen = s.UnseenAlerts();
    s.MarkAlertsSeen();
    if (unseen > 0)
        return s.Fail(c, std::to_string(unseen) + " alert(s) came, the last " + Quote(s.LastAlert()));
    return Outcome::Done;
}

Outcome ExpectAlerts(CommandContext& s, const Command& c)
{
    long count = 0;
    if (!ParseNumber(c.args[0], 0, INT_MAX, &count))
        return BadUsage(s, c);
    kit::RunUiWork();
    s.MarkAlertsSeen();
    if (s.AlertsRaised() != count)
        return s.Fail(c, std::to_string(s.AlertsRaised()) + " alert(s) came in this session");
    return Outcome::Done;
}

Outcome ExpectShell(CommandContext& s, const Command& c)
{
    if (!s.ShellRecorded())
        return s.Fail(c, "the host was started without --shell-record");
    std::vector<std::string> received;
    // xdg-open runs detached: its line may come a moment after the add-on let go.
    const bool reached = s.WaitUntil(DefaultWait, [&] { return s.ShellReceived(c.args[0], &received); });
    if (reached)
        return Outcome::Done;
    std::string list;
    for (const std::string& line : received)
        list += (list.empty() ? "" : ", ") + Quote(line);
    return s.Fail(c, received.empty() ? "nothing reached the shell" : "the shell received " + list);
}

Outcome ExpectCall(CommandContext& s, const Command& c)
{
    for (const HostCall& call : s.Host().Calls())
        if (CallText(call).find(c.args[0]) != std::string::npos)
            return Outcome::Done;
    return s.Fail(c, "no such host call in this run");
}

Outcome ExpectDebug(CommandContext& s, const Command& c)
{
    if (s.Host().DebugOutput().find(c.args[0]) == std::string::npos)
        return s.Fail(c, "the debug output does not contain it");
    return Outcome::Done;
}

// expect-file PATH, expect-no-file PATH, expect-file-contains PATH "T".
Outcome ExpectFile(CommandContext& s, const Command& c)
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

} // namespace velmora::host::handlers
