// The window front end. GTK's main thread is the host's UI thread: the kit wakes
// GTK's main context when background work is handed to the UI thread (an idle
// source then runs it), so an idle host sleeps in the main loop and polls nothing.
// Every dialog the kit has open is a GtkWindow whose widgets are synchronised with
// the kit's dialog state after each change; what a person does with a widget goes
// to the kit as the same call a script's command makes (Click, SelectListRow,
// CloseDialog), and a script's command goes through the widget as a person's would.
#include "WindowHost.hpp"

#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "FTM.hpp"
#include "Frontend.hpp"
#include "Panel.hpp"
#include "ResourcePicture.hpp"
#include "Session.hpp"
#include "velmora/pathform.hpp"

namespace velmora::host {

namespace {

// The host's menu-item flag for a greyed item (beside API_MenuItemChecked).
constexpr Int32 MenuItemDisabled = 1;

// The dialogs' look: the host's dialog font and compact buttons, so that texts and
// buttons fit the rectangles the resources give them.
constexpr const char* DialogStyle = R"css(
.velmora-dialog { font-size: 12px; background-color: #f0f0f0; }
.velmora-dialog button { min-height: 0; min-width: 0; padding: 0 6px; }
.velmora-dialog .large { font-size: 15px; }
.velmora-dialog list { font-size: 12px; }
.velmora-transcript { font-family: monospace; font-size: 11px; }
)css";

using Clock = std::chrono::steady_clock;

std::string Plain(const GS::UniString& text)
{
    std::string out;
    for (char c : Utf8(text))
        if (c != '\r')
            out += c;
    return out;
}

// Runs the main context until `done()` or `seconds` have passed; true when done.
template <typename Done> bool IterateUntil(double seconds, Done&& done)
{
    bool late = false;
    const guint timer = g_timeout_add(
        static_cast<guint>(std::ceil(seconds * 1000)),
        [](gpointer flag) {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        },
        &late);
    while (!done() && !late)
        g_main_context_iteration(nullptr, TRUE);
    if (!late)
        g_source_remove(timer);
    return done();
}

GdkTexture* TextureOf(GSResModule module, GSResType type, GSResID id)
{
    cairo_surface_t* surface = velmora::render::LoadResourcePicture(module, type, id);
    if (surface == nullptr)
        return nullptr;
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    GBytes* bytes = g_bytes_new(cairo_image_surface_get_data(surface),
                                static_cast<gsize>(stride) * static_cast<gsize>(height));
    // cairo's ARGB32 is premultiplied, in native (little-endian: B G R A) byte order.
    GdkTexture* texture = gdk_memory_texture_new(width, height, GDK_MEMORY_B8G8R8A8_PREMULTIPLIED, bytes,
                                                 static_cast<gsize>(stride));
    g_bytes_unref(bytes);
    cairo_surface_destroy(surface);
    return texture;
}

GtkWidget* PictureWidget(GSResModule module, GSResType type, GSResID id)
{
    GdkTexture* texture = id != 0 ? TextureOf(module, type, id) : nullptr;
    GtkWidget* picture = gtk_picture_new_for_paintable(texture != nullptr ? GDK_PAINTABLE(texture) : nullptr);
    if (texture != nullptr)
        g_object_unref(texture);
    gtk_picture_set_can_shrink(GTK_PICTURE(picture), TRUE);
    gtk_picture_set_content_fit(GTK_PICTURE(picture), GTK_CONTENT_FIT_SCALE_DOWN);
    return picture;
}

// A box at an item's rectangle that shows `child` there and cuts off what would
// stand outside, as the host's dialogs do; the child keeps its own measures.
GtkWidget* Clipped(GtkWidget* child)
{
    GtkWidget* clip = gtk_scrolled_window_new();
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(clip), GTK_POLICY_EXTERNAL, GTK_POLICY_EXTERNAL);
    gtk_scrolled_window_set_child(GTK_SCROLLED_WINDOW(clip), child);
    return clip;
}

// A label that keeps to the width it is given: it wraps there instead of asking
// for the width of its whole text.
GtkWidget* FittedLabel(const std::string& text, bool wrap)
{
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_label_set_max_width_chars(GTK_LABEL(label), 1);
    if (wrap) {
        gtk_label_set_wrap(GTK_LABEL(label), TRUE);
        gtk_label_set_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
        gtk_label_set_xalign(GTK_LABEL(label), 0);
        gtk_label_set_yalign(GTK_LABEL(label), 0);
    } else {
        gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
    }
    return label;
}

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

class WindowFrontend : public Frontend {
public:
    WindowFrontend(Session& s, AddonHost& h, Transcript& t, bool byPerson, const WindowSettings& given)
        : session(s), host(h), transcript(t), person(byPerson), settings(given)
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
    GtkWidget* ItemWidget(Int16 dialId, Int16 item, bool inner);
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

// --- Opening and closing ---------------------------------------------------------

void WindowFrontend::Open()
{
    style = gtk_css_provider_new();
    gtk_css_provider_load_from_data(style, DialogStyle, -1);
    gtk_style_context_add_provider_for_display(gdk_display_get_default(), GTK_STYLE_PROVIDER(style),
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);

    main = gtk_window_new();
    gtk_window_set_title(GTK_WINDOW(main), "velmora-host");
    gtk_window_set_default_size(GTK_WINDOW(main), 900, 560);
    g_signal_connect(main, "close-request", G_CALLBACK(OnMainCloseRequest), this);
    actions = g_simple_action_group_new();
    gtk_widget_insert_action_group(main, "host", G_ACTION_GROUP(actions));
    GSimpleAction* quit = g_simple_action_new("quit", nullptr);
    g_signal_connect(quit, "activate", G_CALLBACK(OnQuitAction), this);
    g_action_map_add_action(G_ACTION_MAP(actions), G_ACTION(quit));
    g_object_unref(quit);

    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    GMenu* empty = g_menu_new();
    menuBar = gtk_popover_menu_bar_new_from_model(G_MENU_MODEL(empty));
    g_object_unref(empty);
    gtk_box_append(GTK_BOX(column), menuBar);

    transcriptView = gtk_text_view_new();
    gtk_text_view_set_editable(GTK_TEXT_VIEW(transcriptView), FALSE);
    gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(transcriptView), FALSE);
    gtk_text_view_set_monospace(GTK_TEXT_VIEW(transcriptView), TRUE);
    gtk_widget_add_css_class(transcriptView, "velmora-transcript");
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(transcriptView));
    GtkTextIter end;
    gtk_text_buffer_get_end_iter(buffer, &end);
    transcriptEnd = gtk_text_buffer_create_mark(buffer, "end", &end, FALSE);
    GtkWidget* scroller = gtk_scrolled_window_new();
    gtk_scrolled_window_set_child(GTK_SCROLLED_WINDOW(scroller), transcriptView);
    gtk_widget_set_vexpand(scroller, TRUE);
    gtk_box_append(GTK_BOX(column), scroller);

