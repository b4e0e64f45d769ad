#!/usr/bin/env bash
# The Wine prefix that runs the Win32 programs and tests: headless, 32-bit, quiet.
#
#   wine-prefix.sh init   make the prefix if it is not complete yet (idempotent)
#   wine-prefix.sh up     init, then start a persistent wineserver and warm it up
#   wine-prefix.sh down   stop the wineserver and every Wine process of the prefix
#
# WINEPREFIX and WINEARCH come from the environment, else from scripts/wine-env.sh.
#
# Why "up" exists: a cold Wine start costs about half a second, and when the first Wine
# process of a CTest test starts the wineserver, that server inherits the test's output pipes,
# so CTest waits about two seconds more for it to let go of them. "up" starts the server once,
# persistent and with its output on /dev/null, so each later test pays only its own run.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

# Written last by init: a prefix without it was interrupted and is made again.
ready_mark="$WINEPREFIX/.zubrex-ready"

die() { echo "wine-prefix: $*" >&2; exit 1; }

command -v "$ZB_WINE" >/dev/null || die "wine is not installed (scripts/install-deps.sh)"

quiet() { "$@" </dev/null >/dev/null 2>&1; }

init_prefix() {
  [ -f "$ready_mark" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  # Serialise concurrent first runs (two build trees, a demo script): one makes the prefix,
  # the other waits and then finds the mark.
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -f "$ready_mark" ]; then
    echo "wine-prefix: creating $WINEPREFIX" >&2
    quiet "$ZB_WINE" wineboot -i || die "wineboot -i failed"
    # No display: windows, dialogs and controls still exist and can be driven by messages.
    quiet "$ZB_WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
      || die "cannot set the null graphics driver"
    # When a display is used (screenshots under Xvfb without a window manager), unmanaged
    # windows spare a two-second wait on every hide or destroy.
    quiet "$ZB_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
      || die "cannot set Managed=N"
    # The registry reaches the prefix's files when the server ends.
    quiet "$ZB_WINESERVER" -w
    touch "$ready_mark"
  fi
  flock -u 9
  exec 9>&-
}

case "${1:-}" in
  init)
    init_prefix
    ;;
  up)
    init_prefix
    # Persistent until "down"; a second "up" finds the running server and leaves it alone.
    # setsid and /dev/null keep the server and the processes it spawns off the caller's
    # terminal and pipes.
    setsid "$ZB_WINESERVER" -p </dev/null >/dev/null 2>&1 || true
    # Start the prefix's own services (explorer, services.exe) now rather than inside the
    # first test.
    setsid "$ZB_WINE" wineboot </dev/null >/dev/null 2>&1 || die "wine wineboot failed"
    ;;
  down)
    [ -d "$WINEPREFIX" ] || exit 0
    quiet "$ZB_WINESERVER" -k || true
    ;;
  *)
    echo "usage: $0 init|up|down" >&2
    exit 2
    ;;
esac
