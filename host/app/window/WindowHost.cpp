// Starting the window front end: the desktop's connection, and a session whose
// user is a person at the windows or a script that drives them (WindowFrontend.hpp).
#include "WindowHost.hpp"

#include <cstdlib>

#include "WindowFrontend.hpp"

namespace velmora::host {

namespace {

// A person at the windows: the session's input is the main loop, which ends when the
// main window is closed.
class PersonSource : public CommandSource {
public:
    explicit PersonSource(WindowFrontend*& shown) : front(shown) {}
    bool Next(Command*, const std::string&) override
    {
        if (front != nullptr)
            front->RunUntilClosed();
        return false;
    }
    bool Peek(Command*) override { return false; }
    bool Interactive() const override { return true; }
    bool AskLine(const std::string&, std::string*) override { return false; }

private:
    WindowFrontend*& front;
};

} // namespace

bool WindowSystemAvailable(std::string* why)
{
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((x == nullptr || *x == 0) && (wayland == nullptr || *wayland == 0)) {
        *why = "no desktop to show the windows on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
        return false;
    }
    if (!gtk_init_check()) {
        *why = "cannot open the display";
        return false;
    }
    return true;
}

int RunWindowSession(AddonHost& host, Transcript& transcript, CommandSource* script, DialogPictures pictures,
                     const WindowSettings& settings)
{
    WindowFrontend* shown = nullptr;
    PersonSource personSource(shown);
    CommandSource& source = script != nullptr ? *script : personSource;
    Session session(host, transcript, source, settings.userFolder, settings.shellRecord, std::move(pictures));
    WindowFrontend front(session, host, transcript, script == nullptr ? WhoDrives::Person : WhoDrives::Script,
                         settings);
    shown = &front;
    front.Open();
    session.SetFrontend(&front);
    session.Pump();
    const int status = session.Run();
    session.SetFrontend(nullptr);
    front.Close();
    return status;
}

} // namespace velmora::host