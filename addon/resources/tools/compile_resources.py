#!/usr/bin/env python3
"""Compiles the add-on's readable resource sources into the add-on file's resources.

Standard library only: the build runs it on every machine that builds the add-on.

Sources (all UTF-8 text, '#' starts a comment outside quotes):
  module.txt           the module identifier (MDID)
  strings/*.txt        one string list (STRS) per file
  dialogs/*.txt        one dialog (GDLG) per file
  images/manifest.txt  the bitmaps (GBMP) and icons (GICN), with their captions (GCAP)

Targets:
  --target elf  writes NAME.bin, one blob with every resource, and NAME.S, which
                places the blob in the ELF section ".velmora_rsrc" of the file it
                is linked into (not loaded into memory, kept by --gc-sections).
  --target rc   writes NAME.rc, one Windows resource per resource, with the custom
                types above and numeric identifiers, and the data files it names.

The compiled formats, all little-endian:
  STRS  u32 count, then per entry: u32 length in UTF-16 units, the UTF-16LE units.
  GDLG  u16 format (1), i16 width, i16 height, u16 item count, u32 title length,
        the title's UTF-16LE units; per item: i16 number, i16 kind, i16 left, i16 top,
        i16 width, i16 height, i16 image id, u16 flags (1 hidden, 2 large font),
        u32 text length, the text's UTF-16LE units.
  MDID  u32 value, u32 maker identifier, u32 add-on identifier.
  GBMP, GICN  the BMP file's bytes.
  GCAP  (same number as the images it describes) per image of that number:
        u32 image type, u32 caption length in bytes, the caption's UTF-8 bytes.
  blob  "VRSC", u32 format (1), u32 count, u32 zero; then per resource a record of
        u32 type, i32 id, u32 offset from the blob's start, u32 size; then the data,
        each resource starting on a multiple of 4.
"""

import argparse
import os
import struct
import sys

BLOB_MAGIC = b"VRSC"
BLOB_FORMAT = 1
DIALOG_FORMAT = 1
SECTION_NAME = ".velmora_rsrc"
MAX_RESOURCE_ID = 32767
MAX_STRING_UNITS = 999  # the host's fetch buffer holds 1000 units with the terminator

ITEM_KINDS = {
    "button": 1,
    "text": 2,
    "multiline": 3,
    "listbox": 4,
    "icon": 5,
    "picture": 6,
    "separator": 7,
    "edit": 8,
    "checkbox": 9,
}
FLAG_HIDDEN = 1
FLAG_LARGE_FONT = 2

IMAGE_TYPES = {"bitmap": "GBMP", "icon": "GICN"}


class SourceError(Exception):
    pass


def fourcc(name):
    """A four-character type as a number, first character in the most significant byte."""
    if len(name) != 4 or not name.isascii():
        raise ValueError(name)
    return (ord(name[0]) << 24) | (ord(name[1]) << 16) | (ord(name[2]) << 8) | ord(name[3])


# --- Reading the sources -----------------------------------------------------

ESCAPES = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}


def tokenize(line, where):
    """Splits a line into words and quoted texts; a quoted text comes back as ('text', value)."""
    tokens, i, n = [], 0, len(line)
    while i < n:
        ch = line[i]
        if ch.isspace():
            i += 1
        elif ch == "#":
            break
        elif ch == '"':
            i += 1
            value = []
            while True:
                if i >= n:
                    raise SourceError("%s: unterminated quoted text" % where)
                ch = line[i]
                if ch == '"':
                    i += 1
                    break
                if ch == "\\":
                    if i + 1 >= n:
                        raise SourceError("%s: lone backslash at the end of the line" % where)
                    code = line[i + 1]
                    if code in ESCAPES:
                        value.append(ESCAPES[code])
                        i += 2
                    elif code == "u":
                        digits = line[i + 2:i + 6]
                        if len(digits) != 4 or any(c not in "0123456789abcdefABCDEF" for c in digits):
                            raise SourceError("%s: \\u needs four hexadecimal digits" % where)
                        value.append(chr(int(digits, 16)))
                        i += 6
                    else:
                        raise SourceError("%s: unknown escape \\%s" % (where, code))
                else:
                    value.append(ch)
                    i += 1
            tokens.append(("text", "".join(value)))
        else:
            start = i
            while i < n and not line[i].isspace() and line[i] not in '"#':
                i += 1
            tokens.append(line[start:i])
    return tokens


def source_lines(path):
    with open(path, encoding="utf-8") as f:
        data = f.read()
    if data.startswith("\ufeff"):
        data = data[1:]
    for number, line in enumerate(data.splitlines(), 1):
        where = "%s:%d" % (path, number)
        tokens = tokenize(line, where)
        if tokens:
            yield where, tokens


