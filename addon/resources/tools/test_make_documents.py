#!/usr/bin/env python3
"""Tests of velmora-make-documents and of the committed library documents.

    test_make_documents.py TOOL DOCUMENTS_DIR [unittest options]

The committed PDF files must be what the sources give, and a PDF reader (poppler's
pdfinfo, pdftotext and pdffonts) must accept them, find their texts and find every
font embedded. The tool itself is tested through its command line on sources
written for the test.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

TOOL = None
DOCUMENTS = None
NAMES = ["01 - Libreria Velmora.pdf", "02 - Libreria Velmora.pdf"]


def run(*args):
    return subprocess.run([TOOL, *args], capture_output=True, text=True)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def poppler(*args):
    result = subprocess.run(list(args), capture_output=True)
    return result.returncode, result.stdout.decode("utf-8"), result.stderr.decode("utf-8")


def words(pdf):
    code, out, err = poppler("pdftotext", "-enc", "UTF-8", pdf, "-")
    if code != 0 or err:
        raise AssertionError("pdftotext %s: %s" % (pdf, err))
    return " ".join(out.split())


def embedded_fonts(test, pdf):
    """Every font of `pdf` per pdffonts, checked to be an embedded subset."""
    code, out, err = poppler("pdffonts", pdf)
    test.assertEqual(code, 0, err)
    rows = out.splitlines()[2:]
    test.assertTrue(rows, "no fonts in %s" % pdf)
    for row in rows:
        # name, type (may hold blanks), encoding, emb, sub, uni, object, id
        fields = row.split()
        test.assertEqual(fields[-5:-2], ["yes", "yes", "yes"], row)  # embedded, subset, with ToUnicode
    return [row.split()[0] for row in rows]


class CommittedDocuments(unittest.TestCase):
    def test_committed_files_are_what_the_sources_give(self):
        result = run("--source", DOCUMENTS, "--check")
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_a_reader_finds_the_texts_and_the_embedded_fonts(self):
        samples = {
            NAMES[0]: ["Manuale Utente", "1. La libreria", "Gestione Librerie", "5. Documenti",
                       "è una collezione di oggetti parametrici", "Pagina 1 di"],
            NAMES[1]: ["Lista degli oggetti", "Arredi", "Scale e verde", "VL-A03", "Tavolo Ponte",
                       "ø 160 × 300", "Finestra Luce"],
        }
        for name in NAMES:
            with self.subTest(name):
                path = os.path.join(DOCUMENTS, name)
                code, out, err = poppler("pdfinfo", path)
                self.assertEqual(code, 0, err)
                self.assertNotIn("Syntax Error", err)
                self.assertRegex(out, r"Title:\s+Libreria Velmora")
                self.assertRegex(out, r"Page size:\s+595 x 842")
                self.assertNotRegex(out, r"CreationDate:")
                text = words(path)
                for sample in samples[name]:
                    self.assertIn(sample, text)
                self.assertTrue(all("DejaVuSans" in font for font in embedded_fonts(self, path)))


class Tool(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.folder)

    def write(self, text, name="doc.txt"):
        with open(os.path.join(self.folder, name), "w", encoding="utf-8") as f:
            f.write(text)

    def test_markup_becomes_text_a_reader_finds(self):
        rows = [
            ("heading and paragraph joined from its lines",
             '= Primo capitolo\nuna riga\ne la seguente\n', ["Primo capitolo", "una riga e la seguente"]),
            ("bullet continued by an indented line",
             '- punto uno\n  continua qui\n- punto due\n', ["• punto uno continua qui", "• punto due"]),
            ("table: the header and every cell",
             '| Codice | Nome |\n| X-1 | Sedia |\n| X-2 | Tavolo |\ndopo\n',
             ["Codice", "Nome", "X-1", "Sedia", "X-2", "Tavolo", "dopo"]),
            ("comments are left out", '# nascosto\nvisibile\n', ["visibile"]),
            ("letters beyond Latin-1, letter pairs a font may join", 'ø × – “fine” difficile\n',
             ["ø × – “fine” difficile"]),
        ]
        for name, body, expected in rows:
            with self.subTest(name):
                self.write('file "x.pdf"\ntitle "Titolo"\nsubtitle "Sotto"\n' + body)
                result = run("--source", self.folder)
                self.assertEqual(result.returncode, 0, result.stderr)
                text = words(os.path.join(self.folder, "x.pdf"))
                self.assertIn("Titolo", text)
                self.assertIn("Titolo – Sotto", text)  # the footer
                for sample in expected:
                    self.assertIn(sample, text)
                self.assertNotIn("nascosto", text)

    def test_a_long_document_gets_numbered_pages_and_the_same_bytes_twice(self):
        self.write('file "x.pdf"\ntitle "T"\n' + "".join(
            "= H%d\n%s\n\n| A | B |\n%s" % (i, "testo " * 80, "| a | b |\n" * 6) for i in range(30)))
        out = [os.path.join(self.folder, "a"), os.path.join(self.folder, "b")]
        for folder in out:
            result = run("--source", self.folder, "--out", folder)
            self.assertEqual(result.returncode, 0, result.stderr)
        first, second = (read(os.path.join(folder, "x.pdf")) for folder in out)
        self.assertEqual(first, second)
        code, info, err = poppler("pdfinfo", os.path.join(out[0], "x.pdf"))
        pages = int(re.search(r"Pages:\s+(\d+)", info).group(1))
        self.assertGreater(pages, 2)
        text = words(os.path.join(out[0], "x.pdf"))
        for page in (1, pages):
            self.assertIn("Pagina %d di %d" % (page, pages), text)
        self.assertEqual(text.count("H29"), 1)

    def test_check_fails_while_a_document_is_out_of_date(self):
        self.write('file "x.pdf"\ntitle "T"\ntesto\n')
        self.assertEqual(run("--source", self.folder).returncode, 0)
        self.assertEqual(run("--source", self.folder, "--check").returncode, 0)
        rows = [
            ("source changed", lambda: self.write('file "x.pdf"\ntitle "T"\naltro testo\n')),
            ("document missing", lambda: os.remove(os.path.join(self.folder, "x.pdf"))),
        ]
        for name, change in rows:
            with self.subTest(name):
                self.assertEqual(run("--source", self.folder).returncode, 0)
                change()
                result = run("--source", self.folder, "--check")
                self.assertEqual(result.returncode, 1)
                self.assertIn('"x.pdf"', result.stderr)

    def test_bad_sources_and_arguments_are_refused(self):
        rows = [
            ("table row with a cell too many", 'file "x.pdf"\ntitle "T"\n| A | B |\n| 1 | 2 | 3 |\n',
             1, "doc.txt:4: a table row with 3 cells, the header has 2"),
            ("no file line", 'title "T"\ntesto\n', 1, "needs a file"),
            ("no title line", 'file "x.pdf"\ntesto\n', 1, "needs a file"),
        ]
        for name, source, code, message in rows:
            with self.subTest(name):
                self.write(source)
                result = run("--source", self.folder)
                self.assertEqual(result.returncode, code)
                self.assertIn(message, result.stderr)
        for args in ([], ["--check"], ["--source"], ["--unknown"]):
            with self.subTest(args=args):
                result = run(*args)
                self.assertEqual(result.returncode, 2)
                self.assertIn("usage:", result.stderr)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit("usage: test_make_documents.py TOOL DOCUMENTS_DIR [unittest options]")
    TOOL, DOCUMENTS = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    unittest.main(argv=sys.argv[:1] + sys.argv[3:])
