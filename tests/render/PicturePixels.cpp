#include "PicturePixels.hpp"

#include "TestSupport.hpp"

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <sstream>

namespace velmora::test {

bool ReadPng(const std::string& path, Pixels* out)
{
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) {
        ADD_FAILURE() << "cannot read " << path;
        cairo_surface_destroy(png);
        return false;
    }
    cairo_surface_flush(png);
    Pixels pixels;
    pixels.width = cairo_image_surface_get_width(png);
    pixels.height = cairo_image_surface_get_height(png);
    const int stride = cairo_image_surface_get_stride(png);
    const unsigned char* data = cairo_image_surface_get_data(png);
    for (int y = 0; y < pixels.height; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < pixels.width; ++x)
            pixels.rgb.push_back(row[x] & 0xffffffu);
    }
    cairo_surface_destroy(png);
    *out = std::move(pixels);
    return true;
}

bool ReadBmp(const std::string& path, Pixels* out)
{
    GError* error = nullptr;
    GdkPixbuf* bmp = gdk_pixbuf_new_from_file(path.c_str(), &error);
    if (bmp == nullptr) {
        ADD_FAILURE() << "cannot read " << path << ": " << (error != nullptr ? error->message : "");
        if (error != nullptr)
            g_error_free(error);
        return false;
    }
    Pixels pixels;
    pixels.width = gdk_pixbuf_get_width(bmp);
    pixels.height = gdk_pixbuf_get_height(bmp);
    const int channels = gdk_pixbuf_get_n_channels(bmp), stride = gdk_pixbuf_get_rowstride(bmp);
    const guchar* data = gdk_pixbuf_read_pixels(bmp);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const guchar* p = data + static_cast<std::ptrdiff_t>(y) * stride + x * channels;
            pixels.rgb.push_back((std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2]);
        }
    g_object_unref(bmp);
    *out = std::move(pixels);
    return true;
}

Pixels ResourceImage(const std::string& fileName)
{
    Pixels pixels;
    ReadBmp(velmora::test::SourceDir() + "/addon/resources/images/" + fileName, &pixels);
    return pixels;
}

Pixels Cut(const Pixels& picture, Region region)
{
    Pixels out;
    const int right = std::min(picture.width, region.left + region.width);
    const int bottom = std::min(picture.height, region.top + region.height);
    out.width = std::max(0, right - region.left);
    out.height = std::max(0, bottom - region.top);
    for (int y = region.top; y < bottom; ++y)
        for (int x = region.left; x < right; ++x)
            out.rgb.push_back(picture.At(x, y));
    return out;
}

bool Contains(const Pixels& picture, const Pixels& image, int left, int top, std::string* why)
{
    if (image.width == 0 || left < 0 || top < 0 || left + image.width > picture.width ||
        top + image.height > picture.height) {
        *why = "the image does not fit at that place";
        return false;
    }
    long wrong = 0;
    std::ostringstream first;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (picture.At(left + x, top + y) != image.At(x, y) && wrong++ == 0)
                first << "first difference at image pixel (" << x << ", " << y << "): " << std::hex
                      << picture.At(left + x, top + y) << " instead of " << image.At(x, y);
    *why = std::to_string(wrong) + " pixels differ; " + first.str();
    return wrong == 0;
}

} // namespace velmora::test
