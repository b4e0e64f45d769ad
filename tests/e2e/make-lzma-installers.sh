#!/usr/bin/env bash
# Fixture of the end-to-end cases of LZMA installers, run on the host before the Wine tests
# (zbpack.exe has no LZMA encoder): packs BIN/lzma/plain.exe (--method lzma) and
# BIN/lzma/solid.exe (--method lzma --solid) from BIN/lzma/in with the host zbpack, members of
# every size that matters (0, 1, 2 bytes, each side of the 64 KiB uncompressed-chunk and 2 MiB
# LZMA-chunk limits, a few MB), and extracts both with the host zbpack, checking every member's
# bytes and time. Without the host zbpack it writes the reason to BIN/lzma/skipped instead.
#   make-lzma-installers.sh ZBPACK BIN
set -euo pipefail
zbpack=$1
bin=$(cd "$2" && pwd)
rm -rf "$bin/lzma"
mkdir -p "$bin/lzma/in"
cd "$bin/lzma"
if [ ! -x "$zbpack" ]; then
  echo "the host zbpack ($zbpack) is not built (scripts/build.sh)" | tee skipped
  exit 0
fi

cp "$bin/zbscripttool.exe" in/setup.exe
printf '>Checking the LZMA installer\r\n#ZbE2ELzma setup.exe held\r\n' >in/install.txt
: >in/empty.dat
printf 'a' >in/one.dat
printf 'ab' >in/two.dat
for size in 65535 65536 65537; do head -c "$size" /dev/urandom >"in/noise-$size.bin"; done
python3 - <<'PY'
import random
rng = random.Random(20)
words = [bytes(rng.choice(b"etaoinshrdlu") for _ in range(rng.randint(2, 9))) for _ in range(400)]
def text(size):
    out = bytearray()
    while len(out) < size:
        out += rng.choice(words) + (b"\r\n" if rng.random() < 0.1 else b" ")
    return bytes(out[:size])
for size in (2097151, 2097152, 2097153):
    open(f"in/text-{size}.txt", "wb").write(text(size))
open("in/mixed.bin", "wb").write(text(2 << 20) + rng.randbytes(1 << 20) + text(700001))
PY
n=0
for file in in/*; do touch -d "@$((1600000000 + 86400 * n)).$((n * 1234567 % 10000000))00" "$file"; n=$((n + 1)); done

for mode in plain solid; do
  # Low levels keep the fixture quick; the format's every feature is used at any level.
  extra=(--level 1)
  [ "$mode" = solid ] && extra+=(--solid)
  "$zbpack" pack -q -o "$mode.exe" --stub "$bin/zubrex-stub.exe" --product "LZMA Product" \
    --script install.txt --method lzma "${extra[@]}" in/*
  "$zbpack" verify -q "$mode.exe"
  "$zbpack" extract -q -C "host-$mode" "$mode.exe"
  for file in in/*; do
    name=${file#in/}
    cmp "$file" "host-$mode/$name"
    [ "$(stat -c %y "$file")" = "$(stat -c %y "host-$mode/$name")" ] ||
      { echo "host-$mode/$name: time differs" >&2; exit 1; }
  done
done
