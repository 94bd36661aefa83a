// The system's standard dialogs for a person at the windows: alerts as message
// dialogs, and GTK's file chooser for the add-on's file dialogs.
#include "WindowFrontend.hpp"

#include "FTM.hpp"
#include "Widgets.hpp"
#include "velmora/PathForm.hpp"

namespace velmora::host {

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
} // namespace velmora::host
