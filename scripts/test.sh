#!/usr/bin/env bash
# The whole test suite: host unit tests, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, the same built as 32-bit x86 code, the Win32 unit and end-to-end
# tests under Wine, the CMake example (tests/example/hello.sh), a second build of the stub
# compared byte for byte, the format check and a short fuzzing run. Ends with one line
# "Tests: N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh || { echo "build failed"; echo "Tests: 0 passed, 1 failed"; exit 1; }

if [ ! -f build/sanitize/build.ninja ]; then
  cmake -S . -B build/sanitize -G Ninja -DZB_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
cmake --build build/sanitize || { echo "sanitizer build failed"; echo "Tests: 0 passed, 1 failed"; exit 1; }

passed=0
failed=0
log=$(mktemp)
run_ctest() {  # label, ctest arguments...
  local label=$1; shift
  echo "== $label"
  ctest "$@" --output-on-failure 2>&1 | tee "$log"
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    echo "$label: ctest ran no test"
    failed=$((failed + 1))
    return
  fi
  local bad total
  bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

start=$(date +%s)
run_ctest "host unit tests" --test-dir build/host -j2
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_ctest "host unit tests under ASan/UBSan" --test-dir build/sanitize -j2
source scripts/wine-env.sh
run_ctest "host unit tests as 32-bit code${ZB_HOST32_EMULATOR:+ under $ZB_HOST32_EMULATOR}" \
  --test-dir build/host32 -j2
bash scripts/wine-prefix.sh init
run_ctest "Win32 tests under Wine ($ZB_WIN_TREE, $WINEARCH)" --test-dir "$ZB_WIN_TREE"
echo "== examples/hello: Zubrex in a CMake build"
bash tests/example/hello.sh | tee "$log"
if line=$(grep -E '^example: [0-9]+ passed, [0-9]+ failed$' "$log"); then
  passed=$((passed + $(sed -E 's/example: ([0-9]+) passed.*/\1/' <<<"$line")))
  failed=$((failed + $(sed -E 's/.* ([0-9]+) failed/\1/' <<<"$line")))
else
  echo "examples/hello: no result"
  failed=$((failed + 1))
fi
echo "== reproducible stub"
if bash scripts/stub-reproducible.sh; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi
echo "== format (.clang-format)"
if bash scripts/check-format.sh; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi
echo "== fuzzing"
if bash scripts/fuzz.sh "${ZB_FUZZ_SECONDS:-10}"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi
rm -f "$log"
echo "wall time: $(( $(date +%s) - start )) s of tests (after the build)"
echo "Tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
