#!/usr/bin/env bash
# The stub's extraction speed under Wine, beside the codec's raw decode of the same data.
# Builds a 64 MB installer (four 8 MB text-like and four 8 MB binary-like members), once
# imploded and once stored, times `zbpack pack`, times the real stub from Yes to the enabled
# OK (through the robot), and times `zbpack verify` (decode + CRC-32, no files) on the same
# installer, natively and as the i686 build under Wine.
# Usage: bench/stub/stub_extract.sh [MEGABYTES_PER_MEMBER]   (default 8)
set -euo pipefail
cd "$(dirname "$0")/../.."
repo=$PWD
mb=${1:-8}
bash scripts/build.sh >/dev/null
source scripts/wine-env.sh
bash scripts/wine-prefix.sh up
win=$ZB_WIN_TREE/bin
winpath() { "$ZB_WINE" winepath -w "$1"; }

work=build/bench-stub
rm -rf "$work"
mkdir -p "$work/members" "$work/tmp"

# Text-like: licences and copyright files, numbered per pass so that passes do not repeat
# each other verbatim. Binary-like: programs of this machine, in name order.
python3 - "$work/members" "$mb" <<'PY'
import glob, os, sys
out, mb = sys.argv[1], int(sys.argv[2])
size = mb * 1024 * 1024
def fill(paths, numbered):
    data, n = bytearray(), 0
    while len(data) < size * 4:
        n += 1
        for path in paths:
            try:
                with open(path, 'rb') as f:
                    chunk = f.read()
            except OSError:
                continue
            if numbered:
                chunk = b''.join(b'%d: %s\n' % (n, line) for line in chunk.split(b'\n'))
            data += chunk
            if len(data) >= size * 4:
                break
    return data
text = fill(sorted(glob.glob('/usr/share/common-licenses/*')) + sorted(glob.glob('/usr/share/doc/*/copyright')), True)
binary = fill(sorted(p for p in glob.glob('/usr/bin/*') if os.path.isfile(p)), False)
for i in range(4):
    open(os.path.join(out, 'text%d.txt' % i), 'wb').write(text[i * size:(i + 1) * size])
    open(os.path.join(out, 'binary%d.bin' % i), 'wb').write(binary[i * size:(i + 1) * size])
PY
total_mb=$(python3 -c "import os,sys; d='$work/members'; print(f'{sum(os.path.getsize(os.path.join(d,f)) for f in os.listdir(d))/1048576:.1f}')")

seconds() { python3 -c 'import sys,time; print(time.time())'; }
elapsed() { python3 -c "print(f'{$2 - $1:.2f}')"; }
rate() { python3 -c "print(f'{$1 / max($2, 1e-9):.1f}')"; }

echo "members: $(ls "$work/members" | wc -l) files, $total_mb MB in all"
printf '%-9s %10s %10s %10s %12s %12s %14s %14s\n' method packed_MB ratio pack_MB/s \
  stub_s stub_MB/s verify_host_MB/s verify_i686_MB/s
for method in implode stored; do
  installer="$work/setup-$method.exe"
  t0=$(seconds)
  build/host/bin/zbpack pack -o "$installer" --stub "$win/zubrex-stub.exe" \
    --product "Benchmark" --method "$method" "$work"/members/* >/dev/null
  t1=$(seconds)
  pack_s=$(elapsed "$t0" "$t1")
  packed_mb=$(python3 -c "import os; print(f'{os.path.getsize(\"$installer\")/1048576:.1f}')")
  ratio=$(python3 -c "print(f'{$packed_mb / $total_mb * 100:.1f}%')")

  t0=$(seconds); build/host/bin/zbpack verify "$installer" >/dev/null; t1=$(seconds)
  verify_host=$(elapsed "$t0" "$t1")
  t0=$(seconds); "$ZB_WINE" "$win/zbpack.exe" verify "$(winpath "$installer")" >/dev/null; t1=$(seconds)
  verify_i686=$(elapsed "$t0" "$t1")

  rm -rf "$work/tmp"; mkdir -p "$work/tmp"
  stub_ms=$("$ZB_WINE" "$win/zbstubtimer.exe" "$(winpath "$installer")" "$(winpath "$work/tmp")" \
    | tr -d '\r' | awk '/yes_to_ok_ms/ {print $2}')
  # The run waits 2 s under the splash and 1 s with the full bar by design; the rest is work.
  stub_work_s=$(python3 -c "print(f'{$stub_ms / 1000 - 3:.2f}')")
  printf '%-9s %10s %10s %10s %12s %12s %14s %14s\n' "$method" "$packed_mb" "$ratio" \
    "$(rate "$total_mb" "$pack_s")" "$(python3 -c "print(f'{$stub_ms/1000:.2f}')")" \
    "$(rate "$total_mb" "$stub_work_s")" "$(rate "$total_mb" "$verify_host")" "$(rate "$total_mb" "$verify_i686")"
done
echo "stub_s is Yes to the enabled OK; stub_MB/s leaves out the 3 s of fixed waits (splash, full bar)."