    std::string status =
        "User folder: " + settings.userFolder + "    Update server: " +
        (settings.updateServer.empty() ? std::string("the add-on's own") : settings.updateServer) +
        "    Shell: " +
        (settings.shellRecord.empty() ? std::string("the desktop's handler")
                                      : "recorded in " + settings.shellRecord);
    GtkWidget* statusLine = gtk_label_new(status.c_str());
    gtk_label_set_xalign(GTK_LABEL(statusLine), 0);
    gtk_label_set_ellipsize(GTK_LABEL(statusLine), PANGO_ELLIPSIZE_MIDDLE);
    gtk_widget_set_margin_start(statusLine, 6);
    gtk_widget_set_margin_end(statusLine, 6);
    gtk_widget_set_margin_top(statusLine, 3);
    gtk_widget_set_margin_bottom(statusLine, 3);
    gtk_box_append(GTK_BOX(column), gtk_separator_new(GTK_ORIENTATION_HORIZONTAL));
    gtk_box_append(GTK_BOX(column), statusLine);
    gtk_window_set_child(GTK_WINDOW(main), column);

    // What was written before the window opened, then everything that follows.
    const std::string before = transcript.Text();
    gtk_text_buffer_insert(buffer, &end, before.c_str(), static_cast<int>(before.size()));
    transcript.SetMirror([this](const std::string& text) {
        {
            std::lock_guard<std::mutex> guard(sourcesLock);
            transcriptPending += text;
        }
        Schedule(&transcriptSource, RunTranscript);
    });
    kit::SetUiWakeHook(WakeFromKit, this);

    UpdateMenu();
    gtk_window_present(GTK_WINDOW(main));
}

void WindowFrontend::Close()
{
    if (main == nullptr)
        return;
    // No thread reaches the front end once both hooks are gone (each runs under its
    // owner's lock, which clearing takes).
    kit::SetUiWakeHook(nullptr, nullptr);
    transcript.SetMirror(nullptr);
    {
        std::lock_guard<std::mutex> guard(sourcesLock);
        for (GSource** slot : {&pumpSource, &transcriptSource})
            if (*slot != nullptr) {
                g_source_destroy(*slot);
                g_source_unref(*slot);
                *slot = nullptr;
            }
    }
    for (auto& [dialId, shown] : dialogs)
        gtk_window_destroy(GTK_WINDOW(shown.window));
    dialogs.clear();
    gtk_window_destroy(GTK_WINDOW(main));
    main = nullptr;
    g_object_unref(actions);
    gtk_style_context_remove_provider_for_display(gdk_display_get_default(), GTK_STYLE_PROVIDER(style));
    g_object_unref(style);
    // Let GTK finish with the windows just destroyed.
    while (g_main_context_pending(nullptr) && g_main_context_iteration(nullptr, FALSE)) {
    }
}

// --- Work from other threads -------------------------------------------------------

void WindowFrontend::Schedule(GSource** slot, GSourceFunc run)
{
    std::lock_guard<std::mutex> guard(sourcesLock);
    if (*slot != nullptr)
        return;
    GSource* source = g_idle_source_new();
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, run, this, nullptr);
    g_source_attach(source, nullptr); // wakes the main context from any thread
    *slot = source;
}

void WindowFrontend::WakeFromKit(void* self)
{
    auto* front = static_cast<WindowFrontend*>(self);
    front->Schedule(&front->pumpSource, RunPump);
}

