#!/usr/bin/env bash
# Fuzzing: the explode decoder against the reference decoder of the tests (fuzz_explode),
# archive reading with member extraction as the stub walks an installer (fuzz_archive), and
# zbpack list, verify and extract on arbitrary installers (fuzz_zbpack_archive).
#
#   scripts/fuzz.sh [SECONDS]    per target, default 30
#
# Configures build/fuzz with clang and -DZB_FUZZ=ON, builds the targets, writes seed corpora
# into build/fuzz/corpus/{explode,archive} (kept between runs, so coverage grows): valid
# streams from the tests' stream builder, and installers packed by zbpack. A crash leaves its
# input as build/fuzz/crash-* and exits non-zero.
set -euo pipefail

seconds="${1:-30}"
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tree="$repo/build/fuzz"

command -v clang++ >/dev/null || { echo "fuzz: clang++ is not installed" >&2; exit 1; }

cmake -S "$repo" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZB_FUZZ=ON >/dev/null
ninja -C "$tree" fuzz_explode make_explode_seeds fuzz_archive fuzz_zbpack_archive zbpack

corpus="$tree/corpus/explode"
mkdir -p "$corpus"
if [ -z "$(ls -A "$corpus")" ]; then
  "$tree/bin/make_explode_seeds" "$corpus"
fi

corpus="$tree/corpus/archive"
mkdir -p "$corpus"
if [ -z "$(ls -A "$corpus")" ]; then
  scratch=$(mktemp -d)
  printf 'MZ stub bytes of no meaning\n' >"$scratch/stub.exe"
  printf ';script\r\n>Installing\r\nsetup.exe /q\r\n' >"$scratch/install.zis"
  for i in $(seq 1 200); do echo "line $i of a text that implodes well"; done >"$scratch/readme.txt"
  head -c 3000 /dev/urandom >"$scratch/data.bin"
  for method in stored implode; do
    "$tree/bin/zbpack" pack -o "$corpus/$method.exe" --stub "$scratch/stub.exe" \
      --product "Seed" --script install.zis --method "$method" \
      "$scratch/install.zis" "$scratch/readme.txt" "$scratch/data.bin" >/dev/null
  done
  rm -rf "$scratch"
fi

cd "$tree"
# Both archive targets read installers: they share one corpus.
for target in explode archive zbpack_archive; do
  "$tree/bin/fuzz_$target" -max_total_time="$seconds" -max_len=16384 -print_final_stats=1 \
    "$tree/corpus/${target#zbpack_}"
done
