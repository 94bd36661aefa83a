# Shared settings of the build scripts.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
# Wine: no debug chatter, no offers to install Mono or Gecko, a prefix of our own.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"

native_options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BUILD_BENCH=ON)

configure_and_build() {  # folder, then extra cmake arguments (and --target ... at the end)
  local dir=$1; shift
  local options=() targets=()
  while [ $# -gt 0 ]; do
    if [ "$1" = "--target" ]; then targets+=("$1" "$2"); shift 2; else options+=("$1"); shift; fi
  done
  cmake -S "$root" -B "$dir" -G Ninja "${options[@]}" >/dev/null
  cmake --build "$dir" -j "$jobs" "${targets[@]}"
}
