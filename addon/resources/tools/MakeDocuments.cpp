// velmora-make-documents: writes the object library's two PDF documents from their
// readable sources (addon/resources/documents/*.txt) with cairo and pango.
//
//   velmora-make-documents --source DIR [--out DIR] [--check]
//
// --check writes nothing and fails while a PDF in the output folder differs from
// what the sources give. The build does not write the documents: they are checked
// in beside their sources, so that the Windows build, which has no cairo, places
// the same files beside the add-on file.
//
// Source markup (UTF-8 text): "file", "title" and "subtitle" lines, then "= " a
// heading, "- " a bullet (continued by indented lines), "| a | b |" a table row (the
// first row of a table is its header); an empty line ends a paragraph, "#" at the
// start of a line is a comment.
//
// The text is set by pango in DejaVu Sans from a font configuration of our own (the
// machine's other fonts and preferences never reach a document) and cairo embeds
// the subsets of the fonts it uses. The output depends on the sources and the font
// files alone: no creation date, so the same sources give the same bytes.
#include <cairo-pdf.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Page geometry in PDF points: A4.
constexpr double PageW = 595, PageH = 842;
constexpr double MarginL = 64, MarginR = 64, MarginT = 72, MarginB = 72;
constexpr double TextW = PageW - MarginL - MarginR;

constexpr double BodySize = 10.5, BodyLead = 14.5;
constexpr double HeadSize = 13, HeadLead = 20;
constexpr double TableSize = 9, TableLead = 12;
constexpr double CellPad = 6;

struct Colour {
    double r, g, b;
};
constexpr Colour Black{0, 0, 0};
constexpr Colour Accent{0.55, 0.16, 0.16}; // the library's dark red, as in its picture
constexpr Colour HeaderShade{0.92, 0.88, 0.86};
constexpr Colour Grey{0.4, 0.4, 0.4};
constexpr Colour RuleGrey{0.6, 0.6, 0.6};

// The fonts' files from Debian's fonts-dejavu-core.
constexpr const char* FontFiles[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                     "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"};

struct Failure {
    std::string message;
};

// --- Sources ---------------------------------------------------------------------

enum class BlockKind { Heading, Paragraph, Bullet, Table };

struct Block {
    BlockKind kind;
    std::string text;                           // heading, paragraph, bullet
    std::vector<std::vector<std::string>> rows; // table: the header first
};

struct Document {
    std::string file, title, subtitle;
    std::vector<Block> blocks;
};

std::string Trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool StartsWith(const std::string& s, const char* prefix)
{
    return s.rfind(prefix, 0) == 0;
}

// `key "value"` lines of the document's head; false for any other line.
bool QuotedLine(const std::string& line, const char* key, std::string* value)
{
    const std::string k = std::string(key) + " \"";
    if (!StartsWith(line, k.c_str()) || line.size() < k.size() + 1 || line.back() != '"')
        return false;
    *value = line.substr(k.size(), line.size() - k.size() - 1);
    return true;
}

