#!/usr/bin/env bash
# Takes the README's screenshot of velmora-host --window (docs/window.png) on a
# display of its own: the main window with the language dialog open over it,
# previewing Italian, placed where a window manager puts a dialog of its parent.
# Needs the native build (scripts/run.sh or scripts/test.sh) and, besides the
# set-up's packages, xwd (x11-apps) and netpbm to read the screen.
set -euo pipefail
source "$(dirname "$0")/common.sh"
host="$root/build/native/bin/velmora-host"
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
export GSK_RENDERER=cairo
xvfb-run -a -s "-screen 0 900x560x24" bash -c '
  set -e
  "$1" --window --user-folder "$2" -c "menu 2; select 3 1; wait 6; close" > "$2/transcript.txt" &
  dialog=$(timeout 20 xdotool search --sync --onlyvisible --name "^VelmoraLibrary$" | head -n 1)
  xdotool windowmove "$dialog" 208 150
  sleep 2
  xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng > "$3"
  wait
' screenshot "$host" "$folder" "$root/docs/window.png"
echo "written: $root/docs/window.png"
