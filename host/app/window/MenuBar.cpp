// The add-on's menu in the main window's menu bar, rebuilt when the add-on changes
// it, and the commands chosen there.
#include "WindowFrontend.hpp"

namespace velmora::host {

namespace {

// The host's menu-item flag for a greyed item (beside API_MenuItemChecked).
constexpr Int32 MenuItemDisabled = 1;

} // namespace

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
} // namespace velmora::host