gboolean WindowFrontend::RunPump(gpointer self)
{
    auto* front = static_cast<WindowFrontend*>(self);
    {
        std::lock_guard<std::mutex> guard(front->sourcesLock);
        g_source_unref(front->pumpSource);
        front->pumpSource = nullptr;
    }
    ++front->pumps;
    front->session.Pump();
    return G_SOURCE_REMOVE;
}

gboolean WindowFrontend::RunTranscript(gpointer self)
{
    auto* front = static_cast<WindowFrontend*>(self);
    std::string text;
    {
        std::lock_guard<std::mutex> guard(front->sourcesLock);
        g_source_unref(front->transcriptSource);
        front->transcriptSource = nullptr;
        text.swap(front->transcriptPending);
    }
    gchar* valid = g_utf8_make_valid(text.c_str(), static_cast<gssize>(text.size()));
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(front->transcriptView));
    GtkTextIter end;
    gtk_text_buffer_get_end_iter(buffer, &end);
    gtk_text_buffer_insert(buffer, &end, valid, -1);
    g_free(valid);
    gtk_text_view_scroll_mark_onscreen(GTK_TEXT_VIEW(front->transcriptView), front->transcriptEnd);
    return G_SOURCE_REMOVE;
}

bool WindowFrontend::Wait(double seconds)
{
    const int before = pumps;
    session.Pump();
    IterateUntil(seconds, [] { return false; });
    return pumps != before;
}

// --- The menu ----------------------------------------------------------------------

void WindowFrontend::UpdateMenu()
{
    const MenuModel menu = host.Menu();
    std::string signature = menu.Registered() ? menu.Title().display : std::string();
    for (std::size_t i = 0; i < menu.Items().size(); ++i) {
        const MenuItem& item = menu.Items()[i];
        if (item.Checked())
            checkable.insert(static_cast<Int32>(i + 1));
        signature += "\n" + item.text.display + "\t" + std::to_string(item.flags);
    }
    if (signature == menuShown && menuShown.size() > 0)
        return;
    menuShown = signature;

    GMenu* bar = g_menu_new();
    if (menu.Registered()) {
        GMenu* items = g_menu_new();
        for (std::size_t i = 0; i < menu.Items().size(); ++i) {
            const MenuItem& item = menu.Items()[i];
            const Int32 number = static_cast<Int32>(i + 1);
            const std::string name = "item" + std::to_string(number);
            g_action_map_remove_action(G_ACTION_MAP(actions), name.c_str());
            // An item that can carry a check mark shows it as a check box.
            GSimpleAction* action = checkable.count(number) != 0
                                        ? g_simple_action_new_stateful(name.c_str(), nullptr,
                                                                       g_variant_new_boolean(item.Checked()))
                                        : g_simple_action_new(name.c_str(), nullptr);
            g_simple_action_set_enabled(action, (item.flags & MenuItemDisabled) == 0);
            g_object_set_data(G_OBJECT(action), "velmora-item", GINT_TO_POINTER(number));
            g_signal_connect(action, "activate", G_CALLBACK(OnMenuAction), this);
            g_action_map_add_action(G_ACTION_MAP(actions), G_ACTION(action));
            g_object_unref(action);
            g_menu_append(items, item.text.display.c_str(), ("host." + name).c_str());
        }
        g_menu_append_submenu(bar, menu.Title().display.c_str(), G_MENU_MODEL(items));
        g_object_unref(items);
    }
    GMenu* hostMenu = g_menu_new();
    g_menu_append(hostMenu, "Quit", "host.quit");
    g_menu_append_submenu(bar, "Host", G_MENU_MODEL(hostMenu));
    g_object_unref(hostMenu);
    gtk_popover_menu_bar_set_menu_model(GTK_POPOVER_MENU_BAR(menuBar), G_MENU_MODEL(bar));
    g_object_unref(bar);
}

void WindowFrontend::OnMenuAction(GSimpleAction* action, GVariant*, gpointer data)
{
    // The command runs once the menu has closed and GTK has finished with the click,
    // not inside it: a modal dialog of the command waits in its own loop.
    struct Chosen {
        WindowFrontend* front;
        Int32 item;
    };
    auto* chosen = new Chosen{static_cast<WindowFrontend*>(data),
                              GPOINTER_TO_INT(g_object_get_data(G_OBJECT(action), "velmora-item"))};
    g_idle_add_full(
        G_PRIORITY_DEFAULT_IDLE,
        [](gpointer p) {
            auto* c = static_cast<Chosen*>(p);
            std::string why;
            if (!c->front->ChooseMenuItem(c->item, &why))
                c->front->transcript.Line("error: " + why);
            c->front->Update();
            return G_SOURCE_REMOVE;
        },
        chosen, [](gpointer p) { delete static_cast<Chosen*>(p); });
}

void WindowFrontend::OnQuitAction(GSimpleAction*, GVariant*, gpointer data)
{
    static_cast<WindowFrontend*>(data)->mainClosed = true;
}

gboolean WindowFrontend::OnMainCloseRequest(GtkWindow*, gpointer data)
{
    static_cast<WindowFrontend*>(data)->mainClosed = true;
    return TRUE; // destroyed when the session ends
}

