#include "Widgets.hpp"

#include "Panel.hpp"
#include "ResourcePicture.hpp"

namespace velmora::host {

std::string Plain(const GS::UniString& text)
{
    std::string out;
    for (char c : Utf8(text))
        if (c != '\r')
            out += c;
    return out;
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

GtkWidget* Clipped(GtkWidget* child)
{
    GtkWidget* clip = gtk_scrolled_window_new();
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(clip), GTK_POLICY_EXTERNAL, GTK_POLICY_EXTERNAL);
    gtk_scrolled_window_set_child(GTK_SCROLLED_WINDOW(clip), child);
    return clip;
}

GtkWidget* FittedLabel(const std::string& text, LabelFit fit)
{
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_label_set_max_width_chars(GTK_LABEL(label), 1);
    if (fit == LabelFit::Wrap) {
        gtk_label_set_wrap(GTK_LABEL(label), TRUE);
        gtk_label_set_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
        gtk_label_set_xalign(GTK_LABEL(label), 0);
        gtk_label_set_yalign(GTK_LABEL(label), 0);
    } else {
        gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
    }
    return label;
}
} // namespace velmora::host
