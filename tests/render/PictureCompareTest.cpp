// The comparison that keeps the committed pictures current: noise of the kind
// anti-aliasing leaves passes, a changed text or size does not.
#include <gtest/gtest.h>

#include <cairo.h>

#include <functional>
#include <string>

#include "PictureCompare.hpp"
#include "TestSupport.hpp"

namespace {

using velmora::render::CompareTolerance;
using velmora::render::PictureDifference;
using velmora::render::PicturesAlike;

// A 200 x 200 picture: a grey face with a dark bar, then `change` on top.
void WritePicture(const std::string& path, int width, const std::function<void(cairo_t*)>& change)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, 200);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.94, 0.94, 0.94);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    cairo_rectangle(cr, 20, 20, 100, 12);
    cairo_fill(cr);
    if (change)
        change(cr);
    cairo_destroy(cr);
    ASSERT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);
}

// `count` single pixels of another colour along the bar's edge.
std::function<void(cairo_t*)> Speckles(int count, double grey)
{
    return [count, grey](cairo_t* cr) {
        cairo_set_source_rgb(cr, grey, grey, grey);
        for (int i = 0; i < count; ++i)
            cairo_rectangle(cr, 20 + i, 32, 1, 1);
        cairo_fill(cr);
    };
}

TEST(PictureCompare, NoisePassesAndChangesDoNot)
{
    velmora::test::TempFolder folder;
    const std::string expected = folder.File("expected.png");
    WritePicture(expected, 200, nullptr);
    struct Case {
        const char* what;
        int width;
        std::function<void(cairo_t*)> change;
        bool alike;
    };
    // 200 x 200 pixels with the default share of 0.02%: 8 pixels may differ.
    const Case cases[] = {
        {"the same picture", 200, nullptr, true},
        {"8 edge pixels changed strongly", 200, Speckles(8, 0.4), true},
        {"faint changes everywhere", 200,
         [](cairo_t* cr) {
             cairo_set_source_rgba(cr, 0, 0, 0, 0.15);
             cairo_paint(cr);
         },
         true},
        {"9 edge pixels changed strongly", 200, Speckles(9, 0.4), false},
        {"a word more", 200,
         [](cairo_t* cr) {
             cairo_set_source_rgb(cr, 0, 0, 0);
             cairo_rectangle(cr, 130, 20, 30, 12);
             cairo_fill(cr);
         },
         false},
        {"another width", 201, nullptr, false},
    };
    for (const Case& c : cases) {
        const std::string actual = folder.File("actual.png");
        WritePicture(actual, c.width, c.change);
        PictureDifference difference;
        EXPECT_EQ(PicturesAlike(expected, actual, CompareTolerance{}, &difference), c.alike)
            << c.what << ": " << difference.differingPixels << " of " << difference.pixels << " differ";
        EXPECT_TRUE(difference.error.empty()) << c.what;
    }
}

} // namespace
