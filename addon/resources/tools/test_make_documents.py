#!/usr/bin/env python3
"""Tests of make_documents.py and of the committed library documents.

The committed PDF files must be what the sources give, and they must be PDF files
that a reader accepts: every cross-reference entry points at its object, and,
where poppler-utils is installed, pdfinfo and pdftotext read them.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_documents  # noqa: E402

DOCUMENTS = os.path.normpath(os.path.join(HERE, "..", "documents"))
NAMES = ["01 - Libreria Velmora.pdf", "02 - Libreria Velmora.pdf"]


def read(name):
    with open(os.path.join(DOCUMENTS, name), "rb") as f:
        return f.read()


class CommittedDocuments(unittest.TestCase):
    def test_committed_files_are_what_the_sources_give(self):
        result = subprocess.run([sys.executable, os.path.join(HERE, "make_documents.py"), "--check"],
                                capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_cross_reference_table_points_at_every_object(self):
        for name in NAMES:
            with self.subTest(name):
                data = read(name)
                self.assertTrue(data.startswith(b"%PDF-1.4\n"))
                self.assertTrue(data.endswith(b"%%EOF\n"))
                start = int(re.search(rb"startxref\n(\d+)\n%%EOF\n$", data).group(1))
                self.assertEqual(data[start:start + 5], b"xref\n")
                count = int(re.match(rb"xref\n0 (\d+)\n", data[start:]).group(1))
                entries = re.findall(rb"(\d{10}) 00000 n \n", data[start:])
                self.assertEqual(len(entries), count - 1)
                for number, offset in enumerate(entries, 1):
                    self.assertTrue(data[int(offset):].startswith(b"%d 0 obj\n" % number), (name, number))
                # Every content stream is as long as its /Length says.
                for match in re.finditer(rb"<< /Length (\d+) >>\nstream\n", data):
                    end = match.end() + int(match.group(1))
                    self.assertEqual(data[end:end + 11], b"\nendstream\n")

    @unittest.skipUnless(shutil.which("pdftotext") and shutil.which("pdfinfo"), "poppler-utils not installed")
    def test_a_reader_finds_the_texts(self):
        samples = {
            NAMES[0]: ["Manuale Utente", "Gestione Librerie", "è una collezione di oggetti parametrici"],
            NAMES[1]: ["Lista degli oggetti", "VL-A03", "Tavolo Ponte", "ø 160 × 300"],
        }
        for name in NAMES:
            with self.subTest(name):
                path = os.path.join(DOCUMENTS, name)
                info = subprocess.run(["pdfinfo", path], capture_output=True, text=True)
                self.assertEqual(info.returncode, 0, info.stderr)
                self.assertNotIn("Syntax Error", info.stderr)
                self.assertRegex(info.stdout, r"Title:\s+Libreria Velmora")
                self.assertRegex(info.stdout, r"Page size:\s+595 x 842")
                text = subprocess.run(["pdftotext", "-enc", "UTF-8", path, "-"], capture_output=True)
                self.assertEqual(text.returncode, 0)
                self.assertEqual(text.stderr, b"")
                words = " ".join(text.stdout.decode("utf-8").split())
                for sample in samples[name]:
                    self.assertIn(sample, words)


class Generator(unittest.TestCase):
    def make(self, source_text):
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "doc.txt"), "w", encoding="utf-8") as f:
                f.write(source_text)
            return make_documents.parse_source(os.path.join(folder, "doc.txt"))

    def test_markup_gives_its_blocks(self):
        doc = self.make('file "x.pdf"\ntitle "T"\n# note\n= Head\none\ntwo\n\n- b1\n  more\n- b2\n'
                        '| A | B |\n| 1 | 2 |\nafter\n')
        self.assertEqual(doc.file, "x.pdf")
        self.assertEqual(doc.blocks, [
            ("heading", "Head"), ("para", "one two"), ("bullet", "b1 more"), ("bullet", "b2"),
            ("table", [["A", "B"], ["1", "2"]]), ("para", "after")])

    def test_lines_are_broken_within_the_width(self):
        text = "parola " * 200
        lines = make_documents.wrap("F1", 10.5, text, make_documents.TEXT_W)
        self.assertGreater(len(lines), 5)
        for line in lines:
            self.assertLessEqual(make_documents.text_width("F1", 10.5, line), make_documents.TEXT_W + 0.01)
        self.assertEqual(" ".join(lines), text.strip())

    def test_string_escapes(self):
        rows = [
            ("brackets and backslash", "a(b)c\\", b"(a\\(b\\)c\\\\)"),
            ("letters beyond ASCII in WinAnsiEncoding", "è×", b"(\\350\\327)"),
        ]
        for name, text, expected in rows:
            with self.subTest(name):
                self.assertEqual(make_documents.pdf_string(text), expected)

    def test_a_long_document_gets_numbered_pages(self):
        doc = self.make('file "x.pdf"\ntitle "T"\n' + "".join("= H%d\n%s\n\n" % (i, "testo " * 80) for i in range(30)))
        data = make_documents.pdf_bytes(doc)
        pages = int(re.search(rb"/Type /Pages /Kids \[[^\]]*\] /Count (\d+)", data).group(1))
        self.assertGreater(pages, 2)
        self.assertIn(make_documents.pdf_string("Pagina %d di %d" % (pages, pages)), data)
        self.assertEqual(data, make_documents.pdf_bytes(doc))  # the same sources, the same bytes


if __name__ == "__main__":
    unittest.main()