Document ParseSource(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Failure{"cannot read " + path.string()};
    Document doc;
    std::vector<std::string> paragraph; // the words' lines of an open paragraph or bullet
    BlockKind paragraphKind = BlockKind::Paragraph;
    std::vector<std::vector<std::string>> table;

    auto flush = [&] {
        if (!paragraph.empty()) {
            std::string text;
            for (const std::string& part : paragraph)
                text += (text.empty() ? "" : " ") + part;
            doc.blocks.push_back({paragraphKind, text, {}});
        }
        if (!table.empty())
            doc.blocks.push_back({BlockKind::Table, "", table});
        paragraph.clear();
        table.clear();
    };

    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        const std::string where = path.filename().string() + ":" + std::to_string(number);
        std::string line = raw;
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
            line.pop_back();
        if (StartsWith(line, "#"))
            continue;
        if (QuotedLine(line, "file", &doc.file) || QuotedLine(line, "title", &doc.title) ||
            QuotedLine(line, "subtitle", &doc.subtitle))
            continue;
        if (line.empty()) {
            flush();
        } else if (StartsWith(line, "= ")) {
            flush();
            doc.blocks.push_back({BlockKind::Heading, Trim(line.substr(2)), {}});
        } else if (StartsWith(line, "|")) {
            if (!paragraph.empty()) {
                auto open = std::move(table);
                table.clear();
                flush();
                table = std::move(open);
            }
            std::string inner = Trim(line);
            inner = inner.substr(1, inner.size() - (inner.back() == '|' && inner.size() > 1 ? 2 : 1));
            std::vector<std::string> cells;
            std::stringstream split(inner);
            for (std::string cell; std::getline(split, cell, '|');)
                cells.push_back(Trim(cell));
            if (!table.empty() && cells.size() != table.front().size())
                throw Failure{where + ": a table row with " + std::to_string(cells.size()) +
                              " cells, the header has " + std::to_string(table.front().size())};
            table.push_back(std::move(cells));
        } else if (StartsWith(line, "- ")) {
            flush();
            paragraphKind = BlockKind::Bullet;
            paragraph = {Trim(line.substr(2))};
        } else if (StartsWith(line, "  ") && !paragraph.empty() && paragraphKind == BlockKind::Bullet) {
            paragraph.push_back(Trim(line));
        } else {
            if (!table.empty() || (!paragraph.empty() && paragraphKind == BlockKind::Bullet))
                flush();
            paragraphKind = BlockKind::Paragraph;
            paragraph.push_back(Trim(line));
        }
    }
    flush();
    if (doc.file.size() <= 4 || doc.file.substr(doc.file.size() - 4) != ".pdf" || doc.title.empty())
        throw Failure{path.string() + ": needs a file \"....pdf\" and a title line"};
    return doc;
}

// --- Text ------------------------------------------------------------------------

// A pango context over the document fonts alone, with hinting off: glyph positions
// are those of the font's design, whatever the machine's preferences.
PangoContext* MakeTextContext()
{
    FcConfig* config = FcConfigCreate();
    for (const char* file : FontFiles)
        if (!FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(file))) {
            FcConfigDestroy(config);
            throw Failure{std::string("cannot read the font ") + file +
                          " (Debian package fonts-dejavu-core)"};
        }
    PangoFontMap* map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    if (map == nullptr) {
        FcConfigDestroy(config);
        throw Failure{"pango has no FreeType font map"};
    }
    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), config);
    FcConfigDestroy(config); // the font map keeps its own reference
    PangoContext* context = pango_font_map_create_context(map);
    g_object_unref(map); // the context keeps the map
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_cairo_context_set_resolution(context, 72.0); // a point is a unit of the page
    pango_context_set_round_glyph_positions(context, FALSE);
    pango_context_set_language(context, pango_language_from_string("it"));
    return context;
}

struct LayoutDeleter {
    void operator()(PangoLayout* layout) const { g_object_unref(layout); }
};
using Layout = std::unique_ptr<PangoLayout, LayoutDeleter>;

double ToPoints(int pangoUnits)
{
    return static_cast<double>(pangoUnits) / PANGO_SCALE;
}

// --- Pages -----------------------------------------------------------------------

// Lays a document out from the top of its first page down. It runs twice: once to
// count the pages (nothing drawn), then to draw them with "Pagina N di M" below.
class Writer {
public:
    Writer(const Document& document, PangoContext* textContext, cairo_t* cairo, int pageCount)
        : doc(document), context(textContext), cr(cairo), total(pageCount)
    {
    }

