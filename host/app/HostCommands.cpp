#include "HostCommands.hpp"

#include "CommandArguments.hpp"
#include "Commands.hpp"
#include "ReportText.hpp"

namespace velmora::host::handlers {

Outcome Menu(CommandContext& s, const Command& c)
{
    long item = 0;
    if (!ParseNumber(c.args[0], 1, INT32_MAX, &item))
        return BadUsage(s, c);
    if (s.ModalDialogOpen())
        return s.Fail(c, "a modal dialog is open");
    std::string why;
    if (!s.ChooseMenuItem(static_cast<Int32>(item), &why))
        return s.Fail(c, why);
    return s.StoppedOnFailure() ? Outcome::Failed : Outcome::Done;
}

Outcome Show(CommandContext& s, const Command&)
{
    s.ShowMenuBar();
    for (Int16 dialId : kit::OpenDialogs())
        s.ShowDialog(dialId);
    return Outcome::Done;
}

Outcome Echo(CommandContext& s, const Command& c)
{
    std::string text;
    for (const std::string& arg : c.args)
        text += (text.empty() ? "" : " ") + arg;
    s.Say(text);
    return Outcome::Done;
}

Outcome Restart(CommandContext& s, const Command& c)
{
    if (s.ModalDialogOpen())
        return s.Fail(c, "a modal dialog is open");
    if (!s.Host().Restart())
        return s.Fail(c, "the add-on could not be loaded and initialised again");
    return Outcome::Done;
}

Outcome Quit(CommandContext&, const Command&)
{
    return Outcome::Quit;
}

Outcome Help(CommandContext& s, const Command& c)
{
    if (c.args.empty()) {
        s.Say(CommandHelp());
        return Outcome::Done;
    }
    const CommandSpec* entry = FindCommand(c.args[0]);
    if (entry == nullptr)
        return s.Fail(c, UnknownCommand(c.args[0]));
    s.Say(CommandHelp(*entry));
    return Outcome::Done;
}

Outcome Calls(CommandContext& s, const Command& c)
{
    std::string lines;
    for (const HostCall& call : s.Host().Calls()) {
        const std::string line = "[call] " + CallText(call);
        if (c.args.empty() || line.find(c.args[0]) != std::string::npos)
            lines += (lines.empty() ? "" : "\n") + line;
    }
    // Shown even when the transcript is quiet, which leaves out lines that start so.
    s.Say(lines.empty() ? "no such host call in this run" : "host calls:\n" + lines);
    return Outcome::Done;
}

} // namespace velmora::host::handlers
