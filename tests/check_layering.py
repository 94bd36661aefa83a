"""The add-on's code is a one-way stack of levels: a file includes only from its own
level and the levels below it.

    shell/      entry points, module load and unload, menu and dispatch
    dialogs/    About, information dialog, text export, library documents
    update/     the update check
    services/   alerts, handing pages and documents to the shell
    language/   the interface language and its dialog
    prefs/      configuration files and settings
    core/       strings, text encodings, lists, resource strings, the dialog pattern
    hostapi/    the host-call wrappers, the host table, the add-on's identity

Each level is a folder of the add-on and a static library with a list of sources;
the build writes the lists, bottom level first, one "LEVEL PATH" line per source.
The check fails for an include that reaches up, for a folder of code that is no
level, and for a source file of the add-on that no level's list names (it would
silently be left out of the add-on). The resources folder holds the resource
compiler and its inputs, not code of the add-on.

Usage: check_layering.py ADDON_FOLDER LEVEL_LISTS_FILE
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z_]+)/([^"]+)"', re.MULTILINE)
NOT_CODE = {"resources"}
CODE_SUFFIXES = {".cpp", ".hpp", ".in"}


def read_levels(listing: pathlib.Path) -> tuple[dict[str, int], set[str]]:
    levels: dict[str, int] = {}
    listed: set[str] = set()
    for line in listing.read_text(encoding="utf-8").splitlines():
        if not line.strip():
            continue
        level, path = line.split(" ", 1)
        levels.setdefault(level, len(levels))
        listed.add(path)
    return levels, listed


def main(addon: pathlib.Path, listing: pathlib.Path) -> int:
    levels, listed = read_levels(listing)
    folders = {p.name for p in addon.iterdir() if p.is_dir()} - NOT_CODE
    faults = []
    for folder in sorted(folders - levels.keys()):
        faults.append(f"{folder}/ is no level of the add-on")
    for folder in sorted(folders):
        for source in sorted((addon / folder).rglob("*")):
            if source.suffix not in CODE_SUFFIXES:
                continue
            name = source.relative_to(addon).as_posix()
            if source.suffix == ".cpp" and name not in listed:
                faults.append(f"{name} is in no level's list of sources")
            if folder not in levels:
                continue
            for target_folder, rest in INCLUDE.findall(source.read_text(encoding="utf-8")):
                target = f"{target_folder}/{rest}"
                if target_folder in levels:
                    if levels[target_folder] > levels[folder]:
                        faults.append(f"{name} reaches up into {target}")
                elif target_folder in folders:
                    faults.append(f"{name} includes {target}, which is in no level")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} fault(s) against the add-on's layering")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])))
