#!/usr/bin/env bash
# Runs every test: the native build, then the Windows build under Wine.
#   --sanitize LIST   only the native tests, built with -fsanitize=LIST
#                     (address,undefined or thread)
set -euo pipefail
source "$(dirname "$0")/common.sh"
usage() {
  echo "usage: scripts/test.sh [--sanitize LIST]   (LIST: address,undefined or thread)" >&2
  exit 2
}
sanitize=""
case $# in
  0) ;;
  2) if [ "$1" = "--sanitize" ] && [ -n "$2" ]; then sanitize=$2; else usage; fi ;;
  *) usage ;;
esac
bash "$root/scripts/setup.sh"

if [ -n "$sanitize" ]; then
  dir="$root/build/native-${sanitize//,/-}"
  configure_and_build "$dir" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE="$sanitize"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export TSAN_OPTIONS=halt_on_error=1
  (cd "$dir" && ctest --output-on-failure)
  exit 0
fi

echo "== native =="
configure_and_build "$root/build/native" "${native_options[@]}"
(cd "$root/build/native" && ctest --output-on-failure)

echo "== Windows (under Wine) =="
configure_and_build "$root/build/win64" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake"
(cd "$root/build/win64" && ctest --output-on-failure)
