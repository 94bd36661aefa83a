#!/usr/bin/env bash
# A full scripted session of velmora-host with the add-on (every menu item, the
# language dialog, both settings, restarts) under valgrind: it fails on any memory
# error and on any byte lost (definitely, indirectly or possibly).
#   scripts/leak_check.sh   (the native build in build/native)
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$root/scripts/setup.sh"
configure_and_build "$root/build/native" "${native_options[@]}" --target velmora-host --target velmora_addon
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

session='menu 1; menu 2; select 3 2; click 1; menu 2; select 3 1; click 1; menu 3; menu 4; menu 4; menu 5
restart; expect-menu 2 "Lingua"; expect-checked 4; menu 2; close; menu 4; expect-unchecked 4
restart; expect-unchecked 4; menu 1; menu 3; menu 4; menu 5; quit'

if ! timeout 600 valgrind --quiet --leak-check=full --show-leak-kinds=definite,indirect,possible \
    --errors-for-leak-kinds=definite,indirect,possible --error-exitcode=99 \
    "$root/build/native/bin/velmora-host" --user-folder "$folder" -c "$session" \
    >"$folder/session.txt" 2>"$folder/valgrind.txt"; then
  cat "$folder/session.txt" "$folder/valgrind.txt" >&2
  echo "leak check: the session failed, or valgrind found an error or a lost byte" >&2
  exit 1
fi
echo "leak check: $(grep -c '^> ' "$folder/session.txt") commands under valgrind, no error, 0 bytes lost"
