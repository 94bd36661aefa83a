#include "PictureCompare.hpp"

#include <cairo.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace velmora::render {

namespace {

// The PNG as cairo reads it, converted to opaque RGB so that both sides compare
// in one format; null with `error` set when it cannot be read.
cairo_surface_t* ReadPng(const std::string& path, std::string* error)
{
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) {
        *error = "cannot read " + path + " as PNG: " + cairo_status_to_string(cairo_surface_status(png));
        cairo_surface_destroy(png);
        return nullptr;
    }
    const int width = cairo_image_surface_get_width(png), height = cairo_image_surface_get_height(png);
    cairo_surface_t* rgb = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(rgb);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_surface(cr, png, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(png);
    cairo_surface_flush(rgb);
    return rgb;
}

} // namespace

bool PicturesAlike(const std::string& expectedPng, const std::string& actualPng,
                   const CompareTolerance& tolerance, PictureDifference* out)
{
    PictureDifference difference;
    cairo_surface_t* expected = ReadPng(expectedPng, &difference.error);
    cairo_surface_t* actual = expected != nullptr ? ReadPng(actualPng, &difference.error) : nullptr;
    bool alike = false;
    if (expected != nullptr && actual != nullptr) {
        difference.expectedWidth = cairo_image_surface_get_width(expected);
        difference.expectedHeight = cairo_image_surface_get_height(expected);
        difference.actualWidth = cairo_image_surface_get_width(actual);
        difference.actualHeight = cairo_image_surface_get_height(actual);
        if (difference.expectedWidth == difference.actualWidth &&
            difference.expectedHeight == difference.actualHeight) {
            const int width = difference.expectedWidth, height = difference.expectedHeight;
            for (int y = 0; y < height; ++y) {
                const auto* a = reinterpret_cast<const std::uint32_t*>(
                    cairo_image_surface_get_data(expected) +
                    static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(expected));
                const auto* b = reinterpret_cast<const std::uint32_t*>(
                    cairo_image_surface_get_data(actual) +
                    static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(actual));
                for (int x = 0; x < width; ++x) {
                    int largest = 0;
                    for (int shift = 0; shift <= 16; shift += 8) {
                        const int ca = static_cast<int>((a[x] >> shift) & 0xff);
                        const int cb = static_cast<int>((b[x] >> shift) & 0xff);
                        largest = std::max(largest, std::abs(ca - cb));
                    }
                    difference.largestDifference = std::max(difference.largestDifference, largest);
                    if (largest > tolerance.channel)
                        ++difference.differingPixels;
                }
            }
            difference.pixels = static_cast<long>(width) * height;
            alike = static_cast<double>(difference.differingPixels) <=
                    tolerance.fraction * static_cast<double>(difference.pixels);
        }
    }
    if (expected != nullptr)
        cairo_surface_destroy(expected);
    if (actual != nullptr)
        cairo_surface_destroy(actual);
    if (out != nullptr)
        *out = difference;
    return alike;
}

} // namespace velmora::render
