#!/usr/bin/env bash
# Peak memory of zbpack on one large member: a sparse file of zeros (default 2 GiB; set
# ZB_MEMORY_BENCH_MIB), packed stored and imploded, then verified and extracted. zbpack moves
# members through fixed buffers, so the peak must not grow with the member's size: run it with
# two sizes and compare. Prints one line per command: seconds and peak resident memory.
# Needs build/host/bin/zbpack and the stub of build/win32 (bash scripts/build.sh). Uses about
# as much free disk space as the member's size (the stored installer and the extracted copy
# are removed as soon as they have been measured).
set -euo pipefail
cd "$(dirname "$0")/.."
zbpack=build/host/bin/zbpack
mib=${ZB_MEMORY_BENCH_MIB:-2048}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

truncate -s "${mib}M" "$work/zeros.bin"
printf 'status line\n' > "$work/install.txt"

measure() {  # label, zbpack arguments...
  local label=$1; shift
  /usr/bin/time -f '%e %M' -o "$work/time" "$zbpack" "$@" >/dev/null
  read -r seconds kib < "$work/time"
  printf '%-34s %8s s  peak %6d KiB\n' "$label" "$seconds" "$kib"
}

echo "member: ${mib} MiB of zeros (sparse)"
measure "pack --method stored" pack -o "$work/stored.exe" --product Memory --method stored \
  --script install.txt "$work/install.txt" "$work/zeros.bin"
measure "verify (stored)" verify "$work/stored.exe"
rm -f "$work/stored.exe"
measure "pack --level 2 (imploded)" pack -o "$work/imploded.exe" --product Memory --level 2 \
  --script install.txt "$work/install.txt" "$work/zeros.bin"
measure "verify (imploded)" verify "$work/imploded.exe"
measure "extract (imploded)" extract -C "$work/out" "$work/imploded.exe"
rm -rf "$work/out"
