// Text in dialog pictures: a fixed set of font files and fixed rendering options,
// so that a picture comes out the same on every machine that has the packages of
// the set-up, whatever else its fontconfig knows.
#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include <string>

namespace velmora::render {

// DejaVu Sans for Latin and Cyrillic, IPAGothic for Japanese (Debian's
// fonts-dejavu-core and fonts-ipafont-gothic).
struct FontFile {
    const char* path;
    const char* package;
};
inline constexpr FontFile PictureFontFiles[] = {
    {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "fonts-dejavu-core"},
    {"/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", "fonts-dejavu-core"},
    {"/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf", "fonts-ipafont-gothic"},
};

enum class TextStyle { Normal, Large };

// [any thread, one at a time] A pango context over the fixed fonts, made once per
// process and kept until exit (the font map is costly to build). Returns null, with
// the missing file and its package in `error`, when a font file is absent. The
// caller borrows the context and must hold PictureLock() while it uses it.
PangoContext* PictureTextContext(std::string* error);

// Guards the shared text context: pango's font maps are not thread-safe.
class PictureLock {
public:
    PictureLock();
    ~PictureLock();
    PictureLock(const PictureLock&) = delete;
    PictureLock& operator=(const PictureLock&) = delete;
};

// A layout of `utf8` in the given style for drawing on `cr`. Owned by the caller
// (g_object_unref). `wrapWidth` > 0 wraps lines at that many pixels.
PangoLayout* MakeLayout(PangoContext* context, cairo_t* cr, const std::string& utf8, TextStyle style,
                        int wrapWidth);

} // namespace velmora::render
