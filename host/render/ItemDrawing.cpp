#include "ItemDrawing.hpp"

#include <pango/pangocairo.h>

#include <algorithm>
#include <string>

#include "PictureFonts.hpp"
#include "PictureTheme.hpp"
#include "RS.hpp"
#include "ResourcePicture.hpp"

namespace velmora::render {

namespace {

struct Box {
    double x, y, w, h;
    double Right() const { return x + w; }
    double Bottom() const { return y + h; }
};

enum class Align { Start, Centre };

std::string Utf8(const GS::UniString& text)
{
    char* bytes = text.ToUtf8();
    std::string out = bytes != nullptr ? bytes : "";
    GS::DeleteArrayOperator(bytes);
    return out;
}

void SetColour(cairo_t* cr, Colour colour)
{
    cairo_set_source_rgb(cr, colour.Red(), colour.Green(), colour.Blue());
}

void Fill(cairo_t* cr, const Box& box, Colour colour)
{
    SetColour(cr, colour);
    cairo_rectangle(cr, box.x, box.y, box.w, box.h);
    cairo_fill(cr);
}

// A one-pixel line just inside the box: the half-pixel offset keeps it on whole pixels.
void Outline(cairo_t* cr, const Box& box, Colour colour)
{
    if (box.w < 1 || box.h < 1)
        return;
    SetColour(cr, colour);
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, box.x + 0.5, box.y + 0.5, box.w - 1, box.h - 1);
    cairo_stroke(cr);
}

void Clip(cairo_t* cr, const Box& box)
{
    cairo_rectangle(cr, box.x, box.y, std::max(0.0, box.w), std::max(0.0, box.h));
    cairo_clip(cr);
}

// Text inside `box` (clipped to it), from its top or centred in it.
void DrawText(ItemDrawingContext& context, const std::string& utf8, TextStyle style, const Box& box,
              Colour colour, Align horizontal, Align vertical, bool wrap)
{
    if (utf8.empty())
        return;
    cairo_t* cr = context.cr;
    PangoLayout* layout = MakeLayout(context.text, cr, utf8, style, wrap ? static_cast<int>(box.w) : 0);
    context.missingGlyphs += pango_layout_get_unknown_glyphs_count(layout);
    PangoRectangle ink{}, logical{};
    pango_layout_get_pixel_extents(layout, &ink, &logical);
    double x = box.x, y = box.y;
    if (horizontal == Align::Centre)
        x += (box.w - logical.width) / 2.0 - logical.x;
    if (vertical == Align::Centre)
        y += (box.h - logical.height) / 2.0 - logical.y;
    cairo_save(cr);
    Clip(cr, box);
    SetColour(cr, colour);
    // Whole pixels, so that the same text looks the same wherever it stands.
    cairo_move_to(cr, static_cast<int>(x), static_cast<int>(y));
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
    g_object_unref(layout);
}

// The picture at its own size from (x, y), clipped to `clip`; a crossed box when
// the resource could not be read (`picture` null).
void DrawPicture(ItemDrawingContext& context, cairo_surface_t* picture, double x, double y, const Box& clip,
                 bool enabled)
{
    cairo_t* cr = context.cr;
    cairo_save(cr);
    Clip(cr, clip);
    if (picture != nullptr) {
        cairo_set_source_surface(cr, picture, x, y);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        // A disabled picture shows through the dialog's face, as the host greys it.
        cairo_paint_with_alpha(cr, enabled ? 1.0 : 0.45);
    } else {
        const Box box{x, y, clip.Right() - x, clip.Bottom() - y};
        Outline(cr, box, theme::MissingImage);
        cairo_move_to(cr, box.x, box.y);
        cairo_line_to(cr, box.Right(), box.Bottom());
        cairo_move_to(cr, box.Right(), box.y);
        cairo_line_to(cr, box.x, box.Bottom());
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void DrawImageItem(const kit::ItemState& item, GSResType type, const Box& box, ItemDrawingContext& context)
{
    cairo_surface_t* picture =
        item.imageId != 0 ? LoadResourcePicture(context.images, type, item.imageId) : nullptr;
    DrawPicture(context, picture, box.x, box.y, box, item.enabled);
    if (picture != nullptr)
        cairo_surface_destroy(picture);
}

Colour TextColour(const kit::ItemState& item)
{
    return item.enabled ? theme::Text : theme::DisabledText;
}

TextStyle StyleOf(const kit::ItemState& item)
{
    return item.largeFont ? TextStyle::Large : TextStyle::Normal;
}

void DrawButton(const kit::ItemState& item, const Box& box, ItemDrawingContext& context)
{
    Fill(context.cr, box, item.enabled ? theme::ButtonFace : theme::DisabledButtonFace);
    Outline(context.cr, box, item.enabled ? theme::ButtonBorder : theme::DisabledButtonBorder);
    const Box inside{box.x + 2, box.y + 1, box.w - 4, box.h - 2};
    DrawText(context, Utf8(item.text), StyleOf(item), inside, TextColour(item), Align::Centre, Align::Centre,
             false);
    if (context.focused && box.w > 8 && box.h > 8) {
        cairo_t* cr = context.cr;
        const double dash[] = {1.0};
        cairo_save(cr);
        cairo_set_dash(cr, dash, 1, 0);
        Outline(cr, {box.x + 3, box.y + 3, box.w - 6, box.h - 6}, theme::Text);
        cairo_restore(cr);
    }
}

void DrawCheckBox(const kit::ItemState& item, const Box& box, ItemDrawingContext& context)
{
    const double size = theme::CheckBoxSize;
    const Box mark{box.x, box.y + std::max(0.0, (box.h - size) / 2.0), size, size};
    cairo_save(context.cr);
    Clip(context.cr, box);
    Fill(context.cr, mark, theme::FieldFace);
    Outline(context.cr, mark, item.enabled ? theme::Text : theme::DisabledText);
    cairo_restore(context.cr);
    const Box label{box.x + size + 4, box.y, box.w - size - 4, box.h};
    DrawText(context, Utf8(item.text), StyleOf(item), label, TextColour(item), Align::Start, Align::Centre,
             false);
}

void DrawEditText(const kit::ItemState& item, const Box& box, ItemDrawingContext& context)
{
    Fill(context.cr, box, theme::FieldFace);
    Outline(context.cr, box, theme::FieldBorder);
    const Box inside{box.x + 3, box.y + 1, box.w - 6, box.h - 2};
    DrawText(context, Utf8(item.text), StyleOf(item), inside, TextColour(item), Align::Start, Align::Centre,
             false);
}

void DrawSeparator(const Box& box, ItemDrawingContext& context)
{
    // An etched line: a shadow and, when there is room, a light line beside it.
    const bool across = box.w >= box.h;
    const Box shadow = across ? Box{box.x, box.y, box.w, 1} : Box{box.x, box.y, 1, box.h};
    Fill(context.cr, shadow, theme::SeparatorShadow);
    if ((across ? box.h : box.w) >= 2)
        Fill(context.cr, across ? Box{box.x, box.y + 1, box.w, 1} : Box{box.x + 1, box.y, 1, box.h},
             theme::SeparatorLight);
}

void DrawListBox(const kit::ItemState& item, const Box& box, ItemDrawingContext& context)
{
    cairo_t* cr = context.cr;
    Fill(cr, box, theme::FieldFace);
    Outline(cr, box, theme::FieldBorder);
    Box inside{box.x + 1, box.y + 1, box.w - 2, box.h - 2};
    const int rowHeight = item.rowHeight > 0 ? item.rowHeight : theme::DefaultRowHeight;
    const double contentHeight = static_cast<double>(rowHeight) * static_cast<double>(item.rows.size());
    if (contentHeight > inside.h && inside.w > theme::ScrollBarWidth) {
        // Rows beyond the box: a scroll bar at the top of its range, as when the list opens.
        inside.w -= theme::ScrollBarWidth;
        const Box track{inside.Right(), inside.y, theme::ScrollBarWidth, inside.h};
        Fill(cr, track, theme::ScrollTrack);
        const double thumbHeight = std::max(10.0, track.h * inside.h / contentHeight);
        Fill(cr, {track.x + 3, track.y + 2, track.w - 6, thumbHeight - 4}, theme::ScrollThumb);
    }
    cairo_save(cr);
    Clip(cr, inside);
    Int16 rowNumber = 1;
    for (const kit::ListRowState& row : item.rows) {
        const Box rowBox{inside.x, inside.y + static_cast<double>(rowHeight) * (rowNumber - 1), inside.w,
                         static_cast<double>(rowHeight)};
        if (rowBox.y >= inside.Bottom())
            break;
        const bool selected = rowNumber == item.selectedRow;
        if (selected)
            Fill(cr, rowBox, theme::Selection);
        const std::size_t fields = std::max(item.tabFields.size(), std::size_t{1});
        for (std::size_t field = 0; field < fields; ++field) {
            double begin = 0, end = inside.w;
            if (field < item.tabFields.size() && item.tabFields[field].second > item.tabFields[field].first) {
                begin = item.tabFields[field].first;
                end = item.tabFields[field].second;
            }
            double textStart = rowBox.x + begin + 2;
            if (field < row.tabIcons.size() && row.tabIcons[field] != 0) {
                cairo_surface_t* icon = LoadResourcePicture(context.images, IcoResType, row.tabIcons[field]);
                const int iconHeight = icon != nullptr ? cairo_image_surface_get_height(icon) : rowHeight - 4;
                const int iconWidth = icon != nullptr ? cairo_image_surface_get_width(icon) : rowHeight - 4;
                // Whole pixels, so that a row image is copied unchanged.
                const double top = rowBox.y + (rowHeight - iconHeight) / 2;
                const Box iconClip = icon != nullptr
                                         ? inside
                                         : Box{rowBox.x + begin, top, double(iconWidth), double(iconHeight)};
                DrawPicture(context, icon, rowBox.x + begin, top, iconClip, item.enabled);
                if (icon != nullptr)
                    cairo_surface_destroy(icon);
                textStart = rowBox.x + begin + iconWidth + 4;
            }
            if (field < row.tabTexts.size() && !row.tabTexts[field].IsEmpty()) {
                const Box textBox{textStart, rowBox.y, rowBox.x + end - textStart, rowBox.h};
                DrawText(context, Utf8(row.tabTexts[field]), TextStyle::Normal, textBox,
                         selected ? theme::SelectedText : TextColour(item), Align::Start, Align::Centre,
                         false);
            }
        }
        ++rowNumber;
    }
    cairo_restore(cr);
}

} // namespace

void DrawItem(const kit::ItemState& item, ItemDrawingContext& context)
{
    const Box box{static_cast<double>(item.left), static_cast<double>(item.top),
                  static_cast<double>(item.width), static_cast<double>(item.height)};
    if (box.w <= 0 || box.h <= 0)
        return;
    switch (item.kind) {
    case kit::ItemKind::PushButton:
        DrawButton(item, box, context);
        break;
    case kit::ItemKind::StaticText:
        DrawText(context, Utf8(item.text), StyleOf(item), box, TextColour(item), Align::Start, Align::Start,
                 false);
        break;
    case kit::ItemKind::MultiLineText:
        DrawText(context, Utf8(item.text), StyleOf(item), box, TextColour(item), Align::Start, Align::Start,
                 true);
        break;
    case kit::ItemKind::ListBox:
        DrawListBox(item, box, context);
        break;
    case kit::ItemKind::Icon:
        DrawImageItem(item, IcoResType, box, context);
        break;
    case kit::ItemKind::Picture:
        DrawImageItem(item, BmpResType, box, context);
        break;
    case kit::ItemKind::Separator:
        DrawSeparator(box, context);
        break;
    case kit::ItemKind::EditText:
        DrawEditText(item, box, context);
        break;
    case kit::ItemKind::CheckBox:
        DrawCheckBox(item, box, context);
        break;
    }
}

} // namespace velmora::render
