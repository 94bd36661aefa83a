#!/usr/bin/env python3
"""Tests of the resource compiler: reading the sources, the compiled formats and
the faults in sources that it refuses."""

import os
import struct
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import compile_resources as rc  # noqa: E402

REAL_SOURCES = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))


def tiny_bmp(width=2, height=3):
    """An 8-bit palettised BMP file."""
    row = (width + 3) & ~3
    pixels = b"\0" * (row * height)
    palette = b"\0\0\0\0" * 256
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + palette + pixels


class Sources:
    """A folder of resource sources written by a test."""

    def __init__(self):
        self.dir = tempfile.TemporaryDirectory()
        self.root = self.dir.name
        for sub in ("strings", "dialogs", "images"):
            os.makedirs(os.path.join(self.root, sub))
        self.write("module.txt", "mdid 32500\nvalue 8\nmaker 0x10\naddon 20\n")
        self.write("images/manifest.txt", "")

    def write(self, name, text):
        with open(os.path.join(self.root, name), "w", encoding="utf-8") as f:
            f.write(text)

    def write_bytes(self, name, data):
        with open(os.path.join(self.root, name), "wb") as f:
            f.write(data)

    def compile(self):
        return rc.collect(self.root)

    def close(self):
        self.dir.cleanup()


def read_strs(data):
    count, = struct.unpack_from("<I", data, 0)
    at, entries = 4, []
    for _ in range(count):
        length, = struct.unpack_from("<I", data, at)
        at += 4
        entries.append(data[at:at + 2 * length].decode("utf-16-le"))
        at += 2 * length
    assert at == len(data)
    return entries


class CompilerTest(unittest.TestCase):
    def setUp(self):
        self.src = Sources()

    def tearDown(self):
        self.src.close()

    def assertRefused(self, fragment):
        with self.assertRaises(rc.SourceError) as caught:
            self.src.compile()
        self.assertIn(fragment, str(caught.exception))


class StringLists(CompilerTest):
    def test_entries_with_escapes_and_gaps(self):
        self.src.write("strings/a.txt", '# comment\nlist 32711\n2 "say \\"hi\\"\\r\\n" # trailing\n'
                                        '4 "caf\\u00e9 … 日本語"\n')
        entries = read_strs(self.src.compile()[("STRS", 32711)])
        self.assertEqual(entries, ["", 'say "hi"\r\n', "", "café … 日本語"])

    def test_spaces_inside_quotes_are_kept(self):
        self.src.write("strings/a.txt", 'list 1\n1 " \\r\\n"\n2 "#not a comment"\n')
        self.assertEqual(read_strs(self.src.compile()[("STRS", 1)]), [" \r\n", "#not a comment"])

    def test_entries_out_of_order_are_refused(self):
        self.src.write("strings/a.txt", 'list 5\n2 "b"\n1 "a"\n')
        self.assertRefused("rising order")

    def test_the_same_list_twice_is_refused(self):
        self.src.write("strings/a.txt", 'list 5\n1 "a"\n')
        self.src.write("strings/b.txt", 'list 5\n1 "b"\n')
        self.assertRefused("defined twice")

    def test_damaged_lines_are_refused(self):
        for text, fragment in (('1 "a"\n', "starts with 'list N'"), ('list 5\n1 "a\n', "unterminated"),
                               ('list 5\n1 "a\\q"\n', "unknown escape"), ("list 5\n1 a\n", "quoted text"),
                               ("list 40000\n1 \"a\"\n", "outside"), ('list 5\n1 "%s"\n' % ("x" * 1000), "longer")):
            with self.subTest(text=text[:20]):
                self.src.write("strings/a.txt", text)
                self.assertRefused(fragment)


DIALOG = """dialog 32734
title "Pick"
size 483 282
1 button 413 248 60 26 text "OK"
2 text 10 211 463 30 text "note" hidden large-font
3 icon 340 11 128 182 image 7
"""


class Dialogs(CompilerTest):
    def setUp(self):
        super().setUp()
        self.src.write_bytes("images/i.bmp", tiny_bmp())
        self.src.write("images/manifest.txt", 'icon 7 i.bmp "a picture"\n')

    def test_layout_of_a_compiled_dialog(self):
        self.src.write("dialogs/d.txt", DIALOG)
        data = self.src.compile()[("GDLG", 32734)]
        fmt, width, height, count, title_len = struct.unpack_from("<HhhHI", data, 0)
        self.assertEqual((fmt, width, height, count), (1, 483, 282, 3))
        at = 12
        self.assertEqual(data[at:at + 2 * title_len].decode("utf-16-le"), "Pick")
        at += 2 * title_len
        items = []
        for _ in range(count):
            fields = struct.unpack_from("<hhhhhhhHI", data, at)
            at += 20
            text = data[at:at + 2 * fields[8]].decode("utf-16-le")
            at += 2 * fields[8]
            items.append(fields[:8] + (text,))
        self.assertEqual(at, len(data))
        self.assertEqual(items, [(1, 1, 413, 248, 60, 26, 0, 0, "OK"), (2, 2, 10, 211, 463, 30, 0, 3, "note"),
                                 (3, 5, 340, 11, 128, 182, 7, 0, "")])

    def test_faults_are_refused(self):
        cases = (
            (DIALOG.replace("3 icon", "4 icon"), "was due"),
            (DIALOG.replace("button", "knob"), "unknown item kind"),
            (DIALOG.replace("image 7", "image 8"), "GICN 8 does not exist"),
            (DIALOG.replace("icon", "picture"), "GBMP 7 does not exist"),
            (DIALOG.replace(" image 7", ""), "names its image"),
            (DIALOG.replace("hidden", "blinking"), "unknown item attribute"),
            (DIALOG.replace("size 483 282\n", ""), "no size"),
        )
        for text, fragment in cases:
            with self.subTest(fragment=fragment):
                self.src.write("dialogs/d.txt", text)
                self.assertRefused(fragment)


