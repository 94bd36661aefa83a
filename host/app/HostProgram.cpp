#include "HostProgram.hpp"

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "AddonHost.hpp"
#include "DialogPictures.hpp"
#include "Session.hpp"
#include "TerminalSource.hpp"
#include "Utf8Paths.hpp"
#include "kit/Host.hpp"
#if defined(VELMORA_WINDOW_HOST)
#include "window/WindowHost.hpp"
#endif

namespace fs = std::filesystem;

namespace velmora::host {

namespace {

std::string ReadAll(std::istream& in)
{
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The commands of a script file, of -c, or of standard input; false (with the
// reason) when they cannot be read. `interactive` when a person types them instead.
bool ReadCommands(const HostOptions& options, std::istream& in, bool inIsTerminal,
                  std::vector<Command>* commands, bool* interactive, std::string* error)
{
    std::string text, origin;
    *interactive = false;
    if (!options.scriptFile.empty()) {
        origin = options.scriptFile;
        std::error_code ec;
        const fs::path path = PathFromUtf8(options.scriptFile);
        std::ifstream file(path, std::ios::binary);
        if (fs::is_directory(path, ec) || !file) {
            *error = "cannot read the script \"" + options.scriptFile + "\"" +
                     (fs::is_directory(path, ec) ? ": it is a folder" : "");
            return false;
        }
        text = ReadAll(file);
    } else if (options.commandsGiven) {
        origin = "-c";
        text = options.commands;
    } else if (!inIsTerminal) {
        origin = "standard input";
        text = ReadAll(in);
    } else {
        *interactive = true;
        return true;
    }
    if (ParseCommands(text, 1, commands, error))
        return true;
    *error = origin + ": " + *error;
    return false;
}

// The host's own folder, where the typed lines are kept between runs.
fs::path HistoryFolder()
{
    const fs::path folder = PathFromUtf8(kit::DefaultUserFolder());
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder;
}

} // namespace

int RunHost(const HostOptions& options, std::istream& in, bool inIsTerminal, std::ostream& out,
            bool lineEditing)
{
    Transcript transcript(out);
    std::vector<Command> commands;
    bool interactive = false;
    std::string error;
    // In a window a person plays the user unless a script is given.
    if (!ReadCommands(options, in, inIsTerminal || options.window, &commands, &interactive, &error)) {
        transcript.Line("velmora-host: " + error);
        return 2;
    }

    if (!options.codePage.empty()) {
#if defined(_WIN32)
        transcript.Line("[host] --codepage has no effect on Windows, where the system's code page holds");
#else
        setenv("VELMORA_ANSI_CODEPAGE", options.codePage.c_str(), 1);
        transcript.Line("[host] ANSI code page of the add-on: " + options.codePage);
#endif
    }
    if (!options.updateServer.empty()) {
#if defined(_WIN32)
        _putenv_s("VELMORA_UPDATE_SERVER", options.updateServer.c_str());
#else
        setenv("VELMORA_UPDATE_SERVER", options.updateServer.c_str(), 1);
#endif
        transcript.Line("[host] update server of the add-on: " + options.updateServer);
    }
    if (!options.shellRecord.empty()) {
        if (!UseShellRecorder(options.shellRecord)) {
            transcript.Line("velmora-host: the shell recorder is missing in " + ShellRecorderFolder());
            return 2;
        }
        transcript.Line("[host] the shell is recorded in " + options.shellRecord);
    }

    if (!options.pictures.empty()) {
        if (!DialogPicturesAvailable()) {
            transcript.Line("velmora-host: --pictures: pictures of dialogs are not available in this build");
            return 2;
        }
        std::error_code folderError;
        fs::create_directories(PathFromUtf8(options.pictures), folderError);
        if (!fs::is_directory(PathFromUtf8(options.pictures), folderError)) {
            transcript.Line("velmora-host: --pictures: cannot make the folder " + options.pictures);
            return 2;
        }
    }

#if defined(VELMORA_WINDOW_HOST)
    if (options.window && !WindowSystemAvailable(&error)) {
        transcript.Line("velmora-host: --window: " + error);
        return 2;
    }
#endif

    const std::string userFolder = options.userFolder.empty() ? kit::DefaultUserFolder() : options.userFolder;
    std::error_code ec;
    fs::create_directories(PathFromUtf8(userFolder), ec);
    if (!fs::is_directory(PathFromUtf8(userFolder), ec)) {
        // The add-on's settings would go nowhere.
        transcript.Line("velmora-host: cannot make the user folder " + userFolder +
                        (ec ? ": " + ec.message() : std::string()));
        return 2;
    }
    if (interactive)
        transcript.SetQuiet(!options.verbose);
    kit::SetSpecialFolder(IO::FileSystem::UserPreferences, userFolder);
    transcript.Line("[host] user folder (special location 14): " + userFolder);

    int status = 0;
    {
        AddonHost host(transcript);
        if (!host.Load(options.addonPath.empty() ? DefaultAddonPath() : options.addonPath)) {
            status = 3;
        } else {
            ScriptSource script(commands);
#if defined(VELMORA_WINDOW_HOST)
            if (options.window) {
                WindowSettings settings{userFolder, options.shellRecord, options.updateServer,
                                        options.timings};
                status = RunWindowSession(host, transcript, interactive ? nullptr : &script,
                                          DialogPictures(options.pictures), settings);
                host.Unload(options.freeData ? FreeDataCall::Call : FreeDataCall::Skip);
                kit::SetSpecialFolder(IO::FileSystem::UserPreferences, "");
                return status;
            }
#endif
            std::optional<TerminalSource> terminal;
            if (interactive)
                // The history belongs to the person, not to an add-on's user folder.
                terminal.emplace(in, transcript, lineEditing,
                                 lineEditing ? Utf8FromPath(HistoryFolder() / "history") : std::string());
            CommandSource& source = interactive ? static_cast<CommandSource&>(*terminal) : script;
            Session session(host, transcript, source, userFolder, options.shellRecord,
                            DialogPictures(options.pictures));
            status = session.Run();
            host.Unload(options.freeData ? FreeDataCall::Call : FreeDataCall::Skip);
        }
    }
    kit::SetSpecialFolder(IO::FileSystem::UserPreferences, "");
    return status;
}

} // namespace velmora::host
