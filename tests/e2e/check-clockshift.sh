#!/usr/bin/env bash
# Checks that the clock-shifting preload moves GetLocalTime under Wine for the build selected with
# scripts/wine-env.sh's use_wine: a small console program of that architecture prints the local
# time as seconds since 1601 once plainly and once with a shift of one day and one hour; the two
# must differ by that shift (within a few seconds).
# Run with WINEPREFIX and HOME set to a test prefix (its wineserver is started and stopped here).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/wine-env.sh"
use_wine "${1:-${TINDREL_WINE_ARCH:-x64}}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
lib="$(bash "$here/build-clockshift.sh" "$work" "$TINDREL_WINE_ARCH")"
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
case "$TINDREL_WINE_ARCH" in
  x86) compiler=i686-w64-mingw32-gcc ;;
  x64) compiler=x86_64-w64-mingw32-gcc ;;
esac
"$compiler" -O1 -o "$work/localtime.exe" "$work/localtime.c"
shift_seconds=$((86400 + 3600))
# The server runs unshifted, started first and detached from this script's output.
"$WINESERVER" -p >/dev/null 2>&1 </dev/null
plain="$("$TINDREL_WINE" "$work/localtime.exe" 2>/dev/null | tr -d '\r')"
shifted="$(TINDREL_CLOCK_OFFSET=$shift_seconds LD_PRELOAD="$lib" "$TINDREL_WINE" "$work/localtime.exe" \
  2>/dev/null | tr -d '\r')"
"$WINESERVER" -k || true
difference=$((shifted - plain - shift_seconds))
if [ "${difference#-}" -gt 5 ]; then
  echo "clock shift not seen: plain $plain, shifted $shifted" >&2
  exit 1
fi
echo "GetLocalTime moved by $((shifted - plain)) s ($TINDREL_WINE_ARCH)"
