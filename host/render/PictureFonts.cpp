#include "PictureFonts.hpp"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <mutex>
#include <sys/stat.h>

#include "PictureTheme.hpp"

namespace velmora::render {

namespace {

std::recursive_mutex pictureMutex;
PangoContext* sharedContext = nullptr;

bool IsFile(const char* path)
{
    struct stat info {};
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

PangoContext* BuildContext(std::string* error)
{
    for (const FontFile& font : PictureFontFiles) {
        if (!IsFile(font.path)) {
            *error = std::string("the font file ") + font.path + " is missing (Debian package " +
                     font.package + ")";
            return nullptr;
        }
    }
    // A configuration of our own with only these files: the machine's other fonts,
    // aliases and hinting preferences never reach the pictures.
    FcConfig* config = FcConfigCreate();
    for (const FontFile& font : PictureFontFiles) {
        if (!FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(font.path))) {
            FcConfigDestroy(config);
            *error = std::string("fontconfig cannot read ") + font.path;
            return nullptr;
        }
    }
    PangoFontMap* map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    if (map == nullptr) {
        FcConfigDestroy(config);
        *error = "pango has no FreeType font map";
        return nullptr;
    }
    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), config);
    FcConfigDestroy(config); // the font map keeps its own reference
    PangoContext* context = pango_font_map_create_context(map);
    g_object_unref(map); // the context keeps the map

    // Grey anti-aliasing without hinting and with unrounded glyph positions: what
    // differs between FreeType versions and screens is left out.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_cairo_context_set_resolution(context, 96.0);
    pango_context_set_round_glyph_positions(context, FALSE);
    PangoLanguage* language = pango_language_from_string("en");
    pango_context_set_language(context, language);
    return context;
}

} // namespace

PictureLock::PictureLock()
{
    pictureMutex.lock();
}

PictureLock::~PictureLock()
{
    pictureMutex.unlock();
}

PangoContext* PictureTextContext(std::string* error)
{
    PictureLock hold;
    if (sharedContext == nullptr)
        sharedContext = BuildContext(error);
    return sharedContext;
}

PangoLayout* MakeLayout(PangoContext* context, cairo_t* cr, const std::string& utf8, TextStyle style,
                        int wrapWidth)
{
    pango_cairo_update_context(cr, context);
    PangoLayout* layout = pango_layout_new(context);
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, "DejaVu Sans");
    pango_font_description_set_absolute_size(
        font, (style == TextStyle::Large ? theme::LargeFontPixels : theme::FontPixels) * PANGO_SCALE);
    pango_font_description_set_weight(font,
                                      style == TextStyle::Large ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    if (wrapWidth > 0) {
        pango_layout_set_width(layout, wrapWidth * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    }
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
    return layout;
}

} // namespace velmora::render
