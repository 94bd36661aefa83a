#include "Session.hpp"

#include <algorithm>
#include <chrono>

#include "Commands.hpp"
#include "UserPaths.hpp"

namespace velmora::host {

Session::Session(AddonHost& addonHost, Transcript& output, CommandSource& input, std::string folder,
                 std::string shellRecord, DialogPictures dialogPictures)
    : host(addonHost), transcript(output), source(input), userFolder(std::move(folder)),
      shell(std::move(shellRecord)), pictures(std::move(dialogPictures))
{
    kit::SetDialogDriver(this);
    source.SetWaiting([this](double seconds) { return Serve(seconds); });
}

Session::~Session()
{
    source.SetWaiting(nullptr);
    kit::SetDialogDriver(nullptr);
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

void Session::Say(const std::string& line)
{
    transcript.Line(line);
}

Outcome Session::Fail(const Command& command, const std::string& message)
{
    if (source.Interactive())
        transcript.Line("error: " + message);
    else
        transcript.Line("[fail] line " + std::to_string(command.line) + ": " + command.source + ": " +
                        message);
    return Outcome::Failed;
}

int Session::Run()
{
    if (source.Interactive()) {
        transcript.Line("velmora-host: choose a menu item by its number; \"help\" lists the commands.");
        ShowMenuBar();
    }
    while (!stopping && Step()) {
    }
    DrawPendingEvents();
    return failed ? 1 : 0;
}

CompletionContext Session::Completable()
{
    CompletionContext context;
    const std::size_t menuItems = host.Menu().Items().size();
    for (std::size_t number = 1; number <= menuItems; ++number)
        context.menuItems.push_back(static_cast<long>(number));
    kit::DialogState state;
    if (const Int16 dialId = CurrentDialog(); dialId != 0 && kit::GetDialogState(dialId, &state))
        for (const kit::ItemState& item : state.items)
            if (item.visible)
                context.dialogItems.push_back(item.number);
    for (Int16 dialId : kit::OpenDialogs())
        if (kit::GetDialogState(dialId, &state))
            context.dialogResources.push_back(state.resId);
    return context;
}

bool Session::Step()
{
    if (source.Interactive())
        source.SetCompletions(Completable());
    Command command;
    if (!source.Next(&command, Prompt())) {
        inputEnded = true;
        return false;
    }
    Echo(command);
    const Outcome outcome = Execute(command);
    if (outcome == Outcome::Quit || (outcome == Outcome::Failed && !source.Interactive())) {
        failed = failed || outcome == Outcome::Failed;
        stopping = true;
        return false;
    }
    if (outcome == Outcome::Done) {
        const CommandSpec* entry = FindCommand(command.name);
        if (entry != nullptr && entry->redraws == Redraw::Dialog) {
            if (Int16 dialId = CurrentDialog())
                ShowDialog(dialId);
        }
        if (entry != nullptr && entry->redraws == Redraw::Menu && source.Interactive())
            ShowMenuBar();
    }
    return true;
}

Outcome Session::Execute(const Command& command)
{
    DrawPendingEvents();
    const CommandSpec* entry = FindCommand(command.name);
    if (entry == nullptr)
        return Fail(command, UnknownCommand(command.name));
    if (command.args.size() < entry->leastArguments || command.args.size() > entry->mostArguments)
        return Fail(command, "usage: " + Usage(*entry));
    return entry->handler(*this, WithPathArguments(command));
}

// The UI thread waits: the add-on's background work runs, and what it changed is
// drawn. True when something may have been written (a prompt is then shown again).
bool Session::Serve(double seconds)
{
    // Background work may have asked something.
    bool wrote = frontend != nullptr ? frontend->Wait(seconds) : kit::WaitForUiWork(seconds) > 0;
    wrote = DrawPendingEvents() || wrote;
    return ShowNewShellLines() || wrote;
}

void Session::Pump()
{
    kit::RunUiWork();
    DrawPendingEvents();
    ShowNewShellLines();
}

bool Session::ChooseMenuItem(Int32 item, std::string* whyNot)
{
    const bool chosen =
        frontend != nullptr ? frontend->ChooseMenuItem(item, whyNot) : host.ChooseMenuItem(item, whyNot);
    if (chosen)
        DrawPendingEvents();
    return chosen;
}

bool Session::Press(Int16 dialId, Int16 item)
{
    return frontend != nullptr ? frontend->Click(dialId, item) : kit::Click(dialId, item);
}

bool Session::PressRow(Int16 dialId, Int16 item, Int16 row)
{
    return frontend != nullptr ? frontend->SelectListRow(dialId, item, row)
                               : kit::SelectListRow(dialId, item, row);
}

bool Session::PressClose(Int16 dialId)
{
    return frontend != nullptr ? frontend->CloseDialog(dialId) : kit::CloseDialog(dialId);
}

bool Session::Picture(const kit::DialogState& dialog, const std::string& nativePath, std::string* message)
{
    return frontend != nullptr ? frontend->Snapshot(dialog.dialId, nativePath, message)
                               : pictures.Snapshot(dialog, nativePath, message);
}

bool Session::WaitUntil(double seconds, const std::function<bool()>& condition)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        kit::RunUiWork();
        DrawPendingEvents();
        if (condition())
            return true;
        const auto left = until - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return false;
        Serve(std::min(0.01, std::chrono::duration<double>(left).count()));
    }
}

// The answer to a question the add-on just asked is the command that follows, when
// it is one (in a terminal, when it was typed on the same line).
bool Session::TakeAnswer(const char* name, Command* answer)
{
    if (stopping || !source.Peek(answer))
        return false;
    if (answer->name != name && !(std::string(name) == "file" && answer->name == "file-cancel"))
        return false;
    source.Next(answer, "");
    Echo(*answer);
    return true;
}

bool Session::FindDialogByResource(Int16 resId, DialogsSeen seen, Int16* dialId)
{
    std::vector<Int16> open = kit::OpenDialogs();
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        kit::DialogState state;
        if (kit::GetDialogState(*it, &state) && state.resId == resId &&
            (seen == DialogsSeen::OpenOrHidden || state.visible)) {
            *dialId = *it;
            return true;
        }
    }
    return false;
}

void Session::ChooseDialog(Int16 dialId)
{
    chosenDialog = dialId;
    ShowDialog(dialId);
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

std::string Session::NativePath(const std::string& path) const
{
    return UserPath(userFolder, path);
}

std::string Session::PathProblem(const std::string& path) const
{
    return PathNamingProblem(path);
}

} // namespace velmora::host
