#!/usr/bin/env bash
# Builds the add-on and the stand-in host natively and starts the host with the
# add-on loaded. Arguments go to velmora-host (see README); without a terminal the
# host runs the demonstration script.
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$root/scripts/setup.sh"
# The same build folder and options as the tests, building only the host and the add-on.
configure_and_build "$root/build/native" "${native_options[@]}" --target velmora-host --target velmora_addon
host="$root/build/native/bin/velmora-host"
if [ $# -eq 0 ] && [ ! -t 0 ]; then
  # The demonstration works in a fresh user folder of its own.
  demo_folder=$(mktemp -d)
  trap 'rm -rf "$demo_folder"' EXIT
  "$host" --user-folder "$demo_folder" --script "$root/scripts/demo.vhs"
  exit $?
fi
exec "$host" "$@"