bool WindowFrontend::ChooseMenuItem(Int32 item, std::string* whyNot)
{
    for (const auto& [dialId, shown] : dialogs)
        if (shown.modal) {
            *whyNot = "a modal dialog is open";
            return false;
        }
    menuStarted = Clock::now();
    menuItem = item;
    const bool chosen = host.ChooseMenuItem(item, whyNot);
    session.Pump();
    return chosen;
}

// --- Dialogs -------------------------------------------------------------------------

void WindowFrontend::Update()
{
    if (main == nullptr)
        return;
    UpdateMenu();
    std::vector<Int16> open = kit::OpenDialogs();
    for (auto it = dialogs.begin(); it != dialogs.end();) {
        if (std::find(open.begin(), open.end(), it->first) == open.end()) {
            gtk_window_destroy(GTK_WINDOW(it->second.window));
            it = dialogs.erase(it);
        } else {
            ++it;
        }
    }
    bool modalOpen = false;
    for (Int16 dialId : open) {
        kit::DialogState state;
        if (!kit::GetDialogState(dialId, &state))
            continue;
        modalOpen = modalOpen || state.modal;
        // A change the add-on is still making is shown once it is complete.
        if (!state.changesHeld)
            UpdateDialog(dialId, state);
    }
    gtk_widget_set_sensitive(menuBar, !modalOpen);
}

void WindowFrontend::Connect(gpointer widget, const char* signal, GCallback handler, Int16 dialId, Int16 item)
{
    g_signal_connect_data(
        widget, signal, handler, new ItemRef{this, dialId, item},
        [](gpointer data, GClosure*) { delete static_cast<ItemRef*>(data); }, GConnectFlags(0));
}

void WindowFrontend::Build(DialogWindow& shown, const kit::DialogState& state)
{
    shown.window = gtk_window_new();
    shown.modal = state.modal;
    shown.resId = state.resId;
    GtkWindow* window = GTK_WINDOW(shown.window);
    gtk_window_set_transient_for(window, GTK_WINDOW(main));
    gtk_window_set_modal(window, state.modal);
    gtk_window_set_resizable(window, FALSE);
    gtk_widget_add_css_class(shown.window, "velmora-dialog");
    shown.area = gtk_fixed_new();
    gtk_widget_set_size_request(shown.area, state.width, state.height);
    gtk_window_set_child(window, shown.area);
    Connect(shown.window, "close-request", G_CALLBACK(OnDialogCloseRequest), state.dialId, 0);
    Connect(shown.window, "map", G_CALLBACK(OnMapped), state.dialId, 0);
    GtkEventController* keys = gtk_event_controller_key_new();
    gtk_event_controller_set_propagation_phase(keys, GTK_PHASE_CAPTURE);
    Connect(keys, "key-pressed", G_CALLBACK(OnDialogKey), state.dialId, 0);
    gtk_widget_add_controller(shown.window, keys);
    for (const kit::ItemState& item : state.items) {
        ShownItem made = MakeItem(state, item);
        gtk_fixed_put(GTK_FIXED(shown.area), made.outer, item.left, item.top);
        auto& placed = shown.items[item.number] = made;
        SyncItem(state.dialId, placed, item, state.resModule);
        if (item.number == 1 && item.kind == kit::ItemKind::PushButton)
            gtk_window_set_default_widget(window, made.widget);
    }
}

ShownItem WindowFrontend::MakeItem(const kit::DialogState& state, const kit::ItemState& item)
{
    ShownItem made;
    made.state.kind = item.kind;
    made.state.number = item.number;
    switch (item.kind) {
    case kit::ItemKind::PushButton:
        made.widget = gtk_button_new();
        made.inner = FittedLabel("", false);
        gtk_button_set_child(GTK_BUTTON(made.widget), made.inner);
        Connect(made.widget, "clicked", G_CALLBACK(OnClicked), state.dialId, item.number);
        break;
    case kit::ItemKind::CheckBox:
        made.widget = made.inner = gtk_check_button_new();
        Connect(made.widget, "toggled", G_CALLBACK(OnClicked), state.dialId, item.number);
        break;
    case kit::ItemKind::ListBox:
        made.widget = made.inner = gtk_list_box_new();
        gtk_list_box_set_selection_mode(GTK_LIST_BOX(made.widget), GTK_SELECTION_SINGLE);
        Connect(made.widget, "row-selected", G_CALLBACK(OnRowSelected), state.dialId, item.number);
        made.outer = gtk_scrolled_window_new();
        gtk_scrolled_window_set_has_frame(GTK_SCROLLED_WINDOW(made.outer), TRUE);
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(made.outer), GTK_POLICY_NEVER,
                                       GTK_POLICY_AUTOMATIC);
        gtk_scrolled_window_set_child(GTK_SCROLLED_WINDOW(made.outer), made.widget);
        break;
    case kit::ItemKind::Icon:
    case kit::ItemKind::Picture:
        made.widget = made.inner = PictureWidget(
            state.resModule, item.kind == kit::ItemKind::Icon ? IcoResType : BmpResType, item.imageId);
        made.state.imageId = item.imageId;
        break;
    case kit::ItemKind::Separator:
        made.widget = made.inner = gtk_separator_new(item.width >= item.height ? GTK_ORIENTATION_HORIZONTAL
                                                                               : GTK_ORIENTATION_VERTICAL);
        gtk_widget_set_valign(made.widget, GTK_ALIGN_CENTER);
        break;
    case kit::ItemKind::EditText:
        made.widget = made.inner = gtk_entry_new();
        break;
    case kit::ItemKind::StaticText:
    case kit::ItemKind::MultiLineText:
    default:
        made.widget = made.inner = FittedLabel("", true);
        break;
    }
    if (made.outer == nullptr)
        made.outer = Clipped(made.widget);
    if (item.largeFont)
        gtk_widget_add_css_class(made.inner, "large");
    made.state.text = GS::UniString();
    made.state.visible = !item.visible; // differs, so that the first sync sets it
    made.state.enabled = !item.enabled;
    return made;
}

