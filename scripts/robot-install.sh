#!/usr/bin/env bash
# Runs an installer under Wine as its user would, with the robot (zbrobot) at the controls:
# answers Yes to the question, prints each text the status window shows, presses OK once it is
# enabled, and prints the installer's exit code. Exits 0 when the installer ended with 0.
#
#   robot-install.sh INSTALLER TMPDIR   (TMPDIR: a Unix folder, the installer's TEMP)
#
# Wine, its prefix and the robot's build tree come from scripts/wine-env.sh.
set -euo pipefail
installer=$1
tmp=$2
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/scripts/wine-env.sh"
bash "$repo/scripts/wine-prefix.sh" up

robot() { "$ZB_WINE" "$repo/$ZB_WIN_TREE/bin/zbrobot.exe" "$@"; }
# A value of res/resource.h as the stub sees it: a control id, or a caption without its quotes.
resource() {
  printf '#include "resource.h"\n%s\n' "$1" | cpp -P -I "$repo/res" - | tail -n 1 |
    sed 's/" *"//g; s/^"//; s/"$//'
}
status_text=$(resource IDC_STATUS_TEXT)
status_ok=$(resource IDC_OK)
mkdir -p "$tmp"
tmp_win=$("$ZB_WINE" winepath -w "$tmp")

echo "== running $installer under Wine ($WINEARCH build, TEMP=$tmp_win)"
# The installer inherits the robot's output: into a file, so that nothing waits for it to end.
robot run-stub "$("$ZB_WINE" winepath -w "$installer")" "$tmp_win" > "$tmp/stub.pid"
pid=$(tr -d '\r' < "$tmp/stub.pid")
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
robot wait-exit "$pid" 60000 > "$tmp/stub.exit" &
watcher=$!
sleep 0.5
robot press "$status" "$status_ok"
echo "    -> OK"
wait "$watcher" || true
code=$(tr -d '\r' < "$tmp/stub.exit")
echo "exit code: $code"
[ "$code" = 0 ]
