#!/usr/bin/env bash
# Drive T: of the Wine prefix: a tmpfs of exactly 1 MiB, for tests that need a drive with little
# free space (the stub's free-space check, seen through GetDiskFreeSpaceA as the stub sees it).
#
#   tmpfs-drive.sh up     mount the tmpfs and link it as T: (replacing an earlier one of ours)
#   tmpfs-drive.sh down   remove the link and unmount
#
# WINEPREFIX comes from the environment (default: <repo>/build/wineprefix); the prefix must
# exist (scripts/wine-prefix.sh init). Mounting needs root: without it, or when the mount is
# refused, "up" makes no T:, says why and still succeeds, so that a test runner goes on and the
# tests that need T: skip with their own message.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$repo/build/wineprefix}"
link="$WINEPREFIX/dosdevices/t:"
mount_dir="$WINEPREFIX.drive-t"

say() { echo "tmpfs-drive: $*" >&2; }

down() {
  if [ -L "$link" ] && [ "$(readlink "$link")" = "$mount_dir" ]; then
    rm -f "$link"
  fi
  if [ -d "$mount_dir" ]; then
    if mountpoint -q "$mount_dir"; then
      # A process that still has a file open there (a test's leftover) must not keep the
      # mount: detach it lazily then.
      umount "$mount_dir" 2>/dev/null || umount -l "$mount_dir"
    fi
    rmdir "$mount_dir" 2>/dev/null || true
  fi
}

case "${1:-}" in
  up)
    [ -d "$WINEPREFIX/dosdevices" ] || { say "no prefix at $WINEPREFIX"; exit 1; }
    down
    if [ -e "$link" ] || [ -L "$link" ]; then
      say "$link exists and is not ours: T: left alone, the tests that need it will skip"
      exit 0
    fi
    if [ "$(id -u)" != 0 ]; then
      say "not root: no tmpfs mounted, the tests that need drive T: will skip"
      exit 0
    fi
    mkdir -p "$mount_dir"
    if ! mount -t tmpfs -o size=1m,mode=0777 zubrex-drive-t "$mount_dir"; then
      rmdir "$mount_dir" 2>/dev/null || true
      say "mount refused: the tests that need drive T: will skip"
      exit 0
    fi
    ln -s "$mount_dir" "$link"
    ;;
  down)
    down
    ;;
  *)
    echo "usage: $0 up|down" >&2
    exit 2
    ;;
esac
