#!/usr/bin/env bash
# Installs the Debian packages that a caller needs:
#   install-deps.sh [all]   everything: the builds, the tests, fuzzing, screenshots, signing
#   install-deps.sh demo    only what scripts/demo.sh builds and runs
# Idempotent: a machine that already has them pays one dpkg query and nothing else.
set -euo pipefail
need=${1:-all}

# zbpack (host) and the Windows programs the demo runs.
packages_demo=(cmake ninja-build g++ nlohmann-json3-dev)
# The rest of the builds and tests.
packages_all=(
  g++-multilib libgtest-dev liblzma-dev:i386
  clang libclang-rt-14-dev clang-format
  xvfb imagemagick
  python3 python3-pil fonts-dejavu-core time
  osslsigncode openssl liblzma-dev
)
# The Windows tree that runs here (scripts/wine-env.sh): i686 under 32-bit Wine, or, where
# 32-bit programs cannot run, x86-64 under 64-bit Wine (no i386 packages then). Only the
# posix-thread compilers, which cmake/mingw-toolchain.cmake uses.
packages_win32=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine32:i386)
packages_win64=(wine64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
install_missing() {  # package...
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "install-deps: installing ${missing[*]}"
  if [[ " ${missing[*]}" == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
wanted=("${packages_demo[@]}")
if [ "$WINEARCH" = win64 ]; then wanted+=("${packages_win64[@]}"); else wanted+=("${packages_win32[@]}"); fi
case $need in
  demo) ;;
  # The shipped stub is the i686 one: the full build makes (and keeps testable) build/win32
  # wherever it runs.
  all) wanted+=("${packages_all[@]}" "${packages_win32[@]}") ;;
  *) echo "usage: install-deps.sh [all|demo]" >&2; exit 2 ;;
esac
# The 32-bit host tests run under qemu-i386 where the kernel cannot run 32-bit programs.
if [ "$need" = all ] && [ -n "$ZB_HOST32_EMULATOR" ]; then wanted+=(qemu-user); fi
install_missing "${wanted[@]}"
