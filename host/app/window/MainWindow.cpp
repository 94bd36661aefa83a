// The main window (menu bar, transcript, status line) and how work from other
// threads reaches GTK's main loop: an idle source, attached from any thread, wakes
// it; an idle host sleeps there and polls nothing.
#include "WindowFrontend.hpp"

#include "Widgets.hpp"

namespace velmora::host {

namespace {

// The dialogs' look: the host's dialog font and compact buttons, so that texts and
// buttons fit the rectangles the resources give them.
constexpr const char* DialogStyle = R"css(
.velmora-dialog { font-size: 12px; background-color: #f0f0f0; }
.velmora-dialog button { min-height: 0; min-width: 0; padding: 0 6px; }
.velmora-dialog .large { font-size: 15px; }
.velmora-dialog list { font-size: 12px; }
.velmora-transcript { font-family: monospace; font-size: 11px; }
)css";

} // namespace

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
} // namespace velmora::host
