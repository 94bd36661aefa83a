#!/usr/bin/env bash
# A full scripted session of velmora-host with the add-on (every menu item and
# dialog, both settings, an update check, restarts; then a quit during a check)
# under valgrind: it fails on any memory error and on any byte lost (definitely,
# indirectly or possibly).
#   scripts/leak_check.sh   (the native build in build/native)
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$root/scripts/setup.sh"
configure_and_build "$root/build/native" "${native_options[@]}" --target velmora-host --target velmora_addon
folder=$(mktemp -d)

# The update check asks the tests' update server on loopback: a newer build in the
# long session; in the short one a server that sends nothing, quit while it checks.
coproc UPDATE_SERVER { exec python3 "$root/tests/fixtures/update_server.py" --port 0 --stop-on-stdin-eof 2>/dev/null; }
server_pid=$UPDATE_SERVER_PID
trap 'kill "$server_pid" 2>/dev/null; rm -rf "$folder"' EXIT
if ! read -r -t 10 port <&"${UPDATE_SERVER[0]}" || [ -z "$port" ]; then
  echo "leak check: the local update server did not start" >&2
  exit 1
fi

long_session='menu 1; click 6; click 7; click 1
menu 2; select 3 2; click 1; menu 2; select 3 1; click 1
menu 3; wait-text 4 "Plug-in VelmoraLibrary: aggiornamento disponibile!" 60; click 5; menu 4; menu 4
menu 5; click 15; file "info.txt"; click 1; expect-file "info.txt"
restart; expect-menu 2 "Lingua"; expect-checked 4; menu 2; close; menu 4; expect-unchecked 4
restart; expect-unchecked 4; menu 1; click 1; menu 3; wait-dialog 32755 60; menu 4; menu 5; click 1; quit'
short_session='menu 3; wait-dialog 32755 60; quit'

run_session() {  # name, server mode, commands
  if ! timeout 600 valgrind --quiet --leak-check=full --show-leak-kinds=definite,indirect,possible \
      --errors-for-leak-kinds=definite,indirect,possible --error-exitcode=99 \
      --suppressions="$root/scripts/valgrind.supp" \
      "$root/build/native/bin/velmora-host" --user-folder "$folder" --shell-record "$folder/shell.txt" \
      --update-server "http://127.0.0.1:$port/$2" -c "$3" >"$folder/$1.txt" 2>"$folder/$1-valgrind.txt"; then
    cat "$folder/$1.txt" "$folder/$1-valgrind.txt" >&2
    echo "leak check: the $1 session failed, or valgrind found an error or a lost byte" >&2
    exit 1
  fi
  [ -z "${LEAK_CHECK_SHOW:-}" ] || cat "$folder/$1.txt"
  echo "leak check: $1 session, $(grep -c '^> ' "$folder/$1.txt") commands under valgrind, no error, 0 bytes lost"
}
run_session long newer "$long_session"
run_session short stall "$short_session"
