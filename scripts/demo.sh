#!/usr/bin/env bash
# Runs a demo installer under Wine: packs a sample product (a few files, an install script
# with status lines, and our small setup program), starts the installer, answers for the user,
# and prints what the user saw and what was left on disk. Installs and builds only what it
# runs: zbpack, and the stub, the setup program and the robot of the Windows tree that runs
# here (scripts/wine-env.sh), without the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
bash scripts/install-deps.sh demo

source scripts/wine-env.sh
# Trees made here leave the tests out (no GoogleTest needed); scripts/build.sh adds them later.
configure() {  # dir, extra cmake arguments...
  local dir=$1; shift
  [ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja -DZB_TESTS=OFF "$@" >/dev/null
}
configure build/host
configure "$ZB_WIN_TREE" -DCMAKE_TOOLCHAIN_FILE="$PWD/$ZB_WIN_TOOLCHAIN"
cmake --build build/host --target zbpack >/dev/null
cmake --build "$ZB_WIN_TREE" --target zubrex-stub demo-setup zbrobot >/dev/null
bash scripts/wine-prefix.sh up
win=$ZB_WIN_TREE/bin

demo=build/demo
rm -rf "$demo"
mkdir -p "$demo/product" "$demo/tmp"
rm -rf "$WINEPREFIX/drive_c/ZubrexDemo"

# The sample product.
cp "$win/demo-setup.exe" "$demo/product/demo-setup.exe"
cat > "$demo/product/readme.txt" <<'TEXT'
Zubrex Demo
===========
This file was carried inside a self-extracting installer, imploded, and put back here
by the demo's setup program.
TEXT
cp /usr/share/common-licenses/GPL-3 "$demo/product/license.txt"
head -c 300000 /usr/bin/cmake > "$demo/product/engine.bin"
printf '; Zubrex demo install script\r\n>Preparing the demo installation ...\r\n>Copying the demo files ...\r\ndemo-setup.exe readme.txt license.txt engine.bin\r\n>Finishing ...\r\n' \
  > "$demo/product/install.txt"

zbpack=build/host/bin/zbpack
installer="$demo/ZubrexDemoSetup.exe"
(cd "$demo/product" && "$repo/$zbpack" pack -o "$repo/$installer" \
  --stub "$repo/$win/zubrex-stub.exe" --product "Zubrex Demo" --script install.txt \
  install.txt demo-setup.exe readme.txt license.txt engine.bin)
echo
"$zbpack" list "$installer"
echo

bash scripts/robot-install.sh "$installer" "$demo/tmp" || true
echo

echo "== left on disk"
if [ -d "$demo/tmp/ZubrexInstall" ]; then
  echo "work directory: still there ($tmp_win\\ZubrexInstall)"
else
  echo "work directory: removed"
fi
echo "installed by the setup program (C:\\ZubrexDemo):"
ls -l "$WINEPREFIX/drive_c/ZubrexDemo" | sed 's/^/    /'
echo "install.log:"
sed 's/^/    /' "$WINEPREFIX/drive_c/ZubrexDemo/install.log"
for f in readme.txt license.txt engine.bin; do
  cmp -s "$demo/product/$f" "$WINEPREFIX/drive_c/ZubrexDemo/$f" \
    && echo "    $f: identical to the packed file" || echo "    $f: DIFFERS from the packed file"
done
