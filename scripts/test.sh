#!/usr/bin/env bash
# Sets everything up, builds, and runs every test: the native unit tests (with AddressSanitizer and
# UndefinedBehaviorSanitizer), the Windows tests under Wine, and the end-to-end tests of the real
# Tindrel.exe under Wine on a virtual display. Ends with one line "N passed, N failed".
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

bash scripts/setup.sh || exit 1
bash scripts/build.sh all || exit 1

passed=0
failed=0
record() {  # name, exit status
  if [ "$2" -eq 0 ]; then passed=$((passed + 1)); echo "PASS: $1"; else failed=$((failed + 1)); echo "FAIL: $1"; fi
}

echo "== native unit tests (ASan + UBSan)"
ctest --test-dir build/native-asan --output-on-failure -j2 2>&1 | tail -n 15
record "native unit tests" "${PIPESTATUS[0]}"

source scripts/wine-env.sh
work="$(mktemp -d /tmp/tindrel-test.XXXXXX)"
trap 'stop_virtual_display; rm -rf "$work"' EXIT
start_virtual_display || exit 1
make_pristine_prefix "$work/pristine" "$work/home"

echo "== Windows tests under Wine"
cp -a "$work/pristine" "$work/unit-prefix"
(cd build/win && HOME="$work/home" WINEPREFIX="$work/unit-prefix" TINDREL_DATA_DIR="$here/data" \
  wine tindrel_win_tests.exe 2>&1 | tail -n 25; exit "${PIPESTATUS[0]}")
record "Windows tests under Wine" $?
HOME="$work/home" WINEPREFIX="$work/unit-prefix" wineserver -k 2>/dev/null

echo "== end-to-end tests of Tindrel.exe under Wine"
python3 tests/e2e/run_e2e.py --build "$here/build/win" --pristine "$work/pristine" \
  --home "$work/home" --work "$work/e2e"
record "end-to-end tests" $?

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
