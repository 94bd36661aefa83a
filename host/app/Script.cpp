#include "Script.hpp"

#include <cctype>

namespace velmora::host {

namespace {

bool IsNumber(const std::string& text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

void Finish(Command* command, std::vector<Command>* out)
{
    if (command->name.empty())
        return;
    // Trim the source text.
    std::string& s = command->source;
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    std::size_t start = 0;
    while (start < s.size() && std::isspace(static_cast<unsigned char>(s[start])))
        ++start;
    s.erase(0, start);
    if (IsNumber(command->name) && command->args.empty()) {
        command->args.push_back(command->name);
        command->name = "menu";
    }
    out->push_back(*command);
}

} // namespace

bool ParseCommands(const std::string& text, int firstLine, std::vector<Command>* out, std::string* error)
{
    int line = firstLine;
    Command command;
    command.line = line;
    std::string token;
    bool inToken = false; // a word or a quoted text is being read
    bool quoted = false;  // inside double quotes
    int quoteLine = line;

    auto endToken = [&]() {
        if (!inToken)
            return;
        if (command.name.empty())
            command.name = token;
        else
            command.args.push_back(token);
        token.clear();
        inToken = false;
    };
    auto endCommand = [&]() {
        endToken();
        Finish(&command, out);
        command = Command();
        command.line = line;
    };

    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            command.source += c;
            if (c == '\\' && i + 1 < text.size()) {
                char e = text[++i];
                command.source += e;
                token += e == 'n' ? '\n' : e == 't' ? '\t' : e;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n')
                    ++line;
                token += c;
            }
            continue;
        }
        if (c == '#') {
            while (i + 1 < text.size() && text[i + 1] != '\n')
                ++i;
            continue;
        }
        if (c == '\n' || c == ';') {
            endCommand();
            if (c == '\n') {
                ++line;
                command.line = line;
            }
            continue;
        }
        if (c == '\r')
            continue;
        if (command.name.empty() && !inToken)
            command.line = line;
        command.source += c;
        if (c == '"') {
            quoted = true;
            inToken = true;
            quoteLine = line;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            endToken();
            continue;
        }
        token += c;
        inToken = true;
    }
    if (quoted) {
        if (error != nullptr)
            *error = "line " + std::to_string(quoteLine) + ": the quoted text is not closed";
        return false;
    }
    endCommand();
    return true;
}

bool ScriptSource::Next(Command* out, const std::string& /*prompt*/)
{
    if (next >= commands.size())
        return false;
    *out = commands[next++];
    return true;
}

bool ScriptSource::Peek(Command* out)
{
    if (next >= commands.size())
        return false;
    *out = commands[next];
    return true;
}

bool TerminalSource::Next(Command* command, const std::string& prompt)
{
    while (pending.empty()) {
        out.Raw(prompt);
        std::string line;
        if (!std::getline(in, line)) {
            out.Raw("\n");
            return false;
        }
        ++lineNumber;
        std::string error;
        if (!ParseCommands(line, lineNumber, &pending, &error)) {
            out.Line("error: " + error);
            pending.clear();
        }
    }
    *command = pending.front();
    pending.erase(pending.begin());
    return true;
}

bool TerminalSource::Peek(Command* command)
{
    if (pending.empty())
        return false;
    *command = pending.front();
    return true;
}

bool TerminalSource::AskLine(const std::string& prompt, std::string* line)
{
    out.Raw(prompt);
    if (!std::getline(in, *line))
        return false;
    while (!line->empty() && (line->back() == '\r' || line->back() == ' '))
        line->pop_back();
    return true;
}

std::string CommandHelp()
{
    return "commands:\n"
           "  menu N | N                choose item N of the add-on's menu\n"
           "  show                      draw the menu bar and the open dialogs\n"
           "  click ITEM                click an item of the current dialog\n"
           "  select ITEM ROW           select a row of a list\n"
           "  close                     close the current dialog\n"
           "  dialog RESID              make that open dialog the current one\n"
           "  answer N                  button N for the alert\n"
           "  file PATH | file-cancel   answer to the file dialog\n"
           "  wait S | wait-dialog RESID [S] | wait-closed RESID [S]\n"
           "  expect-title \"T\" | expect-text ITEM \"T\" | expect-visible ITEM | expect-hidden ITEM\n"
           "  expect-enabled ITEM | expect-disabled ITEM | expect-rows ITEM N | expect-selected ITEM ROW\n"
           "  expect-row ITEM ROW \"T\" | expect-dialog RESID | expect-no-dialog [RESID]\n"
           "  expect-menu-title \"T\" | expect-menu N \"T\" | expect-checked N | expect-unchecked N\n"
           "  expect-alert \"T\" | expect-call \"T\" | expect-debug \"T\"\n"
           "  expect-file PATH | expect-no-file PATH | expect-file-contains PATH \"T\"\n"
           "  echo \"T\" | restart | quit | help";
}

} // namespace velmora::host