    int Run()
    {
        StartPage();
        TitleBlock();
        for (const Block& block : doc.blocks) {
            switch (block.kind) {
            case BlockKind::Heading:
                Heading(block.text);
                break;
            case BlockKind::Paragraph:
                Paragraph(block.text, 0, false);
                break;
            case BlockKind::Bullet:
                Paragraph(block.text, 16, true);
                break;
            case BlockKind::Table:
                Table(block.rows);
                break;
            }
        }
        EndPage();
        return page;
    }

private:
    bool Drawing() const { return cr != nullptr; }

    Layout MakeText(const std::string& text, double size, bool bold, double wrapWidth, bool justify) const
    {
        Layout layout(pango_layout_new(context));
        PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans");
        pango_font_description_set_weight(font, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
        pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
        pango_layout_set_font_description(layout.get(), font);
        pango_font_description_free(font);
        // No ligatures: a reader's search and copy find the letters as written.
        PangoAttrList* attributes = pango_attr_list_new();
        pango_attr_list_insert(attributes, pango_attr_font_features_new("liga=0, clig=0"));
        pango_layout_set_attributes(layout.get(), attributes);
        pango_attr_list_unref(attributes);
        if (wrapWidth > 0) {
            pango_layout_set_width(layout.get(), static_cast<int>(wrapWidth * PANGO_SCALE));
            pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD);
            pango_layout_set_justify(layout.get(), justify);
        }
        pango_layout_set_text(layout.get(), text.c_str(), -1);
        return layout;
    }

    static double Width(PangoLayout* layout)
    {
        PangoRectangle logical{};
        pango_layout_get_extents(layout, nullptr, &logical);
        return ToPoints(logical.width);
    }

    void SetColour(Colour c) const { cairo_set_source_rgb(cr, c.r, c.g, c.b); }

    // Draws one line of `layout` with its baseline `ascent` below `top`.
    void DrawLine(PangoLayoutLine* line, double x, double baseline, Colour colour) const
    {
        if (!Drawing())
            return;
        SetColour(colour);
        cairo_move_to(cr, x, baseline);
        pango_cairo_show_layout_line(cr, line);
    }

    // Draws a single-line text with its top at `top`, its baseline a size below.
    void Text(const std::string& text, double size, bool bold, double x, double top, Colour colour) const
    {
        Layout layout = MakeText(text, size, bold, 0, false);
        DrawLine(pango_layout_get_line_readonly(layout.get(), 0), x, top + size, colour);
    }

    void Rule(double x0, double y0, double x1, double y1, double width, Colour colour) const
    {
        if (!Drawing())
            return;
        SetColour(colour);
        cairo_set_line_width(cr, width);
        cairo_move_to(cr, x0, y0);
        cairo_line_to(cr, x1, y1);
        cairo_stroke(cr);
    }

    void Fill(double left, double top, double w, double h, Colour colour) const
    {
        if (!Drawing())
            return;
        SetColour(colour);
        cairo_rectangle(cr, left, top, w, h);
        cairo_fill(cr);
    }

    void StartPage()
    {
        ++page;
        y = MarginT;
    }

    void EndPage()
    {
        if (!Drawing())
            return;
        const std::string footer = doc.subtitle.empty() ? doc.title : doc.title + " \u2013 " + doc.subtitle;
        const std::string pageText = "Pagina " + std::to_string(page) + " di " + std::to_string(total);
        const double footTop = PageH - MarginB + 24;
        Rule(MarginL, PageH - MarginB + 20, PageW - MarginR, PageH - MarginB + 20, 0.4, Grey);
        Text(footer, 8, false, MarginL, footTop, Grey);
        Layout number = MakeText(pageText, 8, false, 0, false);
        DrawLine(pango_layout_get_line_readonly(number.get(), 0), PageW - MarginR - Width(number.get()),
                 footTop + 8, Grey);
        cairo_show_page(cr);
    }

    void NewPage()
    {
        EndPage();
        StartPage();
    }

    // Starts a new page unless `height` fits above the bottom margin.
    void Room(double height)
    {
        if (y + height > PageH - MarginB)
            NewPage();
    }

