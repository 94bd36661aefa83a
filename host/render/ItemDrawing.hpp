// One dialog item as the host's dialog manager shows it, drawn with cairo and
// pango at the item's rectangle in client coordinates.
#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include "kit/DialogDriver.hpp"

namespace velmora::render {

struct ItemDrawingContext {
    cairo_t* cr;           // borrowed; origin at the client area's top left
    PangoContext* text;    // borrowed; the caller holds PictureLock
    GSResModule images;    // where icons and bitmaps come from
    bool focused = false;  // the dialog's focus is on this item
    int missingGlyphs = 0; // grows by the characters no font could show
};

// [any thread, holding PictureLock] Draws a visible item; hidden items are the
// caller's to skip. Pictures are read from `context.images` and freed after use.
void DrawItem(const kit::ItemState& item, ItemDrawingContext& context);

} // namespace velmora::render
