#!/usr/bin/env python3
"""Writes the object library's two PDF documents from their readable sources.

The build does not run this program: its output lives beside the sources in
addon/resources/documents/ and the build copies the PDF files beside the add-on
file. Run it again after changing a source, and check the sources and the PDF
files in together. Python standard library only.

    python3 addon/resources/tools/make_documents.py [--source DIR] [--out DIR] [--check]

--check writes nothing and fails when a committed PDF differs from what the
sources give.

Source markup (UTF-8 text): "file", "title" and "subtitle" lines, then
"= " a heading, "- " a bullet (continued by indented lines), "| a | b |" a table
row (the first row of a table is its header), an empty line ends a paragraph,
"#" at the start of a line is a comment.

The PDF is version 1.4 with the standard Helvetica fonts in WinAnsiEncoding, so
any viewer shows it without embedded fonts. The output depends on the sources
alone (no dates, no random identifiers): the same sources give the same bytes.
"""

import argparse
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_SOURCE = os.path.normpath(os.path.join(HERE, "..", "documents"))

# --- Page geometry (PDF points) --------------------------------------------------

PAGE_W, PAGE_H = 595, 842  # A4
MARGIN_L, MARGIN_R, MARGIN_T, MARGIN_B = 64, 64, 72, 72
TEXT_W = PAGE_W - MARGIN_L - MARGIN_R

BODY, BODY_LEAD = 10.5, 14.5
HEAD, HEAD_LEAD = 13, 20
TABLE, TABLE_LEAD = 9, 12
ACCENT = (0.55, 0.16, 0.16)  # the library's dark red, as in its picture
HEADER_SHADE = (0.92, 0.88, 0.86)
CELL_PAD = 6

# --- Font metrics ----------------------------------------------------------------
# Advance widths (1/1000 em) of the standard Helvetica fonts for the printable
# ASCII range, from the fonts' published metrics; lines are broken with them.

_ASCII = "".join(chr(c) for c in range(32, 127))
_HELVETICA = [
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556,
    1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778,
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556,
    333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,
    556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584,
]
_HELVETICA_BOLD = [
    278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278,
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611,
    975, 722, 722, 722, 722, 667, 611, 778, 722, 278, 556, 722, 611, 833, 722, 778,
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 333, 278, 333, 584, 556,
    333, 556, 611, 556, 611, 556, 333, 611, 611, 278, 278, 556, 278, 889, 611, 611,
    611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584,
]
WIDTHS = {
    "F1": dict(zip(_ASCII, _HELVETICA)),
    "F2": dict(zip(_ASCII, _HELVETICA_BOLD)),
}
# Letters with accents are as wide as their base letter; the few other signs the
# documents use have their own widths.
_BASE = {"àáâä": "a", "èéêë": "e", "ìíîï": "i", "òóôö": "o", "ùúûü": "u",
         "ÀÁÂÄ": "A", "ÈÉÊË": "E", "ÌÍÎÏ": "I", "ÒÓÔÖ": "O", "ÙÚÛÜ": "U", "ç": "c", "ñ": "n"}
_OTHER = {"×": 584, "ø": 611, "–": 556, "—": 1000, "’": 222, "“": 333, "”": 333,
          "•": 350, "…": 1000, "°": 400, ">": 584}


def char_width(font, ch):
    table = WIDTHS[font]
    if ch in table:
        return table[ch]
    for group, base in _BASE.items():
        if ch in group:
            return table[base]
    if ch in _OTHER:
        return _OTHER[ch]
    raise ValueError("no width for %r" % ch)


def text_width(font, size, text):
    return sum(char_width(font, ch) for ch in text) * size / 1000.0


def wrap(font, size, text, width):
    """Breaks a paragraph into lines no wider than `width` at its blanks."""
    lines, line = [], ""
    for word in text.split():
        candidate = word if not line else line + " " + word
        if line and text_width(font, size, candidate) > width + 0.01:  # sums of floats
            lines.append(line)
            line = word
        else:
            line = candidate
    if line:
        lines.append(line)
    return lines


