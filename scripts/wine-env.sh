# Sourced by every script that runs Windows programs: which Wine, which prefix, which build tree.
#
# The stub is a 32-bit program and is tested as one, under 32-bit Wine (build/win32, prefix
# build/wineprefix). A kernel without IA-32 emulation cannot start any 32-bit program, Wine's
# own loader included; there the same sources are built for x86-64 (build/win64) and run under
# 64-bit Wine (prefix build/wineprefix64), so that the windows, files and processes are still
# tested for real. build/win32 is built either way: it holds the stub that is shipped.
#
# Sets and exports: WINEARCH (win32 or win64; kept when already set), WINEPREFIX (kept when set),
# WINEDEBUG, WINEDLLOVERRIDES; sets ZB_WINE (the command that runs a Windows program), ZB_WINESERVER,
# ZB_WIN_TREE (the build tree whose programs run here, relative to the repository),
# ZB_WIN_TOOLCHAIN (that tree's CMake toolchain file, relative to the repository) and
# ZB_HOST32_EMULATOR (what runs the 32-bit Linux test programs of build/host32: empty where
# the kernel runs them itself, else qemu-i386).

zb_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# True when this machine can run 32-bit x86 programs. Asked of the kernel, so that it is
# known before Wine is installed (and so which Wine to install): a 95-byte i386 Linux program,
# one exit(42) system call, is run from the build folder (/tmp may forbid running programs).
zb_can_run_i386() {
  mkdir -p "$zb_repo/build"
  local probe status=0
  probe=$(mktemp "$zb_repo/build/.i386-probe.XXXXXX") || return 1
  printf '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08\x34\0\0\0\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x5f\0\0\0\x5f\0\0\0\x05\0\0\0\0\x10\0\0\x31\xdb\xb3\x2a\xb8\x01\0\0\0\xcd\x80' \
    > "$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" = 42 ]
}

if [ -z "${WINEARCH:-}" ]; then
  if zb_can_run_i386; then WINEARCH=win32; else WINEARCH=win64; fi
fi
if zb_can_run_i386; then ZB_HOST32_EMULATOR=""; else ZB_HOST32_EMULATOR=qemu-i386; fi
if [ "$WINEARCH" = win64 ]; then
  # /usr/bin/wine prefers the 32-bit loader whenever it is installed, runnable or not.
  ZB_WINE=/usr/lib/wine/wine64
  ZB_WINESERVER=/usr/lib/wine/wineserver64
  ZB_WIN_TREE=build/win64
  ZB_WIN_TOOLCHAIN=cmake/mingw-x86_64.cmake
  WINEPREFIX="${WINEPREFIX:-$zb_repo/build/wineprefix64}"
else
  ZB_WINE=wine
  ZB_WINESERVER=wineserver
  ZB_WIN_TREE=build/win32
  ZB_WIN_TOOLCHAIN=cmake/mingw-i686.cmake
  WINEPREFIX="${WINEPREFIX:-$zb_repo/build/wineprefix}"
fi
export WINEARCH WINEPREFIX WINEDEBUG=-all
# Without these, a new prefix spends minutes trying to fetch and install Mono and Gecko.
export WINEDLLOVERRIDES="mscoree=;mshtml="
