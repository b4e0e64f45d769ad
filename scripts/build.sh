#!/usr/bin/env bash
# Builds the trees: build/host (native core, zbpack, unit tests, benchmark), build/host32 (the
# same core, zbpack and unit tests as 32-bit x86 code), build/win32 (the stub, zbpack.exe and
# the Win32 test programs), and on a machine that cannot run 32-bit
# programs also build/win64 (the same for x86-64, to run the Win32 tests under 64-bit Wine;
# see scripts/wine-env.sh). Installs missing packages first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

# A tree that scripts/demo.sh made has no tests yet: configured again, with them.
configure() {  # dir, extra cmake arguments...
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ] || grep -qx 'ZB_TESTS:BOOL=OFF' "$dir/CMakeCache.txt"; then
    cmake -S . -B "$dir" -G Ninja -DZB_TESTS=ON "$@" >/dev/null
  fi
}

source scripts/wine-env.sh
configure build/host
configure build/win32 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake"
configure build/host32 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/linux-i686.cmake" \
  -DZB_HOST32_EMULATOR="$ZB_HOST32_EMULATOR"
cmake --build build/host
cmake --build build/win32
cmake --build build/host32
if [ "$ZB_WIN_TREE" = build/win64 ]; then
  configure build/win64 -DCMAKE_TOOLCHAIN_FILE="$PWD/$ZB_WIN_TOOLCHAIN"
  cmake --build build/win64
fi