def pdf_string(text):
    """A PDF literal string of `text` in WinAnsiEncoding."""
    data = text.encode("cp1252")
    out = bytearray(b"(")
    for b in data:
        if b in b"()\\":
            out += b"\\" + bytes([b])
        elif b < 32 or b > 126:
            out += b"\\%03o" % b
        else:
            out.append(b)
    out += b")"
    return bytes(out)


# --- Sources ----------------------------------------------------------------------

class Document:
    def __init__(self):
        self.file = None
        self.title = ""
        self.subtitle = ""
        self.blocks = []  # ("heading", text) ("para", text) ("bullet", text) ("table", rows)


_QUOTED = re.compile(r'^(file|title|subtitle)\s+"(.*)"\s*$')


def parse_source(path):
    doc = Document()
    paragraph = []
    table = None

    def flush():
        nonlocal paragraph, table
        if paragraph:
            kind, words = paragraph[0], " ".join(paragraph[1:])
            doc.blocks.append((kind, words))
        if table:
            doc.blocks.append(("table", table))
        paragraph, table = [], None

    with open(path, encoding="utf-8") as source:
        for number, raw in enumerate(source, 1):
            line = raw.rstrip("\n").rstrip()
            where = "%s:%d" % (os.path.basename(path), number)
            if line.startswith("#"):
                continue
            match = _QUOTED.match(line)
            if match:
                setattr(doc, match.group(1), match.group(2))
                continue
            if not line:
                flush()
            elif line.startswith("= "):
                flush()
                doc.blocks.append(("heading", line[2:].strip()))
            elif line.startswith("|"):
                if paragraph:
                    flush()
                cells = [c.strip() for c in line.strip().strip("|").split("|")]
                if table and len(cells) != len(table[0]):
                    sys.exit("%s: a table row with %d cells, the header has %d" % (where, len(cells), len(table[0])))
                table = (table or []) + [cells]
            elif line.startswith("- "):
                flush()
                paragraph = ["bullet", line[2:].strip()]
            elif line.startswith("  ") and paragraph and paragraph[0] == "bullet":
                paragraph.append(line.strip())
            else:
                if table:
                    flush()
                if not paragraph:
                    paragraph = ["para"]
                elif paragraph[0] == "bullet":
                    flush()
                    paragraph = ["para"]
                paragraph.append(line.strip())
    flush()
    if not doc.file or not doc.file.endswith(".pdf") or not doc.title:
        sys.exit("%s: needs a file \"....pdf\" and a title line" % path)
    return doc


# --- Layout -----------------------------------------------------------------------

