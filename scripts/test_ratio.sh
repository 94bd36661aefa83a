#!/usr/bin/env bash
# Test lines against code lines: C and C++ lines that are neither blank nor comments,
# tests/ against addon/, platform/ and host/. The suite is kept at most 40 % of the code.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exec python3 - "$root" "$@" <<'PY'
import os, re, sys

root = sys.argv[1]
verbose = "--files" in sys.argv[2:]
sources = re.compile(r"\.(c|cc|cpp|cxx|h|hh|hpp|inc)$")


def code_lines(text):
    """Lines holding something other than blanks and comments; strings and character
    literals are read whole so that a // or /* inside them is not taken for a comment."""
    count, in_block, i, n = 0, False, 0, len(text)
    line_has_code = False
    while i < n:
        c = text[i]
        if c == "\n":
            count += line_has_code
            line_has_code = False
            i += 1
        elif in_block:
            if text.startswith("*/", i):
                in_block = False
                i += 2
            else:
                i += 1
        elif text.startswith("//", i):
            while i < n and text[i] != "\n":
                i += 1
        elif text.startswith("/*", i):
            in_block = True
            i += 2
        elif c in " \t\r\f\v":
            i += 1
        elif text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            j = text.find("(", i)
            end = ")" + text[i + 2 : j] + '"'
            k = text.find(end, j)
            k = n if k < 0 else k + len(end)
            newlines = text.count("\n", i, k)
            count += newlines  # every line a raw string spans holds code
            line_has_code = True
            i = k
        elif c in "\"'":
            line_has_code = True
            i += 1
            while i < n and text[i] != c and text[i] != "\n":
                i += 2 if text[i] == "\\" else 1
            i += 1
        else:
            line_has_code = True
            i += 1
    return count + line_has_code


def tally(folders):
    total = 0
    for folder in folders:
        for base, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if sources.search(name):
                    path = os.path.join(base, name)
                    with open(path, encoding="utf-8", errors="replace") as f:
                        lines = code_lines(f.read())
                    total += lines
                    if verbose:
                        print(f"{lines:6d} {os.path.relpath(path, root)}")
    return total


code = tally(["addon", "platform", "host"])
tests = tally(["tests"])
print(f"code {code} lines, tests {tests} lines: tests are {100 * tests / code:.1f} % of the code")
PY
