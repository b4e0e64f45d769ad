#!/usr/bin/env bash
# Differential fuzzing of the explode decoder against the reference decoder of the tests, then
# zbpack list, verify and extract on arbitrary installers.
#
#   scripts/fuzz.sh [SECONDS]    default 30, split between the two targets
#
# Configures build/fuzz with clang and -DZB_FUZZ=ON, builds the targets, writes seed corpora
# (valid streams, one small installer) into build/fuzz/corpus (kept between runs, so coverage
# grows), and fuzzes. A crash leaves its input as build/fuzz/crash-* and exits non-zero.
set -euo pipefail

seconds="${1:-30}"
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tree="$repo/build/fuzz"
corpus="$tree/corpus/explode"

command -v clang++ >/dev/null || { echo "fuzz: clang++ is not installed" >&2; exit 1; }

cmake -S "$repo" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZB_FUZZ=ON >/dev/null
ninja -C "$tree" fuzz_explode make_explode_seeds fuzz_zbpack_archive

mkdir -p "$corpus"
if [ -z "$(ls -A "$corpus")" ]; then
  "$tree/bin/make_explode_seeds" "$corpus"
fi

archives="$tree/corpus/archive"
mkdir -p "$archives"
if [ -z "$(ls -A "$archives")" ]; then
  # One installer of one stored member "a.txt" ("hello"), the script, behind a 64-byte "stub".
  python3 - "$archives/hello.exe" <<'PY'
import struct, sys, zlib
member = struct.pack("<6IQ", 0x000A0004, 6, 5, 0, 5, zlib.crc32(b"hello"), 0) + b"a.txt\0hello"
trailer = struct.pack("<6I", 0x000F0004, 64, 1, 1, 0x000F0004, 5) + b"P".ljust(256, b"\0")
open(sys.argv[1], "wb").write(b"MZ".ljust(64, b"\0") + struct.pack("<I", 0x000E0004) + member + trailer)
PY
fi

half=$(( seconds > 1 ? seconds / 2 : 1 ))
cd "$tree"
"$tree/bin/fuzz_explode" -max_total_time="$half" -max_len=16384 -print_final_stats=1 "$corpus"
exec "$tree/bin/fuzz_zbpack_archive" -max_total_time="$half" -max_len=4096 -print_final_stats=1 \
  "$archives"