void WindowFrontend::FillList(Int16, ShownItem& shown, const kit::ItemState& item, GSResModule module)
{
    GtkListBox* list = GTK_LIST_BOX(shown.inner);
    while (GtkWidget* child = gtk_widget_get_first_child(shown.inner))
        gtk_list_box_remove(list, child);
    const int rowHeight = item.rowHeight > 0 ? item.rowHeight : 18;
    const std::size_t fields = std::max<std::size_t>(item.tabFields.size(), 1);
    for (const kit::ListRowState& row : item.rows) {
        GtkWidget* line = gtk_fixed_new();
        gtk_widget_set_size_request(line, 1, rowHeight);
        for (std::size_t field = 0; field < fields; ++field) {
            // A field without a width of its own spans the row, as the host draws it.
            int begin = 0, end = item.width;
            if (field < item.tabFields.size() && item.tabFields[field].second > item.tabFields[field].first) {
                begin = item.tabFields[field].first;
                end = item.tabFields[field].second;
            }
            int textStart = begin + 2;
            if (field < row.tabIcons.size() && row.tabIcons[field] != 0) {
                GdkTexture* texture = TextureOf(module, IcoResType, row.tabIcons[field]);
                const int width = texture != nullptr ? gdk_texture_get_width(texture) : rowHeight - 4;
                const int height = texture != nullptr ? gdk_texture_get_height(texture) : rowHeight - 4;
                GtkWidget* icon =
                    gtk_picture_new_for_paintable(texture != nullptr ? GDK_PAINTABLE(texture) : nullptr);
                if (texture != nullptr)
                    g_object_unref(texture);
                gtk_widget_set_size_request(icon, width, height);
                gtk_fixed_put(GTK_FIXED(line), icon, begin, std::max(0, (rowHeight - height) / 2));
                textStart = begin + width + 4;
            }
            if (field < row.tabTexts.size() && !row.tabTexts[field].IsEmpty()) {
                GtkWidget* text = FittedLabel(Plain(row.tabTexts[field]), false);
                gtk_label_set_xalign(GTK_LABEL(text), 0);
                gtk_widget_set_size_request(text, std::max(1, end - textStart), rowHeight);
                gtk_fixed_put(GTK_FIXED(line), text, textStart, 0);
            }
        }
        gtk_list_box_append(list, line);
    }
}

void WindowFrontend::SyncItem(Int16 dialId, ShownItem& shown, const kit::ItemState& item, GSResModule module)
{
    kit::ItemState& was = shown.state;
    if (was.left != item.left || was.top != item.top || was.width != item.width ||
        was.height != item.height) {
        GtkWidget* area = gtk_widget_get_parent(shown.outer);
        gtk_fixed_move(GTK_FIXED(area), shown.outer, item.left, item.top);
        gtk_widget_set_size_request(shown.outer, std::max<int>(item.width, 1), std::max<int>(item.height, 1));
    }
    if (was.text != item.text) {
        const std::string text = Plain(item.text);
        if (GTK_IS_LABEL(shown.inner))
            gtk_label_set_text(GTK_LABEL(shown.inner), text.c_str());
        else if (GTK_IS_CHECK_BUTTON(shown.inner))
            gtk_check_button_set_label(GTK_CHECK_BUTTON(shown.inner), text.c_str());
        else if (GTK_IS_EDITABLE(shown.inner))
            gtk_editable_set_text(GTK_EDITABLE(shown.inner), text.c_str());
    }
    if ((item.kind == kit::ItemKind::Icon || item.kind == kit::ItemKind::Picture) &&
        was.imageId != item.imageId) {
        GdkTexture* texture =
            item.imageId != 0
                ? TextureOf(module, item.kind == kit::ItemKind::Icon ? IcoResType : BmpResType, item.imageId)
                : nullptr;
        gtk_picture_set_paintable(GTK_PICTURE(shown.inner),
                                  texture != nullptr ? GDK_PAINTABLE(texture) : nullptr);
        if (texture != nullptr)
            g_object_unref(texture);
    }
    if (was.visible != item.visible)
        gtk_widget_set_visible(shown.outer, item.visible);
    if (was.enabled != item.enabled)
        gtk_widget_set_sensitive(shown.outer, item.enabled);
    if (item.kind == kit::ItemKind::ListBox) {
        bool same = was.rows.size() == item.rows.size() && was.tabFields == item.tabFields;
        for (std::size_t i = 0; same && i < item.rows.size(); ++i)
            same = was.rows[i].tabIcons == item.rows[i].tabIcons &&
                   was.rows[i].tabTexts.size() == item.rows[i].tabTexts.size() &&
                   std::equal(was.rows[i].tabTexts.begin(), was.rows[i].tabTexts.end(),
                              item.rows[i].tabTexts.begin());
        if (!same)
            FillList(dialId, shown, item, module);
        GtkListBox* list = GTK_LIST_BOX(shown.inner);
        GtkListBoxRow* wanted =
            item.selectedRow > 0 ? gtk_list_box_get_row_at_index(list, item.selectedRow - 1) : nullptr;
        if (gtk_list_box_get_selected_row(list) != wanted) {
            if (wanted != nullptr)
                gtk_list_box_select_row(list, wanted);
            else
                gtk_list_box_unselect_all(list);
        }
    }
    was = item;
}

