#!/usr/bin/env bash
# Checks that every C++ file of the repository follows .clang-format (clang-format 14, which
# scripts/install-deps.sh installs). Lists the files that do not; exit code 1 when any.
# With --fix, formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=0
for f in "${files[@]}"; do
  if ! clang-format --dry-run --Werror "$f" 2>/dev/null; then
    echo "not formatted: $f (scripts/check-format.sh --fix)"
    bad=1
  fi
done
[ "$bad" -eq 0 ] && echo "format: ${#files[@]} files follow .clang-format"
exit "$bad"
