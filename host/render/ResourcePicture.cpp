#include "ResourcePicture.hpp"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstddef>
#include <cstdint>

#include "BM.hpp"
#include "RS.hpp"

namespace velmora::render {

namespace {

// The pixbuf's rows (RGB or RGBA, not premultiplied) as cairo's native-endian,
// premultiplied ARGB.
cairo_surface_t* SurfaceFromPixbuf(GdkPixbuf* pixbuf)
{
    const int width = gdk_pixbuf_get_width(pixbuf);
    const int height = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf) != FALSE;
    if (gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 || channels < (alpha ? 4 : 3))
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    const guchar* source = gdk_pixbuf_read_pixels(pixbuf);
    const int sourceStride = gdk_pixbuf_get_rowstride(pixbuf);
    unsigned char* target = cairo_image_surface_get_data(surface);
    const int targetStride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        const guchar* in = source + static_cast<std::ptrdiff_t>(y) * sourceStride;
        auto* out = reinterpret_cast<std::uint32_t*>(target + static_cast<std::ptrdiff_t>(y) * targetStride);
        for (int x = 0; x < width; ++x, in += channels) {
            const std::uint32_t a = alpha ? in[3] : 255u;
            auto premultiply = [a](std::uint32_t c) { return (c * a + 127u) / 255u; };
            out[x] = (a << 24) | (premultiply(in[0]) << 16) | (premultiply(in[1]) << 8) | premultiply(in[2]);
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

} // namespace

cairo_surface_t* LoadResourcePicture(GSResModule module, GSResType type, GSResID id)
{
    if (type != IcoResType && type != BmpResType)
        return nullptr;
    GSHandle handle = RSLoadResource(type, module, id);
    if (handle == nullptr)
        return nullptr;
    const GSSize size = BMGetHandleSize(handle);
    cairo_surface_t* surface = nullptr;
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("bmp", nullptr);
    if (loader != nullptr) {
        const bool read =
            size > 0 && gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(*handle),
                                                static_cast<gsize>(size), nullptr) != FALSE;
        // Closed in every case: an open loader is a leak and a warning.
        const bool closed = gdk_pixbuf_loader_close(loader, nullptr) != FALSE;
        GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
        if (read && closed && pixbuf != nullptr)
            surface = SurfaceFromPixbuf(pixbuf);
        g_object_unref(loader);
    }
    BMKillHandle(&handle);
    return surface;
}

} // namespace velmora::render
