#!/usr/bin/env bash
# Builds everything and runs a demo installer under Wine: packs a sample product (a few
# files, an install script with status lines, and our small setup program), starts the
# installer, answers for the user, and prints what the user saw and what was left on disk.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
bash scripts/build.sh >/dev/null

source scripts/wine-env.sh
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

robot() { "$ZB_WINE" "$win/zbrobot.exe" "$@"; }
# A value of res/resource.h as the stub sees it: a control id, or a caption without its quotes.
resource() {
  printf '#include "resource.h"\n%s\n' "$1" | cpp -P -I res - | tail -n 1 |
    sed 's/" *"//g; s/^"//; s/"$//'
}
status_text=$(resource IDC_STATUS_TEXT)
status_ok=$(resource IDC_OK)
tmp_win=$("$ZB_WINE" winepath -w "$demo/tmp")

echo "== running $installer under Wine ($WINEARCH build, TEMP=$tmp_win)"
# The installer inherits the robot's output: into a file, so that nothing waits for it to end.
robot run-stub "$("$ZB_WINE" winepath -w "$installer")" "$tmp_win" > "$demo/stub.pid"
pid=$(tr -d '\r' < "$demo/stub.pid")
echo "question box:"
robot answer "$(resource ZB_APP_TITLE)" yes 30000 | sed 's/^/    /'
echo "    -> Yes"

status=$(robot wait-window "#32770" "$(resource ZB_STATUS_CAPTION)" 60000 | tr -d '\r')
echo "status window:"
last=""
for _ in $(seq 1 600); do
  text=$(robot text "$status" "$status_text" 2>/dev/null | tr -d '\r' || true)
  if [ -n "$text" ] && [ "$text" != "$last" ]; then echo "    \"$text\""; last=$text; fi
  [ "$(robot enabled "$status" "$status_ok" 2>/dev/null | tr -d '\r')" = "1" ] && break
  sleep 0.1
done
echo "    OK enabled: $(robot enabled "$status" "$status_ok" | tr -d '\r')"
# Watch for the end before pressing OK: a process that has already ended can no longer be
# opened to read its exit code.
robot wait-exit "$pid" 60000 > "$demo/stub.exit" &
watcher=$!
sleep 0.5
robot press "$status" "$status_ok"
echo "    -> OK"
wait "$watcher" || true
echo "exit code: $(tr -d '\r' < "$demo/stub.exit")"
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
