"""The add-on's folders form a one-way stack: a file includes only from its own
folder and the folders below it.

    shell/                    entry protocol, menu and dispatch
    update/  dialogs/         the update check; the information dialogs and alerts
    language/                 the interface language and its dialog
    prefs/                    configuration files and settings
    core/                     text, lists, resource strings, the dialog pattern

update/ and dialogs/ share a level and may use each other (the information dialog
reads the version line, the update check shows alerts). The shell publishes two
headers to every level, the add-on's only way to the host and its identity; they
include nothing of the add-on themselves.

Usage: check_layering.py ADDON_FOLDER
"""
import pathlib
import re
import sys

LEVELS = {"hostapi": 0, "core": 1, "prefs": 2, "language": 3, "services": 4, "update": 5, "dialogs": 6, "shell": 7}
PUBLISHED: set[str] = set()
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z]+)/([^"]+)"', re.MULTILINE)


def main(addon: pathlib.Path) -> int:
    faults = []
    for folder, level in LEVELS.items():
        for source in sorted((addon / folder).rglob("*.[ch]pp")):
            name = f"{folder}/{source.relative_to(addon / folder).as_posix()}"
            for target_folder, rest in INCLUDE.findall(source.read_text(encoding="utf-8")):
                if target_folder not in LEVELS:
                    continue
                target = f"{target_folder}/{rest}"
                if name in PUBLISHED and target_folder != "core":
                    faults.append(f"{name} is seen by every level and must not include {target}")
                elif target not in PUBLISHED and LEVELS[target_folder] > level:
                    faults.append(f"{name} reaches up into {target}")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} include(s) against the add-on's layering")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1])))
