#!/usr/bin/env bash
# Screenshots of the stub's windows, for looking at the resources as a user sees them, at 96
# and at 192 DPI (Wine's LogPixels; the stub is DPI-aware through its manifest, so its dialogs
# scale with the system font and nothing is stretched as a bitmap), into OUTDIR/96dpi and
# OUTDIR/192dpi:
#
#   1-question.png   the Yes/No question
#   2-splash.png     the splash during its two-second pause
#   3-progress.png   the splash with the progress window below it
#   4-status.png     the status window with the final text and OK enabled
#   5-error.png      the error box of an archive with a wrong CRC-32
#
# Runs the real stub under Xvfb with Wine's X11 driver, in a Wine prefix of its own (switching a
# prefix between the null driver of the tests and X11 would need its wineserver restarted under
# running tests). The robot (zbrobot) answers and presses buttons through Win32 messages.
#
#   scripts/screenshots.sh [OUTDIR]      (default build/screenshots)
#
# Needs the Win32 tree with zubrex-stub and zbrobot, the host tree with zbpack and zbdamage (a
# test tool: the tree configured with ZB_TESTS), and Xvfb and ImageMagick's import.
# ZB_WIN32_TREE, ZB_HOST_TREE and ZB_SCREEN_PREFIX override the defaults.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${ZB_SCREEN_PREFIX:-$repo/build/wineprefix-x11}"
source "$repo/scripts/wine-env.sh"
win32_tree="${ZB_WIN32_TREE:-$repo/$ZB_WIN_TREE}"
host_tree="${ZB_HOST_TREE:-$repo/build/host}"
out="${1:-$repo/build/screenshots}"
stub="$win32_tree/bin/zubrex-stub.exe"
robot_exe="$win32_tree/bin/zbrobot.exe"
zbpack="$host_tree/bin/zbpack"
zbdamage="$host_tree/bin/zbdamage"

die() { echo "screenshots: $*" >&2; exit 1; }
for tool in Xvfb import "$ZB_WINE"; do
  command -v "$tool" >/dev/null || die "$tool is not installed"
done
for file in "$stub" "$robot_exe" "$zbpack" "$zbdamage"; do
  [ -f "$file" ] || die "missing $file: build it first"
done


work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  "$ZB_WINESERVER" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display of its own: the first free number from 90 on.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done

# The prefix: made headless by the shared script, then switched to X11. Without a window
# manager, Wine waits about two seconds on every hidden or destroyed managed window, so the
# windows are left unmanaged.
"$repo/scripts/wine-prefix.sh" init >/dev/null
"$ZB_WINESERVER" -k >/dev/null 2>&1 || true
"$ZB_WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
"$ZB_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
setsid "$ZB_WINESERVER" -p </dev/null >/dev/null 2>&1 || true
"$ZB_WINE" wineboot </dev/null >/dev/null 2>&1 || true

robot() { "$ZB_WINE" "$robot_exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
shot() { import -window root "$dir/$1"; echo "screenshots: $dir/$1"; }

# The system DPI Wine reports (and scales the dialog font by); read when the wineserver starts.
set_dpi() {
  "$ZB_WINESERVER" -k >/dev/null 2>&1 || true
  "$ZB_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >/dev/null 2>&1
  "$ZB_WINESERVER" -k >/dev/null 2>&1 || true
  setsid "$ZB_WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  "$ZB_WINE" wineboot </dev/null >/dev/null 2>&1 || true
}

# Demo archive: enough data that the extraction keeps the progress window up a while, and a
# script whose last line is a status text.
mkdir -p "$work/payload" "$out"
members=()
for i in $(seq 8); do
  head -c 4000000 /dev/urandom >"$work/payload/data$i.bin"
  members+=("$work/payload/data$i.bin")
done
for i in $(seq 200000); do echo "line $i of the demo product's read-me text"; done \
  >"$work/payload/readme.txt"
printf '; demo install script\r\n>Installing the Demo Product ...\r\n' >"$work/payload/setup.zbs"
"$zbpack" pack -o "$work/demo.exe" --stub "$stub" --product "Demo Product 2.1" \
  --script setup.zbs "${members[@]}" "$work/payload/readme.txt" \
  "$work/payload/setup.zbs" >/dev/null
"$zbpack" pack -o "$work/broken.exe" --stub "$stub" --product "Demo Product 2.1" \
  --method stored "$work/payload/setup.zbs" >/dev/null
"$zbdamage" "$work/broken.exe" --set member.1.crc=0x12345678

# Captions and control ids as the stub defines them, from res/resource.h.
resource() {
  printf '#include "resource.h"\n%s\n' "$1" | cpp -P -I "$repo/res" - | tail -n 1 |
    sed 's/" *"//g; s/^"//; s/"$//'
}
caption=$(resource ZB_APP_TITLE)
status_caption=$(resource ZB_STATUS_CAPTION)
error_caption=$(resource ZB_ERROR_CAPTION)
progress_bar=$(resource IDC_PROGRESS)
status_ok=$(resource IDC_OK)

shoot_all() {
  # A successful run: question, splash, progress, final status.
  (cd "$work" && setsid "$ZB_WINE" demo.exe </dev/null >/dev/null 2>&1 &)
  question=$(robot wait-window "#32770" "$caption" 20000) || die "no question box"
  sleep 0.5
  shot 1-question.png
  robot press "$question" 6 >/dev/null || die "cannot press Yes"   # IDYES
  sleep 0.8
  shot 2-splash.png
  progress=$(robot wait-window "#32770" "$caption" 20000) || die "no progress window"
  # The bar runs from 1 to 11 for these 10 members: shoot once it is about half way.
  for _ in $(seq 100); do
    position=$(robot progress "$progress" "$progress_bar") || break
    [ "$position" -ge 6 ] && break
    sleep 0.05
  done
  shot 3-progress.png
  status=$(robot wait-window "#32770" "$status_caption" 60000) || die "no status window"
  for _ in $(seq 100); do
    [ "$(robot enabled "$status" "$status_ok")" = 1 ] && break
    sleep 0.2
  done
  sleep 0.3
  shot 4-status.png
  robot press "$status" "$status_ok" >/dev/null || die "cannot press OK"

  # A failing run: the error box after the splash.
  (cd "$work" && setsid "$ZB_WINE" broken.exe </dev/null >/dev/null 2>&1 &)
  question=$(robot wait-window "#32770" "$caption" 20000) || die "no question box"
  robot press "$question" 6 >/dev/null || die "cannot press Yes"
  error=$(robot wait-window "#32770" "$error_caption" 30000) || die "no error box"
  sleep 0.5
  shot 5-error.png
  robot press "$error" 2 >/dev/null || true   # a single-OK message box answers to IDCANCEL too
  robot press "$error" 1 >/dev/null || true
}

for dpi in 96 192; do
  dir="$out/${dpi}dpi"
  mkdir -p "$dir"
  set_dpi "$dpi"
  shoot_all
done
