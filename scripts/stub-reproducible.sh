#!/usr/bin/env bash
# Builds the stub a second time, in a fresh tree at another path and without the compiler
# cache, and compares it byte for byte with build/win32's: the same sources must give the same
# stub (no time stamps, no build paths), so that packing the same files gives the same
# installer. Prints the seconds it took; exits 1 when the two differ.
set -euo pipefail
cd "$(dirname "$0")/.."
reference=build/win32/bin/zubrex-stub.exe
[ -f "$reference" ] || { echo "no $reference: run scripts/build.sh first"; exit 1; }
start=$(date +%s)
tree=$(mktemp -d "${TMPDIR:-/tmp}/zubrex-repro-XXXXXX")
trap 'rm -rf "$tree"' EXIT
env -u CMAKE_CXX_COMPILER_LAUNCHER -u CMAKE_C_COMPILER_LAUNCHER \
  cmake -S . -B "$tree" -G Ninja -DZB_TESTS=OFF \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$tree" --target zubrex-stub >/dev/null
if cmp "$reference" "$tree/bin/zubrex-stub.exe"; then
  echo "stub reproducible: two builds give the same $(stat -c %s "$reference") bytes ($(( $(date +%s) - start )) s)"
else
  echo "stub NOT reproducible: $reference differs from a second build"
  exit 1
fi
