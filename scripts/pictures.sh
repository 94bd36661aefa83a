#!/usr/bin/env bash
# Pictures of the add-on's dialogs, drawn by velmora-host from the built add-on
# file: every dialog in English and in Italian, and the language dialog in each
# of the seven languages, opened in it or previewed in it. No display is used.
#   bash scripts/pictures.sh             draw them into docs/pictures (the README shows some)
#   bash scripts/pictures.sh --check     draw them into build/pictures and compare them with
#                                        docs/pictures; fails when one differs, is new or is gone
#   bash scripts/pictures.sh --out DIR   draw them into DIR
set -euo pipefail
source "$(dirname "$0")/common.sh"

# One picture a line: its file name (without .png), the language the add-on
# speaks when the host starts (a code of its language table, stored in its own
# configuration with the automatic update check off), and the host commands that
# open the dialog. "snapshot" follows them, so the dialog must still be open.
pictures=(
  "language-dialog-en        int  menu 2"
  "language-dialog-it        ita  menu 2"
  "language-preview-it       int  menu 2; select 3 1"
  "language-preview-en       ita  menu 2; select 3 2"
  "language-dialog-fr        fra  menu 2"
  "language-dialog-de        ger  menu 2"
  "language-dialog-es        spa  menu 2"
  "language-dialog-ja        jap  menu 2"
  "language-dialog-ru        rus  menu 2"
)

mode=write
out="$root/docs/pictures"
case "${1:-}" in
  --check) mode=check; out="$root/build/pictures" ;;
  --out) mode=out; out=$2 ;;
  "") ;;
  *) echo "usage: scripts/pictures.sh [--check | --out DIR]" >&2; exit 2 ;;
esac

bash "$root/scripts/setup.sh"
configure_and_build "$root/build/native" "${native_options[@]}" \
  --target velmora-host --target velmora_addon --target velmora-picture-compare
bin="$root/build/native/bin"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
# The script's own folders hold exactly the pictures of the table: a dialog taken
# out of it leaves no picture behind.
[ "$mode" = out ] || rm -f "$out"/*.png
for line in "${pictures[@]}"; do
  read -r name language commands <<<"$line"
  user="$work/$name"
  mkdir -p "$user"
  # The add-on's own configuration file stores each byte with its two halves exchanged.
  python3 -c 'import sys
text = ("$AutoUpdate: 0\r\n$Language_str: %s\r\n" % sys.argv[1]).encode()
open(sys.argv[2], "wb").write(bytes(((b << 4) & 0xF0) | (b >> 4) for b in text))' \
    "$language" "$user/VelmoraLibrary_190.cfg"
  if ! "$bin/velmora-host" --user-folder "$user" -c "$commands; snapshot \"$out/$name.png\"" \
      >"$work/$name.txt" 2>&1; then
    cat "$work/$name.txt" >&2
    echo "pictures: $name could not be drawn" >&2
    exit 1
  fi
  echo "$out/$name.png"
done

[ "$mode" = check ] || exit 0
status=0
for line in "${pictures[@]}"; do
  read -r name _ <<<"$line"
  if [ ! -f "$root/docs/pictures/$name.png" ]; then
    echo "pictures: docs/pictures/$name.png is missing; run scripts/pictures.sh and commit it" >&2
    status=1
  elif ! "$bin/velmora-picture-compare" "$root/docs/pictures/$name.png" "$out/$name.png"; then
    echo "pictures: docs/pictures/$name.png is out of date; run scripts/pictures.sh and commit it" >&2
    status=1
  fi
done
for committed in "$root"/docs/pictures/*.png; do
  [ -e "$committed" ] || continue
  if [ ! -f "$out/$(basename "$committed")" ]; then
    echo "pictures: docs/pictures/$(basename "$committed") is no longer drawn; remove it" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "pictures: all ${#pictures[@]} pictures match docs/pictures"
exit $status