class Pages:
    """Content streams of the pages, filled from the top down."""

    def __init__(self, doc):
        self.doc = doc
        self.pages = []
        self.new_page()

    def new_page(self):
        self.ops = []
        self.pages.append(self.ops)
        self.y = PAGE_H - MARGIN_T

    def room(self, height):
        if self.y - height < MARGIN_B:
            self.new_page()

    def text(self, font, size, x, y, text, colour=(0, 0, 0)):
        self.ops.append(b"BT /%s %g Tf %.3f %.3f %.3f rg %.2f %.2f Td %s Tj ET" % (
            font.encode(), size, colour[0], colour[1], colour[2], x, y, pdf_string(text)))

    def rule(self, x0, y0, x1, y1, width=0.5, colour=(0, 0, 0)):
        self.ops.append(b"%.3f %.3f %.3f RG %.2f w %.2f %.2f m %.2f %.2f l S" % (
            colour[0], colour[1], colour[2], width, x0, y0, x1, y1))

    def fill(self, x, y, w, h, colour):
        self.ops.append(b"%.3f %.3f %.3f rg %.2f %.2f %.2f %.2f re f" % (colour + (x, y, w, h)))

    # Blocks.
    def title_block(self):
        self.fill(0, PAGE_H - 8, PAGE_W, 8, ACCENT)
        self.text("F2", 26, MARGIN_L, self.y - 26, self.doc.title, ACCENT)
        self.y -= 26 + 14
        if self.doc.subtitle:
            self.text("F1", 16, MARGIN_L, self.y - 16, self.doc.subtitle)
            self.y -= 16 + 12
        self.rule(MARGIN_L, self.y, PAGE_W - MARGIN_R, self.y, 1.0, ACCENT)
        self.y -= 22

    def heading(self, text):
        self.room(HEAD_LEAD + 3 * BODY_LEAD)  # never a heading alone at a page's foot
        self.y -= 6
        self.text("F2", HEAD, MARGIN_L, self.y - HEAD, text, ACCENT)
        self.y -= HEAD_LEAD

    def paragraph(self, text, indent=0, bullet=False):
        lines = wrap("F1", BODY, text, TEXT_W - indent)
        for i, line in enumerate(lines):
            self.room(BODY_LEAD)
            if bullet and i == 0:
                self.text("F1", BODY, MARGIN_L + indent - 11, self.y - BODY, "•")
            self.text("F1", BODY, MARGIN_L + indent, self.y - BODY, line)
            self.y -= BODY_LEAD
        self.y -= 5 if bullet else 7

    def column_widths(self, columns):
        """Widths of the columns of every table with this many columns, so that the
        tables of one document line up: each column as wide as its widest cell, the
        last one taking what the others leave (its cells wrap)."""
        natural = [0.0] * columns
        for kind, rows in self.doc.blocks:
            if kind != "table" or len(rows[0]) != columns:
                continue
            for r, row in enumerate(rows):
                for c in range(columns):
                    natural[c] = max(natural[c], text_width("F2" if r == 0 else "F1", TABLE, row[c]))
        widths = [n + 2 * CELL_PAD for n in natural[:-1]]
        widths.append(TEXT_W - sum(widths))
        if widths[-1] < 80:
            sys.exit("table too wide: %d columns" % columns)
        return widths

    def table(self, rows):
        header, body = rows[0], rows[1:]
        widths = self.column_widths(len(header))

        def row_lines(cells, font):
            return [wrap(font, TABLE, cell, width - 2 * CELL_PAD) or [""] for cell, width in zip(cells, widths)]

        def draw_row(wrapped, font, shade):
            height = max(len(w) for w in wrapped) * TABLE_LEAD + 6
            top = self.y
            if shade:
                self.fill(MARGIN_L, top - height, TEXT_W, height, shade)
            x = MARGIN_L
            for lines, width in zip(wrapped, widths):
                for i, line in enumerate(lines):
                    self.text(font, TABLE, x + CELL_PAD, top - 1 - TABLE - i * TABLE_LEAD, line)
                x += width
            self.rule(MARGIN_L, top - height, MARGIN_L + TEXT_W, top - height, 0.4, (0.6, 0.6, 0.6))
            self.y -= height

        head = row_lines(header, "F2")
        head_height = len(max(head, key=len)) * TABLE_LEAD + 6
        for n, cells in enumerate(body):
            lines = row_lines(cells, "F1")
            height = max(len(w) for w in lines) * TABLE_LEAD + 6
            # A row never splits, and a table continued on a new page repeats its header.
            if n == 0 or self.y - height < MARGIN_B:
                self.room(head_height + height)
                draw_row(head, "F2", HEADER_SHADE)
            draw_row(lines, "F1", None)
        self.y -= 10

    def lay_out(self):
        self.title_block()
        for kind, content in self.doc.blocks:
            if kind == "heading":
                self.heading(content)
            elif kind == "para":
                self.paragraph(content)
            elif kind == "bullet":
                self.paragraph(content, indent=16, bullet=True)
            elif kind == "table":
                self.table(content)
        total = len(self.pages)
        for number, ops in enumerate(self.pages, 1):
            footer = "%s – %s" % (self.doc.title, self.doc.subtitle) if self.doc.subtitle else self.doc.title
            page_text = "Pagina %d di %d" % (number, total)
            grey = (0.4, 0.4, 0.4)
            self.ops = ops
            self.rule(MARGIN_L, MARGIN_B - 20, PAGE_W - MARGIN_R, MARGIN_B - 20, 0.4, grey)
            self.text("F1", 8, MARGIN_L, MARGIN_B - 32, footer, grey)
            self.text("F1", 8, PAGE_W - MARGIN_R - text_width("F1", 8, page_text), MARGIN_B - 32, page_text, grey)
        return [b"\n".join(ops) + b"\n" for ops in self.pages]


