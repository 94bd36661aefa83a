#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/*Fuzz.cpp) with clang, libFuzzer, AddressSanitizer
# and UBSan in build/fuzz, and runs each for a while from its seed corpus
# (fuzz/corpus/NAME, one per target, grown in build/fuzz/corpus/NAME). A crash, a leak or a failed
# check stops the run with status 1; the input that caused it is kept in
# build/fuzz/artifacts.
#   scripts/fuzz.sh                 every target for 15 seconds
#   scripts/fuzz.sh 3600            every target for an hour
#   scripts/fuzz.sh 600 ts_string   one target
set -euo pipefail
source "$(dirname "$0")/common.sh"
seconds=${1:-15}
only=${2:-}
bash "$root/scripts/setup.sh"

dir="$root/build/fuzz"
names=()
for corpus in "$root"/fuzz/corpus/*/; do
  name=$(basename "$corpus")
  if [ -z "$only" ] || [ "$only" = "$name" ]; then names+=("$name"); fi
done
if [ ${#names[@]} -eq 0 ]; then
  echo "no fuzz target named $only" >&2
  exit 2
fi
targets=()
for name in "${names[@]}"; do targets+=(--target "velmora_fuzz_$name"); done
configure_and_build "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 \
  -DCMAKE_CXX_COMPILER=clang++-14 -DVELMORA_SANITIZE=address,undefined -DVELMORA_BUILD_FUZZ=ON \
  -DVELMORA_BUILD_TESTS=OFF "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$dir/artifacts"
for name in "${names[@]}"; do
  echo "== fuzz $name: ${seconds}s =="
  mkdir -p "$dir/corpus/$name"
  # -timeout: one input taking longer than that is a failure too.
  "$dir/bin/velmora_fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$dir/artifacts/$name-" \
    "$dir/corpus/$name" "$root/fuzz/corpus/$name" 2>&1 | grep -v "^#[0-9]" || {
    echo "fuzz target $name failed; the input is in $dir/artifacts" >&2
    exit 1
  }
done