def number(token, where, low=None, high=None):
    if isinstance(token, tuple):
        raise SourceError("%s: a number was expected, found a quoted text" % where)
    try:
        value = int(token, 0)
    except ValueError:
        raise SourceError("%s: %r is not a number" % (where, token)) from None
    if (low is not None and value < low) or (high is not None and value > high):
        raise SourceError("%s: %d lies outside %s..%s" % (where, value, low, high))
    return value


def quoted(token, where):
    if not isinstance(token, tuple):
        raise SourceError("%s: a quoted text was expected, found %r" % (where, token))
    return token[1]


def resource_id(token, where):
    return number(token, where, 1, MAX_RESOURCE_ID)


def utf16_units(text):
    return len(text.encode("utf-16-le")) // 2


def header(lines, keyword, path):
    """The first line of a source, `keyword N`; returns N."""
    try:
        where, tokens = next(lines)
    except StopIteration:
        raise SourceError("%s: empty source, '%s N' expected" % (path, keyword)) from None
    if len(tokens) != 2 or tokens[0] != keyword:
        raise SourceError("%s: the source starts with '%s N'" % (where, keyword))
    return resource_id(tokens[1], where)


def read_string_list(path):
    lines = source_lines(path)
    list_id = header(lines, "list", path)
    entries = {}
    last = 0
    for where, tokens in lines:
        if len(tokens) != 2:
            raise SourceError('%s: an entry is written as: N "text"' % where)
        entry = number(tokens[0], where, 1, 65535)
        if entry <= last:
            raise SourceError("%s: entry %d comes after entry %d; entries go in rising order" %
                              (where, entry, last))
        text = quoted(tokens[1], where)
        if utf16_units(text) > MAX_STRING_UNITS:
            raise SourceError("%s: entry %d is longer than %d UTF-16 units" % (where, entry, MAX_STRING_UNITS))
        entries[entry] = text
        last = entry
    if not entries:
        raise SourceError("%s: a string list needs at least one entry" % path)
    # Entries are numbered from 1; those without a line are empty.
    return list_id, [entries.get(k, "") for k in range(1, last + 1)]


def read_dialog(path):
    lines = source_lines(path)
    dialog_id = header(lines, "dialog", path)
    dialog = {"id": dialog_id, "title": "", "size": None, "items": [], "path": path}
    for where, tokens in lines:
        word = tokens[0]
        if word == "title":
            if len(tokens) != 2:
                raise SourceError('%s: title "text"' % where)
            dialog["title"] = quoted(tokens[1], where)
        elif word == "size":
            if len(tokens) != 3:
                raise SourceError("%s: size WIDTH HEIGHT" % where)
            dialog["size"] = (number(tokens[1], where, 1, 32767), number(tokens[2], where, 1, 32767))
        else:
            dialog["items"].append(read_dialog_item(tokens, where, len(dialog["items"]) + 1))
    if dialog["size"] is None:
        raise SourceError("%s: the dialog has no size" % path)
    if not dialog["items"]:
        raise SourceError("%s: the dialog has no items" % path)
    return dialog


def read_dialog_item(tokens, where, expected_number):
    if len(tokens) < 6:
        raise SourceError("%s: an item is written as: N KIND LEFT TOP WIDTH HEIGHT [attributes]" % where)
    item_number = number(tokens[0], where, 1, 32767)
    if item_number != expected_number:
        raise SourceError("%s: item %d found where item %d was due; items are numbered 1, 2, 3..." %
                          (where, item_number, expected_number))
    kind = tokens[1]
    if kind not in ITEM_KINDS:
        raise SourceError("%s: unknown item kind %r (one of %s)" % (where, kind, ", ".join(ITEM_KINDS)))
    left, top = (number(t, where, -32768, 32767) for t in tokens[2:4])
    width, height = (number(t, where, 0, 32767) for t in tokens[4:6])
    item = {"number": item_number, "kind": kind, "rect": (left, top, width, height), "text": "", "image": 0,
            "flags": 0, "where": where}
    rest = tokens[6:]
    i = 0
    while i < len(rest):
        word = rest[i]
        if word == "text" and i + 1 < len(rest):
            item["text"] = quoted(rest[i + 1], where)
            i += 2
        elif word == "image" and i + 1 < len(rest):
            item["image"] = resource_id(rest[i + 1], where)
            i += 2
        elif word == "hidden":
            item["flags"] |= FLAG_HIDDEN
            i += 1
        elif word == "large-font":
            item["flags"] |= FLAG_LARGE_FONT
            i += 1
        else:
            raise SourceError('%s: unknown item attribute %r (text "...", image N, hidden, large-font)' %
                              (where, word if not isinstance(word, tuple) else word[1]))
    if kind in ("icon", "picture") and not item["image"]:
        raise SourceError("%s: a %s item names its image with 'image N'" % (where, kind))
    if kind not in ("icon", "picture") and item["image"]:
        raise SourceError("%s: only icon and picture items show an image" % where)
    return item


