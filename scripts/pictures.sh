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
# configuration with the automatic update check off), how the local update server
# answers (a mode of tests/fixtures/update_server.py), and the host commands that
# open the dialog. "snapshot" follows them, so the dialog must still be open.
pictures=(
  "language-dialog-en        int  newer       menu 2"
  "language-dialog-it        ita  newer       menu 2"
  "language-preview-it       int  newer       menu 2; select 3 1"
  "language-preview-en       ita  newer       menu 2; select 3 2"
  "language-dialog-fr        fra  newer       menu 2"
  "language-dialog-de        ger  newer       menu 2"
  "language-dialog-es        spa  newer       menu 2"
  "language-dialog-ja        jap  newer       menu 2"
  "language-dialog-ru        rus  newer       menu 2"
  "about-en                  int  newer       menu 1"
  "about-it                  ita  newer       menu 1"
  "information-en            int  newer       menu 5"
  "information-it            ita  newer       menu 5"
  "update-checking-en        int  stall       menu 3; wait-dialog 32755"
  "update-checking-it        ita  stall       menu 3; wait-dialog 32755"
  "update-available-en       int  newer       menu 3; wait-text 4 \"VelmoraLibrary plug-in: update available!\" 20"
  "update-available-it       ita  newer       menu 3; wait-text 4 \"Plug-in VelmoraLibrary: aggiornamento disponibile!\" 20"
  "update-up-to-date-en      int  up-to-date  menu 3; wait-text 4 \"Your VelmoraLibrary plug-in is up-to-date!\" 20"
  "update-up-to-date-it      ita  up-to-date  menu 3; wait-text 4 \"Il tuo plug-in VelmoraLibrary è aggiornato!\" 20"
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
server_pid=
trap '[ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null; rm -rf "$work"' EXIT
# The update check's windows ask a local update server on loopback, no network.
coproc UPDATE_SERVER { exec python3 "$root/tests/fixtures/update_server.py" --port 0 --stop-on-stdin-eof 2>/dev/null; }
server_pid=$UPDATE_SERVER_PID
if ! read -r -t 10 port <&"${UPDATE_SERVER[0]}" || [ -z "$port" ]; then
  echo "pictures: the local update server did not start" >&2
  exit 1
fi
mkdir -p "$out"
# The script's own folders hold exactly the pictures of the table: a dialog taken
# out of it leaves no picture behind.
[ "$mode" = out ] || rm -f "$out"/*.png
for line in "${pictures[@]}"; do
  read -r name language answer commands <<<"$line"
  user="$work/$name"
  mkdir -p "$user"
  # The add-on's own configuration file stores each byte with its two halves exchanged.
  python3 -c 'import sys
text = ("$AutoUpdate: 0\r\n$Language_str: %s\r\n" % sys.argv[1]).encode()
open(sys.argv[2], "wb").write(bytes(((b << 4) & 0xF0) | (b >> 4) for b in text))' \
    "$language" "$user/VelmoraLibrary_190.cfg"
  if ! "$bin/velmora-host" --user-folder "$user" --update-server "http://127.0.0.1:$port/$answer" -c "$commands; snapshot \"$out/$name.png\"" \
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
