#include "DialogPicture.hpp"

#include <cairo.h>
#include <pango/pangocairo.h>

#include "ItemDrawing.hpp"
#include "PictureFonts.hpp"
#include "PictureTheme.hpp"

namespace velmora::render {

namespace {

void FillRect(cairo_t* cr, double x, double y, double w, double h, Colour colour)
{
    cairo_set_source_rgb(cr, colour.Red(), colour.Green(), colour.Blue());
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

std::string Utf8(const GS::UniString& text)
{
    char* bytes = text.ToUtf8();
    std::string out = bytes != nullptr ? bytes : "";
    GS::DeleteArrayOperator(bytes);
    return out;
}

// The border and the title bar with the title and the close box.
void DrawFrame(cairo_t* cr, PangoContext* text, const kit::DialogState& dialog, int width, int height,
               PictureResult* result)
{
    FillRect(cr, 0, 0, width, height, theme::FrameBorder);
    const double border = theme::FrameBorderWidth;
    const double barWidth = width - 2 * border;
    FillRect(cr, border, border, barWidth, theme::TitleBarHeight, theme::TitleBar);

    const double closeBox = 10, closeRight = border + barWidth - 18;
    PangoLayout* title = MakeLayout(text, cr, Utf8(dialog.title), TextStyle::Normal, 0);
    result->missingGlyphs += pango_layout_get_unknown_glyphs_count(title);
    PangoRectangle logical{};
    pango_layout_get_pixel_extents(title, nullptr, &logical);
    cairo_save(cr);
    cairo_rectangle(cr, border + 10, border, closeRight - closeBox - border - 20, theme::TitleBarHeight);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, theme::Text.Red(), theme::Text.Green(), theme::Text.Blue());
    cairo_move_to(cr, border + 10, border + static_cast<int>((theme::TitleBarHeight - logical.height) / 2));
    pango_cairo_show_layout(cr, title);
    cairo_restore(cr);
    g_object_unref(title);

    if (closeRight - closeBox > border + 10) {
        const double top = border + (theme::TitleBarHeight - closeBox) / 2;
        cairo_set_source_rgb(cr, theme::Text.Red(), theme::Text.Green(), theme::Text.Blue());
        cairo_set_line_width(cr, 1.0);
        cairo_move_to(cr, closeRight - closeBox, top);
        cairo_line_to(cr, closeRight, top + closeBox);
        cairo_move_to(cr, closeRight, top);
        cairo_line_to(cr, closeRight - closeBox, top + closeBox);
        cairo_stroke(cr);
    }
}

} // namespace

bool WriteDialogPicture(const kit::DialogState& dialog, const std::string& pngPath,
                        const PictureOptions& options, PictureResult* out)
{
    PictureResult result;
    auto finish = [&](bool written) {
        if (out != nullptr)
            *out = result;
        return written;
    };
    if (dialog.width <= 0 || dialog.height <= 0) {
        result.error = "the dialog has no area (" + std::to_string(dialog.width) + " x " +
                       std::to_string(dialog.height) + ")";
        return finish(false);
    }
    PictureLock hold;
    PangoContext* text = PictureTextContext(&result.error);
    if (text == nullptr)
        return finish(false);

    const int frameX = options.frame ? theme::FrameBorderWidth : 0;
    const int frameY = options.frame ? theme::FrameBorderWidth + theme::TitleBarHeight : 0;
    const int width = dialog.width + 2 * frameX;
    const int height = dialog.height + frameY + frameX;
    // Opaque RGB: a picture of a window has nothing behind it.
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    if (options.frame)
        DrawFrame(cr, text, dialog, width, height, &result);

    cairo_translate(cr, frameX, frameY);
    cairo_rectangle(cr, 0, 0, dialog.width, dialog.height);
    cairo_clip(cr);
    FillRect(cr, 0, 0, dialog.width, dialog.height, theme::DialogFace);
    ItemDrawingContext context{cr, text, dialog.resModule};
    for (const kit::ItemState& item : dialog.items) {
        if (!item.visible)
            continue;
        context.focused = item.number == dialog.focus;
        cairo_save(cr);
        DrawItem(item, context);
        cairo_restore(cr);
    }
    result.missingGlyphs += context.missingGlyphs;

    cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    if (status == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(surface);
        status = cairo_surface_write_to_png(surface, pngPath.c_str());
    }
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        result.error = "cannot write " + pngPath + ": " + cairo_status_to_string(status);
        return finish(false);
    }
    result.width = width;
    result.height = height;
    return finish(true);
}

} // namespace velmora::render
