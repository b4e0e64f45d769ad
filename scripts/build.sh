#!/usr/bin/env bash
# Builds both trees: build/host (native core, zbpack, unit tests, benchmark) and build/win32
# (the stub, zbpack.exe and the Win32 test programs). Installs missing packages first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

configure() {  # dir, extra cmake arguments...
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  fi
}

configure build/host
configure build/win32 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake"
cmake --build build/host
cmake --build build/win32
