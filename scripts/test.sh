#!/usr/bin/env bash
# Sets everything up, builds, and runs every test: the native unit tests (with AddressSanitizer and
# UndefinedBehaviorSanitizer), the Windows tests under Wine, and the end-to-end tests of the real
# Tindrel.exe under Wine on a virtual display. Ends with one line "N passed, N failed" that counts
# every test of the three suites.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

bash scripts/setup.sh || exit 1
bash scripts/build.sh all || exit 1

source scripts/wine-env.sh
work="$(mktemp -d /tmp/tindrel-test.XXXXXX)"
trap 'stop_virtual_display; rm -rf "$work"' EXIT

passed=0
failed=0
suite_failed=0
count() {  # suite name, status, passed, failed
  passed=$((passed + $3))
  failed=$((failed + $4))
  if [ "$2" -ne 0 ] && [ "$4" -eq 0 ]; then failed=$((failed + 1)); fi  # a suite that broke down
  [ "$2" -eq 0 ] || suite_failed=1
  echo "== $1: $3 passed, $4 failed (exit $2)"
}

echo "== native unit tests (ASan + UBSan)"
ctest --test-dir build/native-asan --output-on-failure -j2 >"$work/native.log" 2>&1
status=$?
tail -n 20 "$work/native.log"
total=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2/p' "$work/native.log" | tail -n 1)
bad=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1/p' "$work/native.log" | tail -n 1)
count "native unit tests" "$status" "$(( ${total:-0} - ${bad:-0} ))" "${bad:-0}"

start_virtual_display || exit 1
make_pristine_prefix "$work/pristine" "$work/home"

echo "== Windows tests under Wine"
cp -a "$work/pristine" "$work/unit-prefix"
(cd build/win && HOME="$work/home" WINEPREFIX="$work/unit-prefix" TINDREL_DATA_DIR="$here/data" \
  wine tindrel_win_tests.exe >"$work/win.log" 2>&1)
status=$?
HOME="$work/home" WINEPREFIX="$work/unit-prefix" wineserver -k 2>/dev/null
grep -E '^\[  (FAILED|PASSED)|^\[==========\]' "$work/win.log" | tail -n 20
good=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$work/win.log" | tail -n 1)
bad=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$work/win.log" | tail -n 1)
count "Windows tests under Wine" "$status" "${good:-0}" "${bad:-0}"

echo "== end-to-end tests of Tindrel.exe under Wine"
python3 tests/e2e/run_e2e.py --build "$here/build/win" --pristine "$work/pristine" \
  --home "$work/home" --work "$work/e2e" 2>&1 | tee "$work/e2e.log"
status=${PIPESTATUS[0]}
good=$(sed -n 's/^e2e: \([0-9]*\) passed, \([0-9]*\) failed$/\1/p' "$work/e2e.log")
bad=$(sed -n 's/^e2e: \([0-9]*\) passed, \([0-9]*\) failed$/\2/p' "$work/e2e.log")
count "end-to-end tests" "$status" "${good:-0}" "${bad:-0}"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$suite_failed" -eq 0 ]
