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
        command->pathArgs.push_back(command->name);
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
    std::string token;     // the argument as a text
    std::string pathToken; // the same argument as a path
    bool inToken = false;  // a word or a quoted text is being read
    char quote = 0;        // inside double (") or single (') quotes
    int quoteLine = line;

    auto endToken = [&]() {
        if (!inToken)
            return;
        if (command.name.empty()) {
            command.name = token;
        } else {
            command.args.push_back(token);
            command.pathArgs.push_back(pathToken);
        }
        token.clear();
        pathToken.clear();
        inToken = false;
    };
    auto endCommand = [&]() {
        endToken();
        Finish(&command, out);
        command = Command();
        command.line = line;
    };
    auto add = [&](const std::string& asText, const std::string& asPath) {
        token += asText;
        pathToken += asPath;
    };

    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quote != 0) {
            command.source += c;
            if (c == quote) {
                quote = 0;
            } else if (quote == '"' && c == '\\' && i + 1 < text.size()) {
                char e = text[++i];
                command.source += e;
                // A path holds no control characters: there only \" and \\ are escapes,
                // so that "C:\temp\new.txt" is read as written.
                const std::string asWritten{'\\', e};
                if (e == 'n' || e == 't' || e == 'r')
                    add(std::string(1, e == 'n' ? '\n' : e == 't' ? '\t' : '\r'), asWritten);
                else if (e == '\\' || e == '"')
                    add(std::string(1, e), std::string(1, e));
                else
                    add(asWritten, asWritten);
            } else {
                if (c == '\n')
                    ++line;
                add(std::string(1, c), std::string(1, c));
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
        if (c == '"' || c == '\'') {
            quote = c;
            inToken = true;
            quoteLine = line;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            endToken();
            continue;
        }
        add(std::string(1, c), std::string(1, c));
        inToken = true;
    }
    if (quote != 0) {
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

} // namespace velmora::host
