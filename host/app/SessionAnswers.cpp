// The session as the kit's dialog driver: it plays the user of modal dialogs,
// alerts and file dialogs, all on the UI thread (the kit brings questions of
// background work there, and their workers wait for the answer).
#include <filesystem>

#include "Commands.hpp"
#include "FTM.hpp"
#include "Numbers.hpp"
#include "Panel.hpp"
#include "Session.hpp"
#include "Utf8Paths.hpp"
#include "velmora/PathForm.hpp"

namespace fs = std::filesystem;

namespace velmora::host {

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Extension(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    return Lower(path.substr(dot + 1));
}

// The filter a chosen path belongs to, by its extension: an index into `filters`.
UInt32 FilterOf(const std::vector<UInt32>& filters, const std::string& path)
{
    for (std::size_t i = 0; i < filters.size(); ++i) {
        FTM::FileType type("", "", 0, 0, 0);
        if (FTM::GetFileType(filters[i], &type) && Lower(type.extension) == Extension(path))
            return static_cast<UInt32>(i);
    }
    return 0;
}

} // namespace

void Session::RunModal(Int16 dialId)
{
    if (stopping)
        return;
    modalStack.push_back(dialId);
    ShowDialog(dialId);
    if (frontend != nullptr && frontend->RunModal(dialId)) {
        modalStack.pop_back();
        return;
    }
    kit::DialogState state;
    while (!stopping && kit::GetDialogState(dialId, &state)) {
        if (!Step()) {
            if (inputEnded)
                transcript.Line("[host] the input ended while dialog " + std::to_string(state.resId) +
                                " is open; it is cancelled");
            stopping = true;
        }
    }
    modalStack.pop_back();
}

Int16 Session::OnAlert(const kit::AlertRequest& request)
{
    transcript.Line(DrawAlert(request));
    ++alerts;
    lastAlert = Utf8(request.title) + "\n" + Utf8(request.largeText) + "\n" + Utf8(request.smallText);
    long buttons = 1;
    for (long i = 0; i < 3; ++i)
        if (!request.buttons[i].IsEmpty())
            buttons = i + 1;

    long button = 1;
    Command answer;
    if (TakeAnswer("answer", &answer)) {
        if (!ParseNumber(answer.args.size() == 1 ? answer.args[0] : "", 1, buttons, &button)) {
            Fail(answer, "the alert has buttons 1 to " + std::to_string(buttons));
            failed = stopping = !source.Interactive();
            button = 1;
        }
    } else if (presetAnswer) {
        button = std::min<long>(*presetAnswer, buttons);
        presetAnswer.reset();
    } else if (Int16 pressed = 0; !stopping && frontend != nullptr && frontend->Alert(request, &pressed)) {
        button = pressed;
    } else if (!stopping && source.Interactive()) {
        std::string line;
        while (source.AskLine("button (1-" + std::to_string(buttons) + ") [1]: ", &line) && !line.empty() &&
               !ParseNumber(line, 1, buttons, &button)) {
        }
    }
    transcript.Line("[host] alert answered with button " + std::to_string(button));
    return static_cast<Int16>(button);
}

bool Session::OnFileDialog(const kit::FileDialogRequest& request, std::string* chosenPath, UInt32* filter)
{
    transcript.Line(DrawFileDialog(request));
    std::optional<std::string> answer; // empty text: cancel
    std::string problem;
    Command given;
    if (TakeAnswer("file", &given)) {
        given = WithPathArguments(given);
        answer = given.name == "file" && given.args.size() == 1 ? given.args[0] : std::string();
        if (!answer->empty() && !(problem = PathProblem(*answer)).empty()) {
            Fail(given, problem);
            failed = stopping = !source.Interactive();
            answer.reset();
        }
    } else if (presetFile) {
        answer = presetFile;
        presetFile.reset();
    } else if (!stopping && source.Interactive() && frontend == nullptr) {
        // A person types the path as it is, and is asked again for one that names no place.
        std::string line;
        while ((answer = source.AskLine("path (empty cancels): ", &line) ? line : std::string()) &&
               !answer->empty() && !(problem = PathProblem(*answer)).empty())
            transcript.Line("error: " + problem);
    }
    if (frontend != nullptr && !stopping)
        answer = frontend->ChooseFile(
            request, answer
                         ? std::optional<std::string>(answer->empty() ? std::string() : NativePath(*answer))
                         : std::nullopt);
    if (!answer || answer->empty()) {
        transcript.Line("[host] file dialog cancelled");
        return false;
    }
    const std::string native = NativePath(*answer);
#if defined(_WIN32)
    const std::string windows = native;
#else
    const std::string windows = velmora::pathform::ToWindows(native);
#endif
    std::error_code ec;
    const fs::path folder = PathFromUtf8(native).parent_path();
    if (!fs::is_directory(folder, ec))
        transcript.Line("[host] note: there is no folder \"" + Utf8FromPath(folder) + "\" for that file");
    if (chosenPath != nullptr)
        *chosenPath = windows;
    if (filter != nullptr)
        *filter = FilterOf(request.filters, native);
    transcript.Line("[host] file dialog answered with \"" + windows + "\"");
    return true;
}

} // namespace velmora::host
