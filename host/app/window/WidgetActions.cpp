// What a person does with the dialogs' widgets goes to the kit as the same call a
// script's command makes (Click, SelectListRow, CloseDialog); a script's command
// goes through the widget as a person's would.
#include "WindowFrontend.hpp"

#include <cstdio>

#include "Widgets.hpp"

namespace velmora::host {

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
    GtkWidget* widget = ItemWidget(dialId, item, ItemPart::Control);
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
    GtkWidget* list = ItemWidget(dialId, item, ItemPart::Content);
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
} // namespace velmora::host
