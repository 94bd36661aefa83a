#!/usr/bin/env bash
# Kills velmora-host at random moments while it saves its settings, again and
# again, and checks after every kill that the configuration file decodes whole
# and that a new host reads it (its automatic-update mark is the stored value).
#   scripts/kill_during_save.sh [KILLS]   (default 40; the native build in build/native)
set -euo pipefail
source "$(dirname "$0")/common.sh"
kills=${1:-40}
bash "$root/scripts/setup.sh"
configure_and_build "$root/build/native" "${native_options[@]}" --target velmora-host --target velmora_addon
host="$root/build/native/bin/velmora-host"
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
file="$folder/VelmoraLibrary_190.cfg"

# Every "menu 4" turns the automatic update check over and writes the whole file.
toggles=$(for _ in $(seq 2000); do printf 'menu 4\n'; done)

# Prints the stored AutoUpdate value of the file, failing unless every record
# decodes: "$", key, ": ", value, CR LF, in bytes whose 4-bit halves are exchanged.
decode() {
  python3 - "$1" <<'PY'
import re, sys
data = bytes(((b << 4) | (b >> 4)) & 0xFF for b in open(sys.argv[1], "rb").read())
records = re.fullmatch(rb"(\$[^:\r\n]+: [^\r\n]*\r\n)+", data)
if not records:
    sys.exit("damaged file: %r" % data[:200])
values = dict(re.findall(rb"\$([^:]+): ([^\r\n]*)\r\n", data))
print(values.get(b"AutoUpdate", b"missing").decode())
PY
}

for i in $(seq "$kills"); do
  printf '%s\n' "$toggles" | "$host" --user-folder "$folder" >/dev/null 2>&1 &
  pid=$!
  # A random moment between 50 and 550 ms into the run.
  sleep "0.$(printf '%03d' $((50 + RANDOM % 500)))" 2>/dev/null || sleep 0.3
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if [ ! -f "$file" ]; then
    continue # killed before its first save
  fi
  value=$(decode "$file") || { echo "kill $i: the file does not decode" >&2; exit 1; }
  case "$value" in
    0) expect=expect-unchecked ;;
    1) expect=expect-checked ;;
    *) echo "kill $i: AutoUpdate is \"$value\"" >&2; exit 1 ;;
  esac
  if ! timeout 60 "$host" --user-folder "$folder" -c "$expect 4; quit" >"$folder/check.txt" 2>&1; then
    echo "kill $i: a new host does not read the file (AutoUpdate $value):" >&2
    cat "$folder/check.txt" >&2
    exit 1
  fi
done
# Each save removes what killed writers left; only the last kill's may remain.
left=$(find "$folder" -name '*.new' | wc -l)
if [ "$left" -gt 1 ]; then
  echo "kill during save: $left unfinished replacement files gathered in the folder" >&2
  exit 1
fi
echo "kill during save: $kills kills, the file decoded and was read after each; $left unfinished replacement file left"
