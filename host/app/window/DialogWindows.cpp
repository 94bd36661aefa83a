// Every dialog the kit has open as a GtkWindow of real widgets at the items'
// rectangles, synchronised with the kit's dialog state after each change.
#include "WindowFrontend.hpp"

#include <algorithm>
#include <vector>

#include "Widgets.hpp"

namespace velmora::host {

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
        made.inner = FittedLabel("", LabelFit::Ellipsize);
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
        made.widget = made.inner = FittedLabel("", LabelFit::Wrap);
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
                GtkWidget* text = FittedLabel(Plain(row.tabTexts[field]), LabelFit::Ellipsize);
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

GtkWidget* WindowFrontend::ItemWidget(Int16 dialId, Int16 item, ItemPart part)
{
    auto dialog = dialogs.find(dialId);
    if (dialog == dialogs.end())
        return nullptr;
    auto found = dialog->second.items.find(item);
    if (found == dialog->second.items.end())
        return nullptr;
    return part == ItemPart::Content ? found->second.inner : found->second.widget;
}
} // namespace velmora::host