class ImagesAndIdentifier(CompilerTest):
    def test_images_and_their_captions(self):
        self.src.write_bytes("images/a.bmp", tiny_bmp(4, 5))
        self.src.write_bytes("images/b.bmp", tiny_bmp(6, 7))
        self.src.write("images/manifest.txt", 'bitmap 9 a.bmp "first"\nicon 9 b.bmp "zweite – ü"\n')
        out = self.src.compile()
        self.assertEqual(out[("GBMP", 9)], tiny_bmp(4, 5))
        self.assertEqual(out[("GICN", 9)], tiny_bmp(6, 7))
        captions, at, records = out[("GCAP", 9)], 0, []
        while at < len(captions):
            kind, length = struct.unpack_from("<II", captions, at)
            records.append((kind, captions[at + 8:at + 8 + length].decode("utf-8")))
            at += 8 + length
        self.assertEqual(records, [(rc.fourcc("GBMP"), "first"), (rc.fourcc("GICN"), "zweite – ü")])

    def test_faulty_images_are_refused(self):
        self.src.write_bytes("images/a.bmp", tiny_bmp())
        self.src.write_bytes("images/bad.bmp", b"GIF89a" + b"\0" * 40)
        for text, fragment in (('icon 1 a.bmp ""\n', "caption"), ('icon 1 none.bmp "x"\n', "none.bmp"),
                               ('icon 1 bad.bmp "x"\n', "not a BMP"), ('sprite 1 a.bmp "x"\n', "bitmap|icon"),
                               ('icon 1 a.bmp "x"\nicon 1 a.bmp "y"\n', "defined twice")):
            with self.subTest(text=text):
                self.src.write("images/manifest.txt", text)
                self.assertRefused(fragment)
        self.src.write_bytes("images/cut.bmp", tiny_bmp()[:-3])
        self.src.write("images/manifest.txt", 'icon 1 cut.bmp "x"\n')
        self.assertRefused("damaged")

    def test_module_identifier(self):
        self.assertEqual(self.src.compile()[("MDID", 32500)], struct.pack("<III", 8, 16, 20))
        self.src.write("module.txt", "mdid 32500\nvalue 8\nmaker 1\n")
        self.assertRefused("missing addon")


class Outputs(unittest.TestCase):
    def test_blob_directory_points_at_aligned_data(self):
        resources = {("STRS", 2): b"abc", ("MDID", 1): b"0123456789ab", ("GBMP", 3): b"BMxx"}
        blob = rc.build_blob(resources)
        self.assertEqual(blob[:4], b"VRSC")
        fmt, count, zero = struct.unpack_from("<III", blob, 4)
        self.assertEqual((fmt, count, zero), (1, 3, 0))
        seen = {}
        for i in range(count):
            kind, res_id, offset, size = struct.unpack_from("<IiII", blob, 16 + 16 * i)
            self.assertEqual(offset % 4, 0)
            seen[(kind, res_id)] = blob[offset:offset + size]
        self.assertEqual(seen, {(rc.fourcc(t), i): d for (t, i), d in resources.items()})

    def test_the_real_sources_compile_for_both_targets(self):
        with tempfile.TemporaryDirectory() as out:
            self.assertEqual(rc.main(["--source", REAL_SOURCES, "--target", "elf", "--output", out]), 0)
            with open(os.path.join(out, "velmora_resources.S"), encoding="utf-8") as f:
                assembly = f.read()
            self.assertIn('.section .velmora_rsrc,"R",@progbits', assembly)
            self.assertIn(".incbin", assembly)
            self.assertEqual(rc.main(["--source", REAL_SOURCES, "--target", "rc", "--output", out]), 0)
            with open(os.path.join(out, "velmora_resources.rc"), encoding="utf-8") as f:
                lines = [line.split() for line in f if line[0].isdigit()]
            kinds = {kind for _, kind, _ in lines}
            self.assertEqual(kinds, {"STRS", "MDID", "GDLG", "GBMP", "GICN", "GCAP"})
            self.assertIn(["32500", "MDID"], [line[:2] for line in lines])


if __name__ == "__main__":
    unittest.main()
