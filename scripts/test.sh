#!/usr/bin/env bash
# Sets everything up, builds, and runs every test: the native unit tests (with AddressSanitizer and
# UndefinedBehaviorSanitizer), a minute of fuzzing the picture decoder, the checks of both built
# executables, and for each Windows build this host can run (x64 always, x86 where the kernel
# executes 32-bit programs) the Windows tests, the end-to-end tests of the real Tindrel.exe under
# Wine on a virtual display, and the tests of that build's packages (installer and portable zip).
# Ends with one line "N passed, N failed" that counts every test of every suite (the fuzzing
# counts as one).
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

bash scripts/setup.sh || exit 1
bash scripts/build.sh all || exit 1
# The packages of both builds, as scripts/package.sh makes them (setup and builds are done above).
for arch in x64 x86; do
  cmake --build "build/win-$arch" --target packages -- --no-print-directory || exit 1
done

source scripts/wine-env.sh
work="$(mktemp -d /tmp/tindrel-test.XXXXXX)"
trap 'stop_virtual_display; rm -rf "$work"' EXIT

passed=0
failed=0
skipped=0
suite_failed=0
count() {  # suite name, status, passed, failed[, skipped]
  local skips="${5:-0}"
  passed=$((passed + $3))
  failed=$((failed + $4))
  skipped=$((skipped + skips))
  if [ "$2" -ne 0 ] && [ "$4" -eq 0 ]; then failed=$((failed + 1)); fi  # a suite that broke down
  [ "$2" -eq 0 ] || suite_failed=1
  if [ "$skips" -eq 0 ]; then
    echo "== $1: $3 passed, $4 failed (exit $2)"
  else
    echo "== $1: $3 passed, $4 failed, $skips skipped (exit $2)"
  fi
}

# Runs one suite's command, shows its output as it comes, and counts the line
# "<prefix>: N passed, N failed" that the command ends with: label, prefix, then the command.
run_summarised_suite() {
  local label="$1" prefix="$2" log
  shift 2
  log="$(mktemp "$work/$prefix.XXXXXX.log")"
  "$@" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]} good bad
  good=$(sed -n "s/^$prefix: \([0-9]*\) passed, \([0-9]*\) failed\$/\1/p" "$log")
  bad=$(sed -n "s/^$prefix: \([0-9]*\) passed, \([0-9]*\) failed\$/\2/p" "$log")
  count "$label" "$status" "${good:-0}" "${bad:-0}"
}

echo "== formatting (clang-format --dry-run --Werror with the committed .clang-format)"
drift="$(git ls-files '*.c' '*.cpp' '*.h' | while read -r file; do
  clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || echo "$file"
done)"
if [ -z "$drift" ]; then
  count "formatting" 0 1 0
else
  echo "these files differ from .clang-format (clang-format -i fixes them):"
  echo "$drift"
  count "formatting" 1 0 1
fi

echo "== native unit tests (ASan + UBSan)"
ctest --test-dir build/native-asan --output-on-failure -j2 >"$work/native.log" 2>&1
status=$?
tail -n 20 "$work/native.log"
total=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2/p' "$work/native.log" | tail -n 1)
bad=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1/p' "$work/native.log" | tail -n 1)
count "native unit tests" "$status" "$(( ${total:-0} - ${bad:-0} ))" "${bad:-0}"

echo "== fuzzing the picture decoder and import (ASan + UBSan, 60 s)"
run_summarised_suite "fuzzing the picture decoder" fuzz \
  env TINDREL_FUZZ_WORK="$here/build/fuzz-run" bash scripts/fuzz.sh 60

echo "== built executables (x86 and x64)"
run_summarised_suite "built executables" builds \
  python3 tests/e2e/check_builds.py build/win-x86 build/win-x64

builds="$(runnable_builds)"
if [[ " $builds " == *" x86 "* ]]; then
  echo "== this host runs 32-bit programs: testing the x64 and the x86 build under Wine"
else
  echo "== this host cannot run 32-bit programs: testing the x64 build under Wine (x86 not run)"
fi

start_virtual_display || exit 1
make_pristine_prefix "$work/pristine" "$work/home"

# Runs the build's Windows tests in a fresh copy of the pristine prefix whose display is at `dpi`
# pixels per inch, and counts them: label, build folder, dpi, then the test program's arguments.
run_windows_tests() {
  local label="$1" build_dir="$2" dpi="$3" name
  shift 3
  name="unit-$arch-$dpi"
  cp -a "$work/pristine" "$work/$name"
  if [ "$dpi" != 96 ]; then
    HOME="$work/home" WINEPREFIX="$work/$name" "$TINDREL_WINE" reg add \
      'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  fi
  (cd "$build_dir" && HOME="$work/home" WINEPREFIX="$work/$name" TINDREL_TEST_DPI="$dpi" \
    TINDREL_DATA_DIR="$here/data" "$TINDREL_WINE" tindrel_win_tests.exe "$@" >"$work/$name.log" 2>&1)
  local status=$?
  HOME="$work/home" WINEPREFIX="$work/$name" "$WINESERVER" -k 2>/dev/null
  # A test that could not check anything here says so as skipped, with its reason.
  grep -E '^\[  (FAILED|PASSED|SKIPPED) |^\[==========\]' "$work/$name.log" | tail -n 20
  sed -n '/: Skipped\r\{0,1\}$/{n;s/\r$//;s/^/  skipped: /;p}' "$work/$name.log"
  local good bad skips
  good=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$work/$name.log" | tail -n 1)
  bad=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$work/$name.log" | tail -n 1)
  skips=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) test.*/\1/p' "$work/$name.log" | tail -n 1)
  rm -rf "${work:?}/$name"
  count "$label" "$status" "${good:-0}" "${bad:-0}" "${skips:-0}"
}

for arch in $builds; do
  use_wine "$arch"
  build_dir="$here/build/win-$arch"

  echo "== Windows tests under Wine ($arch)"
  run_windows_tests "Windows tests under Wine ($arch)" "$build_dir" 96
  # The display scale's tests once more on displays scaled to 125, 150 and 200 %.
  for dpi in 120 144 192; do
    echo "== Windows tests of the display scale at $dpi DPI ($arch)"
    run_windows_tests "Windows tests at $dpi DPI ($arch)" "$build_dir" "$dpi" --gtest_filter='*Dpi*'
  done

  echo "== end-to-end tests of Tindrel.exe under Wine ($arch)"
  run_summarised_suite "end-to-end tests ($arch)" e2e \
    python3 tests/e2e/run_e2e.py --build "$build_dir" --pristine "$work/pristine" \
    --home "$work/home" --work "$work/e2e-$arch"

  echo "== installer and portable zip under Wine ($arch)"
  run_summarised_suite "package tests ($arch)" packages \
    python3 tests/e2e/run_packages.py --packages build/packages --build "$build_dir" \
    --pristine "$work/pristine" --home "$work/home" --work "$work/packages-$arch"
done

echo "== Windows builds tested under Wine: $builds"
[ "$skipped" -eq 0 ] || echo "$skipped skipped: checks that could not be made on this system (above)"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$suite_failed" -eq 0 ]
