#include "Commands.hpp"

#include <algorithm>
#include <cstdint>
#include <sstream>

#include "AnswerCommands.hpp"
#include "DialogCommands.hpp"
#include "ExpectCommands.hpp"
#include "HostCommands.hpp"
#include "WaitCommands.hpp"

namespace velmora::host {

const std::vector<CommandSpec>& CommandTable()
{
    namespace H = handlers;
    static const std::vector<CommandSpec> table = {
        {"menu", "N", 1, 1, "choose item N of the add-on's menu (a bare number N does the same)", "menu 2",
         H::Menu, Redraw::Menu},
        {"show", "", 0, 0, "draw the menu bar and every open dialog, modeless ones visible or hidden", "show",
         H::Show},
        {"click", "ITEM", 1, 1, "click an item of the current dialog", "click 1", H::Click, Redraw::Dialog},
        {"select", "ITEM ROW", 2, 2, "select a row (from 1) of a list; the dialog hears of the change",
         "select 3 1", H::Select, Redraw::Dialog},
        {"close", "", 0, 0, "close the current dialog with its close box", "close", H::Close, Redraw::Dialog},
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
         H::Restart, Redraw::Menu},
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
