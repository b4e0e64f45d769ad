#!/usr/bin/env bash
# Differential fuzzing of the explode decoder against the reference decoder of the tests.
#
#   scripts/fuzz.sh [SECONDS]    default 30
#
# Configures build/fuzz with clang and -DZB_FUZZ=ON, builds fuzz_explode, writes a seed corpus
# of valid streams into build/fuzz/corpus/explode (kept between runs, so coverage grows), and
# fuzzes for SECONDS seconds. A crash leaves its input as build/fuzz/crash-* and exits non-zero.
set -euo pipefail

seconds="${1:-30}"
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tree="$repo/build/fuzz"
corpus="$tree/corpus/explode"

command -v clang++ >/dev/null || { echo "fuzz: clang++ is not installed" >&2; exit 1; }

cmake -S "$repo" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZB_FUZZ=ON >/dev/null
ninja -C "$tree" fuzz_explode make_explode_seeds

mkdir -p "$corpus"
if [ -z "$(ls -A "$corpus")" ]; then
  "$tree/bin/make_explode_seeds" "$corpus"
fi

cd "$tree"
exec "$tree/bin/fuzz_explode" -max_total_time="$seconds" -max_len=16384 -print_final_stats=1 \
  "$corpus"