def read_module(path):
    lines = source_lines(path)
    mdid_id = header(lines, "mdid", path)
    fields = {}
    for where, tokens in lines:
        if len(tokens) != 2 or tokens[0] not in ("value", "maker", "addon"):
            raise SourceError("%s: value N, maker N or addon N expected" % where)
        if tokens[0] in fields:
            raise SourceError("%s: %s is given twice" % (where, tokens[0]))
        fields[tokens[0]] = number(tokens[1], where, 0, 0xFFFFFFFF)
    missing = [k for k in ("value", "maker", "addon") if k not in fields]
    if missing:
        raise SourceError("%s: missing %s" % (path, ", ".join(missing)))
    return mdid_id, struct.pack("<III", fields["value"], fields["maker"], fields["addon"])


def bmp_size(data, where):
    """Checks a BMP file and returns (width, height, bits per pixel)."""
    if len(data) < 26 or data[:2] != b"BM":
        raise SourceError("%s: not a BMP file" % where)
    file_size, _, offset, dib = struct.unpack_from("<IIII", data, 2)
    if file_size != len(data) or offset >= len(data):
        raise SourceError("%s: damaged BMP file" % where)
    if dib == 12:
        width, height, _, bits = struct.unpack_from("<HHHH", data, 18)
    elif dib >= 40 and len(data) >= 14 + 40:
        width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    else:
        raise SourceError("%s: unknown BMP header" % where)
    if width <= 0 or height == 0 or bits not in (1, 4, 8, 16, 24, 32):
        raise SourceError("%s: unusable BMP dimensions" % where)
    return width, abs(height), bits


def read_images(path):
    folder = os.path.dirname(path)
    images = []
    for where, tokens in source_lines(path):
        if len(tokens) != 4 or tokens[0] not in IMAGE_TYPES:
            raise SourceError('%s: an image is written as: bitmap|icon N FILE "caption"' % where)
        image_type = IMAGE_TYPES[tokens[0]]
        image_id = resource_id(tokens[1], where)
        file_name = tokens[2]
        if isinstance(file_name, tuple):
            file_name = file_name[1]
        caption = quoted(tokens[3], where)
        if not caption:
            raise SourceError("%s: every image has a caption" % where)
        file_path = os.path.join(folder, file_name)
        try:
            with open(file_path, "rb") as f:
                data = f.read()
        except OSError as e:
            raise SourceError("%s: %s" % (where, e)) from None
        bmp_size(data, file_path)
        images.append((image_type, image_id, data, caption))
    return images


# --- Compiling ---------------------------------------------------------------

def utf16(text):
    return text.encode("utf-16-le")


def compile_string_list(entries):
    out = [struct.pack("<I", len(entries))]
    for text in entries:
        out.append(struct.pack("<I", utf16_units(text)))
        out.append(utf16(text))
    return b"".join(out)


def compile_dialog(dialog):
    width, height = dialog["size"]
    out = [struct.pack("<HhhHI", DIALOG_FORMAT, width, height, len(dialog["items"]), utf16_units(dialog["title"])),
           utf16(dialog["title"])]
    for item in dialog["items"]:
        left, top, w, h = item["rect"]
        out.append(struct.pack("<hhhhhhhHI", item["number"], ITEM_KINDS[item["kind"]], left, top, w, h,
                               item["image"], item["flags"], utf16_units(item["text"])))
        out.append(utf16(item["text"]))
    return b"".join(out)


def compile_captions(records):
    return b"".join(struct.pack("<II", fourcc(t), len(c.encode("utf-8"))) + c.encode("utf-8")
                    for t, c in sorted(records))


