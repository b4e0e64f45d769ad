#!/usr/bin/env bash
# The LZMA method's goals, measured on a product tree of real Windows binaries and texts: the
# larger DLLs of Wine's i386-windows folder and the data of Debian's nsis package (which it
# installs, with makensis).
#   - size: zbpack --method lzma --solid (best level) against NSIS's SetCompressor /SOLID lzma
#     of the same files (goal: at most 0.95 of NSIS's size), and the default implode method;
#   - the installation under Wine, Yes to the enabled OK, LZMA against implode (goal: at
#     most 1.5 s longer), and the decoder alone in MB/s, natively and as the i686 build;
#   - the stub's peak working set during those runs (goal: LZMA at most the dictionary plus
#     1 MiB above implode), and the stub's size.
# Usage: bench/lzma_vs_nsis.sh [MEGABYTES_OF_DLLS]   (default 56)
set -euo pipefail
cd "$(dirname "$0")/.."
mb=${1:-56}
bash scripts/build.sh >/dev/null
if ! command -v makensis >/dev/null; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get install -y -qq --no-install-recommends nsis >/dev/null
fi
source scripts/wine-env.sh
bash scripts/wine-prefix.sh up
win=$ZB_WIN_TREE/bin
winpath() { "$ZB_WINE" winepath -w "$1"; }

work=build/bench-lzma
rm -rf "$work"
mkdir -p "$work/tree/wine" "$work/tree/nsis" "$work/tmp"
# The largest DLLs first, up to the size asked for; then all of the nsis package's data.
ls -S /usr/lib/i386-linux-gnu/wine/i386-windows/*.dll | while read -r dll; do
  cp "$dll" "$work/tree/wine/"
  [ "$(du -sm "$work/tree/wine" | cut -f1)" -ge "$mb" ] && break
done
cp -r /usr/share/nsis/. "$work/tree/nsis/"
files=$(find "$work/tree" -type f | wc -l)
tree_mb=$(python3 -c "import os; print(f'{sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(\"$work/tree\") for f in fs) / 1e6:.1f}')")
echo "tree: $files files, $tree_mb MB"

seconds() { python3 -c 'import time; print(time.time())'; }
size() { stat -c %s "$1"; }
pack() {  # name, zbpack pack options...
  local name=$1; shift
  local t0; t0=$(seconds)
  build/host/bin/zbpack pack -q -o "$work/$name.exe" --stub "$win/zubrex-stub.exe" \
    --product "Benchmark" "$@" "$work/tree"
  echo "$name: $(size "$work/$name.exe") bytes, packed in $(python3 -c "print(f'{$(seconds) - $t0:.0f}')") s"
}
pack implode
pack lzma --method lzma --solid --level 9

cat >"$work/bench.nsi" <<'NSI'
Unicode true
Name "Benchmark"
OutFile "nsis.exe"
RequestExecutionLevel user
SetCompressor /SOLID lzma
Section
  SetOutPath "$TEMP\bench"
  File /r "tree/*.*"
SectionEnd
NSI
(cd "$work" && makensis -V1 bench.nsi >/dev/null)
echo "nsis: $(size "$work/nsis.exe") bytes (SetCompressor /SOLID lzma)"
python3 -c "print(f'lzma / nsis: {$(size "$work/lzma.exe") / $(size "$work/nsis.exe"):.3f} (goal: at most 0.95)')"

run() {  # name -> "ms kb": the quickest of three runs (the machine may be shared), the peak
  local i
  for i in 1 2 3; do
    rm -rf "$work/tmp"; mkdir -p "$work/tmp"
    "$ZB_WINE" "$win/zbstubtimer.exe" "$(winpath "$work/$1.exe")" "$(winpath "$work/tmp")" |
      tr -d '\r' | awk '/yes_to_ok_ms/ {ms = $2} /peak_working_set_kb/ {kb = $2} END {print ms, kb}'
  done | sort -n | awk 'NR == 1 {ms = $1} $2 > kb {kb = $2} END {print ms, kb}'
}
read -r implode_ms implode_kb < <(run implode)
read -r lzma_ms lzma_kb < <(run lzma)
echo "install, Yes to OK (best of 3): implode $implode_ms ms, lzma $lzma_ms ms," \
  "difference $((lzma_ms - implode_ms)) ms (goal: at most 1500)"
# The dictionary: the first member's first data byte.
dict_kb=$(python3 - "$work/lzma.exe" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
offset = struct.unpack_from("<I", data, len(data) - 280 + 4)[0] + 4
name_length = struct.unpack_from("<I", data, offset + 4)[0]
b = data[offset + 32 + name_length]
print(((2 | (b & 1)) << (b // 2 + 11)) // 1024)
PY
)
echo "peak working set: implode $implode_kb KiB, lzma $lzma_kb KiB, growth" \
  "$((lzma_kb - implode_kb)) KiB (goal: at most the dictionary, $dict_kb KiB, plus 1024)"
echo "decoder alone: $(build/host/bin/zblzmabench "$work/lzma.exe" | awk '/MB\/s/ {print $2}') MB/s" \
  "native, $("$ZB_WINE" "$win/zblzmabench.exe" "$(winpath "$work/lzma.exe")" | tr -d '\r' |
  awk '/MB\/s/ {print $2}') MB/s as the i686 build under Wine"
echo "stub: $(size build/win32/bin/zubrex-stub.exe) bytes (limit 73728)"
