// A session of velmora-host: the person at the terminal or the script plays the
// user. The session reads commands (Script.hpp), acts on the add-on's menu and
// dialogs, answers the add-on's alerts and file dialogs as the host's dialog
// driver, and writes everything to the transcript.
#pragma once

#include <atomic>
#include <deque>
#include <istream>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "AddonHost.hpp"
#include "Script.hpp"
#include "Transcript.hpp"
#include "kit/DialogDriver.hpp"

namespace velmora::host {

class Session : public kit::DialogDriver {
public:
    // Installs itself as the kit's dialog driver until destroyed. `userFolder` is the
    // native path of special location 14 (relative paths of commands start there).
    Session(AddonHost& host, Transcript& transcript, CommandSource& source, std::string userFolder);
    ~Session() override;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Runs commands until the input ends, "quit", or (in a script) a failure.
    // Returns 0, or 1 when a command failed in a script.
    int Run();
    bool Failed() const { return failed; }

    // The kit's dialog driver.
    void RunModal(Int16 dialId) override;
    void OnDialogEvent(Int16 dialId, kit::DialogEvent event) override;
    Int16 OnAlert(const kit::AlertRequest& request) override;
    bool OnFileDialog(const kit::FileDialogRequest& request, std::string* chosenPath,
                      UInt32* filter) override;

private:
    enum class Outcome { Done, Failed, Quit };

    Outcome Execute(const Command& command);
    Outcome Fail(const Command& command, const std::string& message);
    bool OnUiThread() const;
    bool Stopping() const { return stopping.load(); }
    void Echo(const Command& command);
    void DrawPendingEvents();
    void ShowMenuBar();
    void ShowDialog(Int16 dialId);
    Int16 CurrentDialog();
    bool FindDialogByResource(Int16 resId, bool visibleOnly, Int16* dialId);
    std::string NativePath(const std::string& path) const;
    bool WaitFor(double seconds, bool (Session::*condition)(Int16), Int16 resId);
    bool DialogVisible(Int16 resId);
    bool DialogGone(Int16 resId);
    std::string Prompt();

    AddonHost& host;
    Transcript& transcript;
    CommandSource& source;
    std::string userFolder;
    std::thread::id uiThread;

    std::vector<Int16> modalStack;
    Int16 chosenDialog = 0;
    std::atomic<bool> stopping{false};
    bool failed = false;
    bool quitRequested = false;

    std::mutex lock; // guards the members below (the driver is called from any thread)
    std::deque<std::pair<Int16, kit::DialogEvent>> events;
    std::optional<Int16> presetAnswer;
    std::optional<std::string> presetFile; // empty string: cancel
    std::string lastAlert;
};

// What main.cpp hands over from the command line.
struct HostOptions {
    std::string addonPath;  // empty: the add-on file beside the program
    std::string userFolder; // empty: kit::DefaultUserFolder()
    bool freeData = true;   // false: unload without FreeData (--no-freedata)
    std::string codePage;   // non-empty: VELMORA_ANSI_CODEPAGE for the add-on (POSIX systems)
    std::string scriptFile; // --script FILE
    std::string commands;   // -c "cmd; cmd"
    bool commandsGiven = false;
};

// Runs the host: sets up the user folder, loads the add-on with the full protocol,
// runs the session (terminal when `in` is one, else a script), then frees and
// unloads the add-on. Returns the program's exit status: 0 success, 1 a failed
// script, 3 the add-on could not be loaded and initialised, 2 a bad script file.
int RunHost(const HostOptions& options, std::istream& in, bool inIsTerminal, std::ostream& out);

} // namespace velmora::host