void WindowFrontend::UpdateDialog(Int16 dialId, const kit::DialogState& state)
{
    syncing = true;
    auto [it, made] = dialogs.try_emplace(dialId);
    DialogWindow& shown = it->second;
    if (made) {
        if (menuStarted)
            builtAfter = std::chrono::duration<double, std::milli>(Clock::now() - *menuStarted).count();
        Build(shown, state);
    }
    const std::string title = Plain(state.title);
    if (title != (gtk_window_get_title(GTK_WINDOW(shown.window))
                      ? gtk_window_get_title(GTK_WINDOW(shown.window))
                      : ""))
        gtk_window_set_title(GTK_WINDOW(shown.window), title.c_str());
    gtk_widget_set_size_request(shown.area, state.width, state.height);
    for (const kit::ItemState& item : state.items) {
        auto found = shown.items.find(item.number);
        if (found != shown.items.end())
            SyncItem(dialId, found->second, item, state.resModule);
    }
    if (state.visible && !shown.presented) {
        shown.presented = true;
        gtk_window_present(GTK_WINDOW(shown.window));
        auto focus = shown.items.find(state.focus);
        if (focus != shown.items.end())
            gtk_widget_grab_focus(focus->second.widget);
    } else if (!state.visible && shown.presented) {
        shown.presented = false;
        gtk_widget_set_visible(shown.window, FALSE);
    }
    syncing = false;
}

GtkWidget* WindowFrontend::ItemWidget(Int16 dialId, Int16 item, bool inner)
{
    auto dialog = dialogs.find(dialId);
    if (dialog == dialogs.end())
        return nullptr;
    auto found = dialog->second.items.find(item);
    if (found == dialog->second.items.end())
        return nullptr;
    return inner ? found->second.inner : found->second.widget;
}

// --- What a person does ------------------------------------------------------------------

void WindowFrontend::OnClicked(GtkButton*, gpointer data)
{
    const auto* ref = static_cast<const ItemRef*>(data);
    if (ref->front->syncing)
        return;
    ref->front->lastResult = kit::Click(ref->dialId, ref->item);
    ref->front->Schedule(&ref->front->pumpSource, RunPump);
}

void WindowFrontend::OnRowSelected(GtkListBox*, GtkListBoxRow* row, gpointer data)
{
    const auto* ref = static_cast<const ItemRef*>(data);
    if (ref->front->syncing || row == nullptr)
        return;
    const auto number = static_cast<Int16>(gtk_list_box_row_get_index(row) + 1);
    ref->front->lastResult = kit::SelectListRow(ref->dialId, ref->item, number);
    ref->front->Schedule(&ref->front->pumpSource, RunPump);
}

gboolean WindowFrontend::OnDialogCloseRequest(GtkWindow*, gpointer data)
{
    const auto* ref = static_cast<const ItemRef*>(data);
    ref->front->lastResult = kit::CloseDialog(ref->dialId);
    ref->front->Schedule(&ref->front->pumpSource, RunPump);
    return TRUE; // the window goes when the kit has closed the dialog
}

gboolean WindowFrontend::OnDialogKey(GtkEventControllerKey*, guint key, guint, GdkModifierType, gpointer data)
{
    const auto* ref = static_cast<const ItemRef*>(data);
    WindowFrontend* front = ref->front;
    if (key == GDK_KEY_Escape) {
        kit::CloseDialog(ref->dialId);
        front->Schedule(&front->pumpSource, RunPump);
        return TRUE;
    }
    if (key != GDK_KEY_Return && key != GDK_KEY_KP_Enter && key != GDK_KEY_ISO_Enter)
        return FALSE;
    // Enter presses the focused push button, else the default one (item 1).
    auto dialog = front->dialogs.find(ref->dialId);
    if (dialog == front->dialogs.end())
        return FALSE;
    GtkWidget* focus = gtk_root_get_focus(GTK_ROOT(dialog->second.window));
    Int16 target = 1;
    for (const auto& [number, shown] : dialog->second.items)
        if (shown.state.kind == kit::ItemKind::PushButton && focus != nullptr &&
            (focus == shown.widget || gtk_widget_is_ancestor(focus, shown.widget)))
            target = number;
    kit::Click(ref->dialId, target);
    front->Schedule(&front->pumpSource, RunPump);
    return TRUE;
}