    void TitleBlock()
    {
        Fill(0, 0, PageW, 8, Accent);
        Text(doc.title, 26, true, MarginL, y, Accent);
        y += 26 + 14;
        if (!doc.subtitle.empty()) {
            Text(doc.subtitle, 16, false, MarginL, y, Black);
            y += 16 + 12;
        }
        Rule(MarginL, y, PageW - MarginR, y, 1.0, Accent);
        y += 22;
    }

    void Heading(const std::string& text)
    {
        Room(HeadLead + 3 * BodyLead); // never a heading alone at a page's foot
        y += 6;
        Text(text, HeadSize, true, MarginL, y, Accent);
        y += HeadLead;
    }

    void Paragraph(const std::string& text, double indent, bool bullet)
    {
        Layout layout = MakeText(text, BodySize, false, TextW - indent, true);
        const int lines = pango_layout_get_line_count(layout.get());
        for (int i = 0; i < lines; ++i) {
            Room(BodyLead);
            if (bullet && i == 0)
                Text("\u2022", BodySize, false, MarginL + indent - 11, y, Black);
            DrawLine(pango_layout_get_line_readonly(layout.get(), i), MarginL + indent, y + BodySize, Black);
            y += BodyLead;
        }
        y += bullet ? 5 : 7;
    }

    // The columns of every table with this many columns, so that the tables of one
    // document line up: each as wide as its widest cell, the last one taking what the
    // others leave (its cells wrap).
    std::vector<double> ColumnWidths(std::size_t columns) const
    {
        std::vector<double> natural(columns, 0.0);
        for (const Block& block : doc.blocks) {
            if (block.kind != BlockKind::Table || block.rows.front().size() != columns)
                continue;
            for (std::size_t r = 0; r < block.rows.size(); ++r)
                for (std::size_t c = 0; c < columns; ++c) {
                    Layout cell = MakeText(block.rows[r][c], TableSize, r == 0, 0, false);
                    natural[c] = std::max(natural[c], Width(cell.get()));
                }
        }
        std::vector<double> widths;
        double used = 0;
        for (std::size_t c = 0; c + 1 < columns; ++c) {
            widths.push_back(natural[c] + 2 * CellPad);
            used += widths.back();
        }
        widths.push_back(TextW - used);
        if (widths.back() < 80)
            throw Failure{"a table of " + std::to_string(columns) + " columns is too wide for the page"};
        return widths;
    }

    void Table(const std::vector<std::vector<std::string>>& rows)
    {
        const std::vector<double> widths = ColumnWidths(rows.front().size());
        auto cells = [&](const std::vector<std::string>& row, bool bold) {
            std::vector<Layout> laid;
            for (std::size_t c = 0; c < row.size(); ++c)
                laid.push_back(MakeText(row[c], TableSize, bold, widths[c] - 2 * CellPad, false));
            return laid;
        };
        auto height = [](const std::vector<Layout>& laid) {
            int lines = 1;
            for (const Layout& cell : laid)
                lines = std::max(lines, pango_layout_get_line_count(cell.get()));
            return lines * TableLead + 6;
        };
        auto drawRow = [&](const std::vector<Layout>& laid, bool shade) {
            const double h = height(laid);
            if (shade)
                Fill(MarginL, y, TextW, h, HeaderShade);
            double x = MarginL;
            for (std::size_t c = 0; c < laid.size(); ++c) {
                const int lines = pango_layout_get_line_count(laid[c].get());
                for (int i = 0; i < lines; ++i)
                    DrawLine(pango_layout_get_line_readonly(laid[c].get(), i), x + CellPad,
                             y + 1 + TableSize + i * TableLead, Black);
                x += widths[c];
            }
            Rule(MarginL, y + h, MarginL + TextW, y + h, 0.4, RuleGrey);
            y += h;
        };
        const std::vector<Layout> header = cells(rows.front(), true);
        for (std::size_t n = 1; n < rows.size(); ++n) {
            const std::vector<Layout> body = cells(rows[n], false);
            // A row never splits, and a table continued on a new page repeats its header.
            if (n == 1 || y + height(body) > PageH - MarginB) {
                Room(height(header) + height(body));
                drawRow(header, true);
            }
            drawRow(body, false);
        }
        y += 10;
    }

