#include "PicturePixels.hpp"

#include "TestSupport.hpp"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <sstream>

namespace velmora::test {

bool ReadPicture(const std::string& path, Pixels* out)
{
    GError* error = nullptr;
    GdkPixbuf* file = gdk_pixbuf_new_from_file(path.c_str(), &error);
    if (file == nullptr) {
        ADD_FAILURE() << "cannot read " << path << ": " << (error != nullptr ? error->message : "");
        if (error != nullptr)
            g_error_free(error);
        return false;
    }
    Pixels pixels;
    pixels.width = gdk_pixbuf_get_width(file);
    pixels.height = gdk_pixbuf_get_height(file);
    const int channels = gdk_pixbuf_get_n_channels(file), stride = gdk_pixbuf_get_rowstride(file);
    const guchar* data = gdk_pixbuf_read_pixels(file);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const guchar* p = data + static_cast<std::ptrdiff_t>(y) * stride + x * channels;
            pixels.rgb.push_back((std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2]);
        }
    g_object_unref(file);
    *out = std::move(pixels);
    return true;
}

Pixels ResourceImage(const std::string& fileName)
{
    Pixels pixels;
    ReadPicture(velmora::test::SourceDir() + "/addon/resources/images/" + fileName, &pixels);
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