void WindowFrontend::OnMapped(GtkWidget* window, gpointer data)
{
    GdkFrameClock* clock = gtk_widget_get_frame_clock(window);
    if (clock == nullptr)
        return;
    const auto* ref = static_cast<const ItemRef*>(data);
    g_signal_connect_data(
        clock, "after-paint", G_CALLBACK(OnAfterPaint), new ItemRef{*ref},
        [](gpointer d, GClosure*) { delete static_cast<ItemRef*>(d); }, GConnectFlags(0));
}

void WindowFrontend::OnAfterPaint(GdkFrameClock*, gpointer data)
{
    const auto* ref = static_cast<const ItemRef*>(data);
    WindowFrontend* front = ref->front;
    auto dialog = front->dialogs.find(ref->dialId);
    if (dialog != front->dialogs.end())
        ++dialog->second.paints;
    if (dialog != front->dialogs.end() && !dialog->second.drawn) {
        dialog->second.drawn = true;
        if (front->settings.timings && front->menuStarted) {
            const double ms =
                std::chrono::duration<double, std::milli>(Clock::now() - *front->menuStarted).count();
            char line[200];
            std::snprintf(
                line, sizeof line,
                "[timings] menu item %d: dialog %d drawn after %.1f ms (its window made after %.1f ms)",
                static_cast<int>(front->menuItem), static_cast<int>(dialog->second.resId), ms,
                front->builtAfter);
            front->transcript.Line(line);
            front->menuStarted.reset();
        }
    }
}

// --- Commands through the widgets -----------------------------------------------------------

bool WindowFrontend::Click(Int16 dialId, Int16 item)
{
    Update();
    GtkWidget* widget = ItemWidget(dialId, item, false);
    if (widget == nullptr || !(GTK_IS_BUTTON(widget) || GTK_IS_CHECK_BUTTON(widget)))
        return kit::Click(dialId, item);
    lastResult = false;
    if (GTK_IS_CHECK_BUTTON(widget))
        gtk_check_button_set_active(GTK_CHECK_BUTTON(widget),
                                    !gtk_check_button_get_active(GTK_CHECK_BUTTON(widget)));
    else
        g_signal_emit_by_name(widget, "clicked");
    return lastResult;
}

bool WindowFrontend::SelectListRow(Int16 dialId, Int16 item, Int16 row)
{
    Update();
    GtkWidget* list = ItemWidget(dialId, item, true);
    GtkListBoxRow* line = list != nullptr && GTK_IS_LIST_BOX(list)
                              ? gtk_list_box_get_row_at_index(GTK_LIST_BOX(list), row - 1)
                              : nullptr;
    // A row already selected is chosen again: the dialog hears of it all the same.
    if (line == nullptr || gtk_list_box_get_selected_row(GTK_LIST_BOX(list)) == line)
        return kit::SelectListRow(dialId, item, row);
    lastResult = false;
    gtk_list_box_select_row(GTK_LIST_BOX(list), line);
    return lastResult;
}

bool WindowFrontend::CloseDialog(Int16 dialId)
{
    Update();
    auto dialog = dialogs.find(dialId);
    // A window not yet realised has no close box to press.
    if (dialog == dialogs.end() || !gtk_widget_get_realized(dialog->second.window))
        return kit::CloseDialog(dialId);
    lastResult = false;
    gtk_window_close(GTK_WINDOW(dialog->second.window));
    return lastResult;
}

bool WindowFrontend::RunModal(Int16 dialId)
{
    Update();
    if (!person) {
        // The script goes on once the dialog is on the screen, as a person would.
        IterateUntil(5, [&] { return Drawn(dialId) || !kit::GetDialogState(dialId, nullptr); });
        return false;
    }
    while (!mainClosed && kit::GetDialogState(dialId, nullptr))
        g_main_context_iteration(nullptr, TRUE);
    return true;
}

bool WindowFrontend::Drawn(Int16 dialId)
{
    auto dialog = dialogs.find(dialId);
    return dialog != dialogs.end() && dialog->second.drawn;
}

bool WindowFrontend::Snapshot(Int16 dialId, const std::string& nativePath, std::string* message)
{
    Update();
    auto dialog = dialogs.find(dialId);
    if (dialog == dialogs.end() || !dialog->second.presented) {
        *message = "the dialog is not shown";
        return false;
    }
    // The window is drawn by the main loop: give it the time to draw what it shows now.
    const int paints = dialog->second.paints;
    gtk_widget_queue_draw(dialog->second.window);
    if (!IterateUntil(5, [&] {
            auto again = dialogs.find(dialId);
            return again != dialogs.end() && again->second.paints > paints;
        })) {
        *message = "the dialog's window was not drawn within 5 seconds";
        return false;
    }
    GtkWidget* window = dialog->second.window;
    const int width = gtk_widget_get_width(window), height = gtk_widget_get_height(window);
    GdkPaintable* paintable = gtk_widget_paintable_new(window);
    GtkSnapshot* snapshot = gtk_snapshot_new();
    gdk_paintable_snapshot(paintable, GDK_SNAPSHOT(snapshot), width, height);
    GskRenderNode* node = gtk_snapshot_free_to_node(snapshot);
    g_object_unref(paintable);
    if (node == nullptr) {
        *message = "the dialog's window drew nothing";
        return false;
    }
    GskRenderer* renderer = gtk_native_get_renderer(GTK_NATIVE(window));
    graphene_rect_t bounds = GRAPHENE_RECT_INIT(0, 0, static_cast<float>(width), static_cast<float>(height));
    GdkTexture* texture = gsk_renderer_render_texture(renderer, node, &bounds);
    gsk_render_node_unref(node);
    const bool saved = gdk_texture_save_to_png(texture, nativePath.c_str());
    g_object_unref(texture);
    if (!saved) {
        *message = "cannot write " + nativePath;
        return false;
    }
    *message = "[host] window of dialog " + std::to_string(dialog->second.resId) + " (" +
               std::to_string(width) + " x " + std::to_string(height) + ") written to " + nativePath;
    return true;
}