def collect(source):
    """Every resource of the sources as {(type name, id): bytes}."""
    resources = {}

    def add(type_name, res_id, data, where):
        key = (type_name, res_id)
        if key in resources:
            raise SourceError("%s: %s %d is defined twice" % (where, type_name, res_id))
        resources[key] = data

    module = os.path.join(source, "module.txt")
    mdid_id, mdid = read_module(module)
    add("MDID", mdid_id, mdid, module)

    for folder, reader in (("strings", read_string_list), ("dialogs", read_dialog)):
        directory = os.path.join(source, folder)
        for name in sorted(os.listdir(directory)) if os.path.isdir(directory) else []:
            if not name.endswith(".txt"):
                continue
            path = os.path.join(directory, name)
            if reader is read_string_list:
                list_id, entries = read_string_list(path)
                add("STRS", list_id, compile_string_list(entries), path)
            else:
                dialog = read_dialog(path)
                add("GDLG", dialog["id"], dialog, path)

    manifest = os.path.join(source, "images", "manifest.txt")
    captions = {}
    for image_type, image_id, data, caption in read_images(manifest):
        add(image_type, image_id, data, manifest)
        captions.setdefault(image_id, []).append((image_type, caption))
    for image_id, records in captions.items():
        add("GCAP", image_id, compile_captions(records), manifest)

    # Dialog items name images that must exist; then the dialogs are compiled.
    for key, dialog in list(resources.items()):
        if key[0] != "GDLG":
            continue
        for item in dialog["items"]:
            if item["image"]:
                wanted = "GICN" if item["kind"] == "icon" else "GBMP"
                if (wanted, item["image"]) not in resources:
                    raise SourceError("%s: %s %d does not exist" % (item["where"], wanted, item["image"]))
        resources[key] = compile_dialog(dialog)
    return resources


# --- Writing -----------------------------------------------------------------

def ordered(resources):
    return sorted(resources.items(), key=lambda kv: (fourcc(kv[0][0]), kv[0][1]))


def build_blob(resources):
    items = ordered(resources)
    directory_size = 16 + 16 * len(items)
    offset = directory_size
    directory, data = [], []
    for (type_name, res_id), payload in items:
        padding = (-offset) % 4
        data.append(b"\0" * padding)
        offset += padding
        directory.append(struct.pack("<IiII", fourcc(type_name), res_id, offset, len(payload)))
        data.append(payload)
        offset += len(payload)
    head = BLOB_MAGIC + struct.pack("<III", BLOB_FORMAT, len(items), 0)
    return head + b"".join(directory) + b"".join(data)


def write_file(path, data):
    mode = "wb" if isinstance(data, bytes) else "w"
    with open(path, mode, **({} if mode == "wb" else {"encoding": "utf-8", "newline": "\n"})) as f:
        f.write(data)


def quote_path(path):
    return path.replace("\\", "/").replace('"', '\\"')


def write_elf(resources, output, name):
    blob_path = os.path.abspath(os.path.join(output, name + ".bin"))
    write_file(blob_path, build_blob(resources))
    write_file(os.path.join(output, name + ".S"),
               "/* Generated by compile_resources.py: the add-on's resources as one blob.\n"
               "   The section is not loaded into memory (the host reads it from the file)\n"
               "   and is retained (R) when the linker drops unused sections. */\n"
               '\t.section %s,"R",@progbits\n'
               "\t.balign 4\n"
               '\t.incbin "%s"\n'
               '\t.section .note.GNU-stack,"",@progbits\n' % (SECTION_NAME, quote_path(blob_path)))


def write_rc(resources, output, name):
    data_dir = os.path.abspath(os.path.join(output, name + "_data"))
    os.makedirs(data_dir, exist_ok=True)
    lines = ["// Generated by compile_resources.py: one resource per add-on resource.\n"]
    for (type_name, res_id), payload in ordered(resources):
        path = os.path.join(data_dir, "%s_%d.bin" % (type_name, res_id))
        write_file(path, payload)
        lines.append('%d %s "%s"\n' % (res_id, type_name, quote_path(path)))
    write_file(os.path.join(output, name + ".rc"), "".join(lines))


def main(argv=None):
    parser = argparse.ArgumentParser(description="Compiles the add-on's resource sources.")
    parser.add_argument("--source", required=True, help="the folder of the resource sources")
    parser.add_argument("--target", choices=("elf", "rc"), help="the kind of output to write")
    parser.add_argument("--output", help="the folder of the output")
    parser.add_argument("--name", default="velmora_resources", help="the stem of the output files")
    parser.add_argument("--list", action="store_true", help="print every resource with its size")
    args = parser.parse_args(argv)
    try:
        resources = collect(args.source)
    except SourceError as e:
        print("error: %s" % e, file=sys.stderr)
        return 1
    if args.list:
        for (type_name, res_id), payload in ordered(resources):
            print("%s %5d %8d bytes" % (type_name, res_id, len(payload)))
    if args.target:
        if not args.output:
            parser.error("--target needs --output")
        os.makedirs(args.output, exist_ok=True)
        (write_elf if args.target == "elf" else write_rc)(resources, args.output, args.name)
    return 0


if __name__ == "__main__":
    sys.exit(main())
