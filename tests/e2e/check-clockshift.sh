#!/usr/bin/env bash
# Checks that the clock-shifting preload moves GetLocalTime under Wine: a small console program
# prints the local time as seconds since 1601 once plainly and once with a shift of one day and
# one hour; the two must differ by that shift (within a few seconds).
# Run with WINEPREFIX and HOME set to a test prefix (its wineserver is started and stopped here).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
lib="$(bash "$here/build-clockshift.sh" "$work")"
cat >"$work/localtime.c" <<'C'
#include <windows.h>
#include <stdio.h>
int main(void) {
  SYSTEMTIME now;
  FILETIME as_file_time;
  GetLocalTime(&now);
  SystemTimeToFileTime(&now, &as_file_time);
  ULARGE_INTEGER ticks = {{as_file_time.dwLowDateTime, as_file_time.dwHighDateTime}};
  printf("%llu\n", ticks.QuadPart / 10000000ULL);
  return 0;
}
C
i686-w64-mingw32-gcc -O1 -o "$work/localtime.exe" "$work/localtime.c"
shift_seconds=$((86400 + 3600))
# The server runs unshifted, started first and detached from this script's output.
wineserver -p >/dev/null 2>&1 </dev/null
plain="$(wine "$work/localtime.exe" 2>/dev/null | tr -d '\r')"
shifted="$(TINDREL_CLOCK_OFFSET=$shift_seconds LD_PRELOAD="$lib" wine "$work/localtime.exe" \
  2>/dev/null | tr -d '\r')"
wineserver -k || true
difference=$((shifted - plain - shift_seconds))
if [ "${difference#-}" -gt 5 ]; then
  echo "clock shift not seen: plain $plain, shifted $shifted" >&2
  exit 1
fi
echo "GetLocalTime moved by $((shifted - plain)) s"
