#!/usr/bin/env bash
# Fuzzing: the explode decoder against the readable reference decoder (fuzz_explode), the
# LZMA2 decoder against liblzma's (fuzz_lzma), archive reading with member extraction as the
# stub walks an installer (fuzz_archive), zbpack list, verify and extract on arbitrary
# installers (fuzz_zbpack_archive), and the resource tree reader that pack and verify run on
# programs (fuzz_resources).
#
#   scripts/fuzz.sh [SECONDS]    per target, default 30
#
# Configures build/fuzz with clang and -DZB_FUZZ=ON, builds the targets, writes seed corpora
# into build/fuzz/corpus/{explode,lzma,archive} (kept between runs, so coverage grows): imploded
# streams in every mode and dictionary size, LZMA2 streams of text and machine code (whole and
# split in two members), and three small installers (a stored, an imploded and an LZMA member)
# shared by both archive targets. A crash leaves its input as build/fuzz/crash-* and
# exits non-zero.
set -euo pipefail

seconds="${1:-30}"
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tree="$repo/build/fuzz"

command -v clang++ >/dev/null || { echo "fuzz: clang++ is not installed" >&2; exit 1; }

cmake -S "$repo" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZB_FUZZ=ON >/dev/null
ninja -C "$tree" fuzz_explode fuzz_lzma fuzz_archive fuzz_zbpack_archive fuzz_resources zbpack

corpus="$tree/corpus/explode"
mkdir -p "$corpus"
if [ -z "$(ls -A "$corpus")" ]; then
  # Streams of zbpack's encoder in both literal modes and every dictionary size, each behind
  # its read-pattern byte: the repository's own sources, text and machine code alike.
  scratch=$(mktemp -d)
  n=0
  for input in "$repo/README.md" "$repo/src/explode/explode.cpp" "$tree/bin/zbpack"; do
    head -c 9000 "$input" >"$scratch/in"
    for mode in --binary --ascii; do
      for dict in 1024 2048 4096; do
        "$tree/bin/zbpack" implode $mode --dict $dict --level 9 "$scratch/in" "$scratch/out" >/dev/null
        { printf "\\$(printf %03o $((n % 4)))"; cat "$scratch/out"; } >"$corpus/seed-$n"
        n=$((n + 1))
      done
    done
  done
  rm -rf "$scratch"
fi

corpus="$tree/corpus/lzma"
mkdir -p "$corpus"
if [ -z "$(ls -A "$corpus")" ]; then
  # A control byte (bit 0: split into two members, at the offset in the next two bytes), the
  # dictionary byte (64 KiB) and the raw LZMA2 stream, with and without its end marker.
  python3 - "$corpus" "$repo/README.md" "$repo/src/explode/explode.cpp" "$tree/bin/fuzz_lzma" <<'PY'
import lzma, sys
corpus, inputs = sys.argv[1], sys.argv[2:]
for n, path in enumerate(inputs):
    data = open(path, "rb").read()[:6000]
    for preset in (0, 6):
        raw = lzma.compress(data, format=lzma.FORMAT_RAW,
                            filters=[{"id": lzma.FILTER_LZMA2, "preset": preset, "dict_size": 1 << 16}])
        for split, stream in ((0, raw), (1, raw[:-1])):
            with open(f"{corpus}/seed-{n}-{preset}-{split}", "wb") as f:
                half = len(stream) // 2
                f.write(bytes([split, half >> 8, half & 255, 8]) + stream)
PY
fi

corpus="$tree/corpus/archive"
mkdir -p "$corpus"
if [ -z "$(ls -A "$corpus")" ]; then
  # Installers behind a 64-byte "stub": the script as a stored member, and a text imploded by
  # zbpack's encoder. The records are written here so that the seeds need no real stub.
  scratch=$(mktemp -d)
  for i in $(seq 1 200); do echo "line $i of a text that implodes well"; done >"$scratch/readme.txt"
  "$tree/bin/zbpack" implode --level 2 "$scratch/readme.txt" "$scratch/readme.imp" >/dev/null
  python3 - "$corpus" "$scratch" <<'PY'
import lzma, os, struct, sys, zlib
corpus, scratch = sys.argv[1], sys.argv[2]
def member(name, data, stored, compressed):
    name = name.encode() + b"\0"
    return struct.pack("<6IQ", 0x000A0004, len(name), len(stored), compressed, len(data),
                       zlib.crc32(data), 0) + name + stored
def installer(path, members, total):
    trailer = struct.pack("<6I", 0x000F0004, 64, len(members), 1, 0x000F0004, total)
    trailer += b"Seed".ljust(256, b"\0")
    with open(path, "wb") as f:
        f.write(b"MZ".ljust(64, b"\0") + struct.pack("<I", 0x000E0004) + b"".join(members) + trailer)
script = b";script\r\n>Installing\r\nsetup.exe /q\r\n"
text = open(os.path.join(scratch, "readme.txt"), "rb").read()
imploded = open(os.path.join(scratch, "readme.imp"), "rb").read()
installer(os.path.join(corpus, "stored.exe"), [member("install.zis", script, script, 0)], len(script))
lzma2 = bytes([8]) + lzma.compress(text, format=lzma.FORMAT_RAW, filters=[
    {"id": lzma.FILTER_LZMA2, "preset": 6, "dict_size": 1 << 16}])
installer(os.path.join(corpus, "lzma.exe"),
          [member("install.zis", script, script, 0), member("readme.txt", text, lzma2, 2)],
          len(script) + len(text))
installer(os.path.join(corpus, "imploded.exe"),
          [member("install.zis", script, script, 0), member("readme.txt", text, imploded, 1)],
          len(script) + len(text))
PY
  rm -rf "$scratch"
fi

corpus="$tree/corpus/resources"
mkdir -p "$corpus"
if [ -z "$(ls -A "$corpus")" ]; then
  # The stub's own resource section (loaded at the RVA the target assumes, 0x13000), or an
  # empty tree when the Win32 tree was not built.
  stub="$repo/build/win32/bin/zubrex-stub.exe"
  if [ -f "$stub" ]; then
    i686-w64-mingw32-objcopy -O binary --only-section=.rsrc "$stub" "$corpus/stub-rsrc"
  else
    head -c 16 /dev/zero >"$corpus/empty"
  fi
fi

cd "$tree"
"$tree/bin/fuzz_resources" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 \
  "$tree/corpus/resources"
"$tree/bin/fuzz_explode" -max_total_time="$seconds" -max_len=16384 -print_final_stats=1 \
  "$tree/corpus/explode"
"$tree/bin/fuzz_lzma" -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 \
  "$tree/corpus/lzma"
for target in archive zbpack_archive; do
  "$tree/bin/fuzz_$target" -max_total_time="$seconds" -max_len=16384 -print_final_stats=1 \
    "$tree/corpus/archive"
done