// --- Alerts and the file dialog ----------------------------------------------------------------

bool WindowFrontend::Alert(const kit::AlertRequest& request, Int16* button)
{
    if (!person || mainClosed)
        return false;
    const std::string large = Plain(request.largeText), small = Plain(request.smallText);
    GtkWidget* dialog = gtk_message_dialog_new(
        GTK_WINDOW(main), GTK_DIALOG_MODAL, request.type == DG_ERROR ? GTK_MESSAGE_ERROR : GTK_MESSAGE_INFO,
        GTK_BUTTONS_NONE, "%s", large.c_str());
    if (!small.empty())
        gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", small.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), Plain(request.title).c_str());
    for (int i = 0; i < 3; ++i)
        if (!request.buttons[i].IsEmpty() || i == 0)
            gtk_dialog_add_button(GTK_DIALOG(dialog),
                                  request.buttons[i].IsEmpty() ? "OK" : Plain(request.buttons[i]).c_str(),
                                  i + 1);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), 1);
    int answer = 0;
    g_signal_connect(dialog, "response", G_CALLBACK(+[](GtkDialog*, int response, gpointer result) {
                         *static_cast<int*>(result) = response;
                     }),
                     &answer);
    gtk_window_present(GTK_WINDOW(dialog));
    while (answer == 0 && !mainClosed)
        g_main_context_iteration(nullptr, TRUE);
    gtk_window_destroy(GTK_WINDOW(dialog));
    // The close box or Escape: the first button, as the host's alerts answer.
    *button = static_cast<Int16>(answer >= 1 && answer <= 3 ? answer : 1);
    return true;
}

std::string WindowFrontend::ChooseFile(const kit::FileDialogRequest& request,
                                       const std::optional<std::string>& scripted)
{
    if ((!person && !scripted) || mainClosed)
        return std::string();
    const bool save = request.type == DG::FileDialog::Save;
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        Plain(request.title).c_str(), GTK_WINDOW(main),
        save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel", GTK_RESPONSE_CANCEL,
        save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    for (UInt32 id : request.filters) {
        FTM::FileType type("", "", 0, 0, 0);
        if (!FTM::GetFileType(id, &type))
            continue;
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter,
                                 (std::string(type.description) + " (*." + type.extension + ")").c_str());
        gtk_file_filter_add_pattern(filter, ("*." + std::string(type.extension)).c_str());
        gtk_file_chooser_add_filter(chooser, filter);
        g_object_unref(filter);
    }
    if (!request.folder.empty()) {
        GFile* folder = g_file_new_for_path(velmora::pathform::ToPosix(request.folder).c_str());
        gtk_file_chooser_set_current_folder(chooser, folder, nullptr);
        g_object_unref(folder);
    }
    if (save && !request.fileName.empty())
        gtk_file_chooser_set_current_name(chooser, request.fileName.c_str());
    int answer = 0;
    g_signal_connect(dialog, "response", G_CALLBACK(+[](GtkDialog*, int response, gpointer result) {
                         *static_cast<int*>(result) = response;
                     }),
                     &answer);
    gtk_window_present(GTK_WINDOW(dialog));
    std::string chosen;
    if (scripted) {
        // The script's answer is filled into the chooser as a person would type it.
        // It is taken as given: the chooser's own checks of a name to save under
        // ask a person, and a script has answered already.
        IterateUntil(5, [&] { return gtk_widget_get_mapped(dialog) != FALSE; });
        if (!scripted->empty()) {
            GFile* file = g_file_new_for_path(scripted->c_str());
            gtk_file_chooser_set_file(chooser, file, nullptr);
            g_object_unref(file);
            IterateUntil(0.1, [] { return false; });
            chosen = *scripted;
        }
    } else {
        while (answer == 0 && !mainClosed)
            g_main_context_iteration(nullptr, TRUE);
        if (answer == GTK_RESPONSE_ACCEPT) {
            if (GFile* file = gtk_file_chooser_get_file(chooser)) {
                if (char* path = g_file_get_path(file)) {
                    chosen = path;
                    g_free(path);
                }
                g_object_unref(file);
            }
        }
    }
    gtk_window_destroy(GTK_WINDOW(dialog));
    return chosen;
}

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
    WindowFrontend front(session, host, transcript, script == nullptr, settings);
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
