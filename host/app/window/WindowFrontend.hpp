// The window front end of the session (WindowHost.hpp): GTK's main thread is the
// host's UI thread. The class is implemented by job: the main window, its main loop
// and the kit's wake hook (MainWindow.cpp), the menu bar (MenuBar.cpp), the
// dialogs' windows and their widgets (DialogWindows.cpp), what a person or a
// command does through the widgets (WidgetActions.cpp), alerts and the file
// chooser (StandardDialogs.cpp).
//
// Threads. Everything but Schedule and the two hooks below runs on the UI thread.
// The kit's wake hook and the transcript's mirror may run on any thread: they only
// attach an idle source to GTK's main context, under `sourcesLock`, which guards
// the pending sources and the transcript text not yet shown.
#pragma once

#include <gtk/gtk.h>

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "AddonHost.hpp"
#include "Frontend.hpp"
#include "Session.hpp"
#include "Transcript.hpp"
#include "WindowHost.hpp"

namespace velmora::host {

using Clock = std::chrono::steady_clock;

class WindowFrontend;

// What a widget's signal needs to reach the kit: owned by the signal's closure.
struct ItemRef {
    WindowFrontend* front;
    Int16 dialId;
    Int16 item;
};

struct ShownItem {
    GtkWidget* outer = nullptr;  // placed in the dialog's area, clipping to the item's rectangle
    GtkWidget* widget = nullptr; // what a person acts on: the button, the list box
    GtkWidget* inner = nullptr;  // what shows the text: the button's label, the label, the list box
    kit::ItemState state;
};

struct DialogWindow {
    GtkWidget* window = nullptr;
    GtkWidget* area = nullptr;
    std::map<Int16, ShownItem> items;
    bool drawn = false;     // a frame of the window has been painted
    int paints = 0;         // frames painted
    bool presented = false; // shown since it became visible
    bool modal = false;
    GSResID resId = 0;
};

// Who uses the windows: a person, or a script whose commands go through them.
enum class WhoDrives { Person, Script };

// Which widget of a dialog item.
enum class ItemPart {
    Control, // what a person acts on: the button, the list box
    Content, // what shows the text: the button's label, the label, the list box
};

class WindowFrontend : public Frontend {
public:
    // Borrows `s`, `h` and `t` for its life.
    WindowFrontend(Session& s, AddonHost& h, Transcript& t, WhoDrives who, const WindowSettings& given)
        : session(s), host(h), transcript(t), person(who == WhoDrives::Person), settings(given)
    {
    }
    ~WindowFrontend() override { Close(); }
    WindowFrontend(const WindowFrontend&) = delete;
    WindowFrontend& operator=(const WindowFrontend&) = delete;

    void Open();
    void Close();
    // A person uses the windows until the main window is closed.
    void RunUntilClosed()
    {
        while (!mainClosed)
            g_main_context_iteration(nullptr, TRUE);
    }

    bool Wait(double seconds) override;
    void Update() override;
    bool RunModal(Int16 dialId) override;
    bool Alert(const kit::AlertRequest& request, Int16* button) override;
    std::string ChooseFile(const kit::FileDialogRequest& request,
                           const std::optional<std::string>& scripted) override;
    bool ChooseMenuItem(Int32 item, std::string* whyNot) override;
    bool Click(Int16 dialId, Int16 item) override;
    bool SelectListRow(Int16 dialId, Int16 item, Int16 row) override;
    bool CloseDialog(Int16 dialId) override;
    bool Snapshot(Int16 dialId, const std::string& nativePath, std::string* message) override;

private:
    // Signals of the widgets.
    static void OnClicked(GtkButton*, gpointer data);
    static void OnRowSelected(GtkListBox*, GtkListBoxRow* row, gpointer data);
    static gboolean OnDialogCloseRequest(GtkWindow*, gpointer data);
    static gboolean OnDialogKey(GtkEventControllerKey*, guint key, guint, GdkModifierType, gpointer data);
    static void OnMapped(GtkWidget* window, gpointer data);
    static void OnAfterPaint(GdkFrameClock* clock, gpointer data);
    static void OnMenuAction(GSimpleAction* action, GVariant*, gpointer data);
    static void OnQuitAction(GSimpleAction*, GVariant*, gpointer data);
    static gboolean OnMainCloseRequest(GtkWindow*, gpointer data);

    // Work handed over from any thread, run by an idle source of the main context.
    static void WakeFromKit(void* self);
    void Schedule(GSource** slot, GSourceFunc run);
    static gboolean RunPump(gpointer self);
    static gboolean RunTranscript(gpointer self);

    void UpdateMenu();
    void UpdateDialog(Int16 dialId, const kit::DialogState& state);
    void Build(DialogWindow& shown, const kit::DialogState& state);
    ShownItem MakeItem(const kit::DialogState& state, const kit::ItemState& item);
    void SyncItem(Int16 dialId, ShownItem& shown, const kit::ItemState& item, GSResModule module);
    void FillList(Int16 dialId, ShownItem& shown, const kit::ItemState& item, GSResModule module);
    GtkWidget* ItemWidget(Int16 dialId, Int16 item, ItemPart part);
    bool Drawn(Int16 dialId);
    void Connect(gpointer widget, const char* signal, GCallback handler, Int16 dialId, Int16 item);

    Session& session;
    AddonHost& host;
    Transcript& transcript;
    bool person;
    WindowSettings settings;

    GtkWidget* main = nullptr;
    GtkWidget* menuBar = nullptr;
    GtkWidget* transcriptView = nullptr;
    GtkTextMark* transcriptEnd = nullptr;
    GSimpleActionGroup* actions = nullptr;
    GtkCssProvider* style = nullptr;
    std::string menuShown;     // what the menu bar shows, to rebuild it only on change
    std::set<Int32> checkable; // menu items that had a check mark in this run
    bool mainClosed = false;

    std::map<Int16, DialogWindow> dialogs;
    bool syncing = false;    // the front end itself is changing widgets
    bool lastResult = false; // of the kit call a widget's signal made
    int pumps = 0;

    // Timings: when the last menu command started.
    std::optional<Clock::time_point> menuStarted;
    Int32 menuItem = 0;
    double builtAfter = 0; // ms from the menu command until its dialog's window was made

    std::mutex sourcesLock; // guards the pending sources and the transcript text
    GSource* pumpSource = nullptr;
    GSource* transcriptSource = nullptr;
    std::string transcriptPending;
};
} // namespace velmora::host
