// Small pieces of GTK the window front end builds its windows from: texts and
// pictures of the add-on's resources as widgets, and a bounded run of the main loop.
// [UI thread] GTK is used on its main thread only, which is the host's UI thread.
#pragma once

#include <gtk/gtk.h>

#include <cmath>
#include <string>

#include "GSRoot.hpp"
#include "RS.hpp"

namespace velmora::host {

// A host text as a widget shows it: UTF-8, without carriage returns.
std::string Plain(const GS::UniString& text);

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

// The picture resource as a texture (new reference; null when there is none).
GdkTexture* TextureOf(GSResModule module, GSResType type, GSResID id);
// A picture widget of the resource, scaled down to its place (empty for id 0).
GtkWidget* PictureWidget(GSResModule module, GSResType type, GSResID id);
// A box at an item's rectangle that shows `child` there and cuts off what would
// stand outside, as the host's dialogs do; the child keeps its own measures.
GtkWidget* Clipped(GtkWidget* child);

// How a label keeps to the width it is given.
enum class LabelFit {
    Wrap,      // it wraps there, from the top left, instead of asking for its whole text's width
    Ellipsize, // one line, cut with an ellipsis
};
GtkWidget* FittedLabel(const std::string& text, LabelFit fit);

} // namespace velmora::host