# --- The file ---------------------------------------------------------------------

def pdf_bytes(doc):
    streams = Pages(doc).lay_out()
    objects = []  # object n is objects[n - 1]

    def add(body):
        objects.append(body)
        return len(objects)

    catalog = add(None)
    pages = add(None)
    fonts = [add(b"<< /Type /Font /Subtype /Type1 /BaseFont /%s /Encoding /WinAnsiEncoding >>" % name)
             for name in (b"Helvetica", b"Helvetica-Bold")]
    resources = b"<< /Font << /F1 %d 0 R /F2 %d 0 R >> >>" % tuple(fonts)
    kids = []
    for stream in streams:
        content = add(b"<< /Length %d >>\nstream\n%s\nendstream" % (len(stream), stream))
        kids.append(add(b"<< /Type /Page /Parent %d 0 R /MediaBox [0 0 %d %d] /Resources %s /Contents %d 0 R >>" % (
            pages, PAGE_W, PAGE_H, resources, content)))
    objects[catalog - 1] = b"<< /Type /Catalog /Pages %d 0 R >>" % pages
    objects[pages - 1] = b"<< /Type /Pages /Kids [%s] /Count %d >>" % (
        b" ".join(b"%d 0 R" % k for k in kids), len(kids))
    title = doc.title + (" – " + doc.subtitle if doc.subtitle else "")
    info = add(b"<< /Title %s /Author (Tessaro) /Subject %s /Creator (make_documents.py) /Producer (make_documents.py) >>" % (
        pdf_utf16(title), pdf_string("Libreria Velmora per ArchiCAD")))

    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n%s\nendobj\n" % (number, body)
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root %d 0 R /Info %d 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (
        len(objects) + 1, catalog, info, xref)
    return bytes(out)


def pdf_utf16(text):
    """A text string for the document information: UTF-16BE with its mark, in hex."""
    return b"<FEFF" + text.encode("utf-16-be").hex().upper().encode() + b">"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", default=DEFAULT_SOURCE, help="folder of the .txt sources")
    parser.add_argument("--out", help="folder for the PDF files (default: the source folder)")
    parser.add_argument("--check", action="store_true", help="compare with the PDF files instead of writing")
    args = parser.parse_args()
    out = args.out or args.source

    sources = sorted(f for f in os.listdir(args.source) if f.endswith(".txt"))
    if not sources:
        sys.exit("no document sources in %s" % args.source)
    stale = []
    for name in sources:
        doc = parse_source(os.path.join(args.source, name))
        data = pdf_bytes(doc)
        target = os.path.join(out, doc.file)
        if args.check:
            try:
                with open(target, "rb") as existing:
                    same = existing.read() == data
            except OSError:
                same = False
            if not same:
                stale.append(doc.file)
            continue
        os.makedirs(out, exist_ok=True)
        with open(target, "wb") as pdf:
            pdf.write(data)
        print("%s: %d bytes from %s" % (doc.file, len(data), name))
    if stale:
        sys.exit("out of date (run make_documents.py): %s" % ", ".join(stale))


if __name__ == "__main__":
    main()
