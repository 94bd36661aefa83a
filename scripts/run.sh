#!/usr/bin/env bash
# Builds the add-on and the stand-in host natively and starts the host with the
# add-on loaded. Arguments go to velmora-host (see docs/host.md). Where a desktop is there
# (DISPLAY or WAYLAND_DISPLAY) the host opens its window unless the arguments ask
# for something else (--terminal, a script, --help); otherwise it runs in the
# terminal, and without a terminal it runs the demonstration script.
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$root/scripts/setup.sh"
# The same build folder and options as the tests, building only the host and the add-on.
configure_and_build "$root/build/native" "${native_options[@]}" --target velmora-host --target velmora_addon
host="$root/build/native/bin/velmora-host"
work_folder=$(mktemp -d)
server_pid=""
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; rm -rf "$work_folder"' EXIT

# Unless the caller names an update server, a local one (the tests' fixture server,
# Python standard library, on 127.0.0.1 and a free port) serves a version list that
# holds a newer build of the add-on, so that "Check for Updates" finds an update
# without any network. It stops with the host. What the add-on hands to the browser
# is recorded and shown by the host.
server_options=()
case " $* " in
  *" --update-server "*) ;;
  *)
    coproc UPDATE_SERVER { exec python3 "$root/tests/fixtures/update_server.py" --port 0 --mode newer --stop-on-stdin-eof 2>/dev/null; }
    server_pid=$UPDATE_SERVER_PID
    if ! read -r -t 10 port <&"${UPDATE_SERVER[0]}" || [ -z "$port" ]; then
      echo "run.sh: the local update server did not start" >&2
      exit 1
    fi
    server_options=(--update-server "http://127.0.0.1:$port" --shell-record "$work_folder/shell.txt")
    ;;
esac

window=(--window)
[ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || window=()
for arg in "$@"; do
  case "$arg" in --terminal|--window|--script|-c|--help|-h) window=() ;; esac
done
if [ ${#window[@]} -gt 0 ]; then
  "$host" "${server_options[@]}" "${window[@]}" "$@"
  exit $?
fi

if [ $# -eq 0 ] && [ ! -t 0 ]; then
  # The demonstration works in a fresh user folder of its own.
  "$host" "${server_options[@]}" --user-folder "$work_folder" --script "$root/scripts/demo.vhs"
  exit $?
fi
"$host" "${server_options[@]}" "$@"
