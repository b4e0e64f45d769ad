#!/usr/bin/env bash
# Links planted in a leftover work directory, as another user of the machine could leave them
# in a temporary directory that an installer uses: C:\zbe2e-links\tmp\ZubrexInstall holds
# readme.txt (a member's name) and stray.txt (no member's), each a link to a file in
# C:\zbe2e-links\outside. Made from the Unix side: Wine shows such links as plain files.
set -euo pipefail
root="$WINEPREFIX/drive_c/zbe2e-links"
rm -rf "$root"
mkdir -p "$root/tmp/ZubrexInstall" "$root/outside"
printf 'member target\r\n' >"$root/outside/member-target.txt"
printf 'stray target\r\n' >"$root/outside/stray-target.txt"
ln -s "$root/outside/member-target.txt" "$root/tmp/ZubrexInstall/readme.txt"
ln -s "$root/outside/stray-target.txt" "$root/tmp/ZubrexInstall/stray.txt"