    const Document& doc;
    PangoContext* context;
    cairo_t* cr;
    int total;
    int page = 0;
    double y = 0; // the top of what comes next, from the top of the page down as cairo counts
};

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

std::string PdfBytes(const Document& doc, PangoContext* context)
{
    const int pages = Writer(doc, context, nullptr, 0).Run();
    std::string bytes;
    cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(AppendBytes, &bytes, PageW, PageH);
    cairo_pdf_surface_restrict_to_version(surface, CAIRO_PDF_VERSION_1_5);
    const std::string title = doc.subtitle.empty() ? doc.title : doc.title + " \u2013 " + doc.subtitle;
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, title.c_str());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_AUTHOR, "Tessaro");
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_SUBJECT, "Libreria Velmora per ArchiCAD");
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "velmora-make-documents");
    // The creation date would make every run's file differ.
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATE_DATE, "");
    cairo_t* cr = cairo_create(surface);
    pango_cairo_update_context(cr, context);
    Writer(doc, context, cr, pages).Run();
    const cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const cairo_status_t finished = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS || finished != CAIRO_STATUS_SUCCESS)
        throw Failure{doc.file + ": cairo: " +
                      cairo_status_to_string(status != CAIRO_STATUS_SUCCESS ? status : finished)};
    return bytes;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return in ? bytes.str() : std::string();
}

int Usage()
{
    std::cerr << "usage: velmora-make-documents --source DIR [--out DIR] [--check]\n"
                 "  writes the PDF document of every DIR/*.txt into the output folder (default: DIR);\n"
                 "  --check writes nothing and fails while a PDF there differs from its source\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    fs::path source, out;
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--source" && i + 1 < argc)
            source = argv[++i];
        else if (arg == "--out" && i + 1 < argc)
            out = argv[++i];
        else if (arg == "--check")
            check = true;
        else
            return Usage();
    }
    if (source.empty())
        return Usage();
    if (out.empty())
        out = source;
    try {
        std::vector<fs::path> sources;
        std::error_code ec;
        for (const fs::directory_entry& entry : fs::directory_iterator(source, ec))
            if (entry.path().extension() == ".txt")
                sources.push_back(entry.path());
        if (ec)
            throw Failure{"cannot read the folder " + source.string() + ": " + ec.message()};
        if (sources.empty())
            throw Failure{"no document sources in " + source.string()};
        std::sort(sources.begin(), sources.end());
        PangoContext* context = MakeTextContext();
        std::vector<std::string> stale;
        for (const fs::path& path : sources) {
            const Document doc = ParseSource(path);
            const std::string bytes = PdfBytes(doc, context);
            const fs::path target = out / doc.file;
            if (check) {
                if (ReadFile(target) != bytes)
                    stale.push_back(doc.file);
                continue;
            }
            fs::create_directories(out);
            std::ofstream pdf(target, std::ios::binary | std::ios::trunc);
            pdf.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            if (!pdf.flush())
                throw Failure{"cannot write " + target.string()};
            std::cout << doc.file << ": " << bytes.size() << " bytes from " << path.filename().string()
                      << "\n";
        }
        g_object_unref(context);
        if (!stale.empty()) {
            std::cerr << "out of date (run velmora-make-documents):";
            for (const std::string& name : stale)
                std::cerr << " \"" << name << "\"";
            std::cerr << "\n";
            return 1;
        }
    } catch (const Failure& failure) {
        std::cerr << "velmora-make-documents: " << failure.message << "\n";
        return 1;
    }
    return 0;
}
