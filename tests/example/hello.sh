#!/usr/bin/env bash
# examples/hello against a fresh install of this project (build/host installed into a new
# prefix): found by find_package, built by zubrex_add_installer and by `cpack -G External`,
# rebuilt exactly when needed, and run under Wine to OK with its program's output checked.
# Needs the trees of scripts/build.sh. Prints one line per check and last
# "example: N passed, N failed"; exits 0 when all passed.
set -uo pipefail
cd "$(dirname "$0")/../.."
repo=$PWD
source scripts/wine-env.sh
work=build/example src="build/example/my hello" log=build/example/check.log passed=0 failed=0
rm -rf "$work" && mkdir -p "$work" && cp -r examples/hello "$src"

check() {  # description, command...
  local what=$1; shift
  if "$@" >"$log" 2>&1; then
    echo "ok: $what"; passed=$((passed + 1))
  else
    echo "FAIL: $what"; sed 's/^/    /' "$log"; failed=$((failed + 1))
  fi
}
configure() {  # tree, toolchain file, cmake arguments...
  cmake -S "$src" -B "$work/$1" -DCMAKE_PREFIX_PATH="$repo/$work/prefix" \
    -DCMAKE_TOOLCHAIN_FILE="$repo/$2" "${@:3}"
}
zbpack() { "$work/prefix/bin/zbpack" "$@"; }
# Every member at the epoch's time, "docs\readme.txt" below its folder.
epoch=1700000000
members() {  # installer
  zbpack verify -q "$1" || return 1
  local listed expected=$'2023-11-14 22:13:20 docs\\readme.txt\n2023-11-14 22:13:20 greeting.txt\n2023-11-14 22:13:20 hello.exe\n2023-11-14 22:13:20 install.txt'
  listed=$(zbpack list "$1" | awk '$1 ~ /^[0-9]+$/ { print $6, $7, $8 }' | sort -k3)
  [ "$listed" = "$expected" ] || { echo "members:"; echo "$listed"; return 1; }
}
packs() {  # yes|no: whether a build of the i686 tree packs the installer again
  local out packed=no
  out=$(cmake --build "$work/i686" 2>&1) && grep -q 'Packing the installer' <<<"$out" && packed=yes
  [ "$packed" = "$1" ] || { echo "$out"; return 1; }
}
added_file_packs() {  # and removed again
  echo later >"$src/payload/docs/later.txt"
  packs yes; local ok=$?
  rm "$src/payload/docs/later.txt"
  packs yes && [ $ok = 0 ]
}
missing_file_fails() {
  local out ok=1
  mv "$src/install.txt" "$work/"
  out=$(cmake --build "$work/i686" 2>&1)
  [ $? != 0 ] && grep -q "^zbpack: .*install.txt: the script: cannot open" <<<"$out" && ok=0
  mv "$work/install.txt" "$src/"
  echo "$out"
  return $ok
}
cpack_package() {
  (cd "$work/i686" && SOURCE_DATE_EPOCH=$epoch cpack -G External) &&
    members "$work/i686/Hello-1.0-win32.exe"
}
greeted() {  # installer
  local result=$WINEPREFIX/drive_c/hello-greeting.txt
  rm -f "$result"
  bash scripts/robot-install.sh "$1" "$repo/$work/tmp" &&
    [ "$(tr -d '\r' < "$result")" = $'Hello from a Zubrex installer!\nhello.exe ran.' ]
}

check "find_package(Zubrex 1.0) from a fresh install prefix (i686 build)" eval 'cmake --install \
  build/host --prefix "$work/prefix" && configure i686 cmake/mingw-i686.cmake -DSOURCE_DATE_EPOCH=$epoch'
check "zubrex_add_installer: HelloSetup.exe verifies, members and folders" \
  eval 'cmake --build "$work/i686" && members "$work/i686/HelloSetup.exe"'
check "a second build with nothing changed packs nothing" packs no
check "touching a packed file packs again" eval 'touch "$src/payload/greeting.txt" && packs yes'
check "a file added to a packed folder packs again" added_file_packs
check "a missing file fails the build with zbpack's message" missing_file_fails
check "cpack -G External: Hello-1.0-win32.exe verifies, components merged" cpack_package

installer=$work/i686/HelloSetup.exe
if [ "$WINEARCH" = win64 ]; then
  # The i686 installer cannot run here: the same example for x86-64, with that tree's stub.
  check "the x86-64 build with ZUBREX_STUB=$ZB_WIN_TREE's stub" eval 'configure x86_64 \
    "$ZB_WIN_TOOLCHAIN" -DZUBREX_STUB="$repo/$ZB_WIN_TREE/bin/zubrex-stub.exe" && cmake --build "$work/x86_64"'
  installer=$work/x86_64/HelloSetup.exe
fi
check "$installer under Wine ($WINEARCH) runs hello.exe to OK" greeted "$installer"
bash scripts/wine-prefix.sh down
echo "example: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
