#!/usr/bin/env bash
# Installs every package the build, the tests and the demo need, on Debian.
# Idempotent: a machine that already has them pays one dpkg query and nothing else.
set -euo pipefail

packages=(
  cmake ninja-build g++ g++-multilib libgtest-dev nlohmann-json3-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  wine wine32:i386
  clang libclang-rt-14-dev
  xvfb imagemagick
  python3 python3-pil fonts-dejavu-core time
  osslsigncode openssl
)

# A kernel without IA-32 emulation cannot run 32-bit Wine: the Win32 tests then run as an
# x86-64 build under 64-bit Wine (scripts/wine-env.sh), which needs these as well; the
# 32-bit host tests then run under qemu-i386.
packages_win64=(wine64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
updated=0
install_missing() {  # package...
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "install-deps: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    updated=0
  fi
  export DEBIAN_FRONTEND=noninteractive
  [ "$updated" = 1 ] || { $SUDO apt-get update -qq; updated=1; }
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

install_missing "${packages[@]}"
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
if [ "$WINEARCH" = win64 ]; then install_missing "${packages_win64[@]}"; fi
if [ -n "$ZB_HOST32_EMULATOR" ]; then install_missing qemu-user; fi
