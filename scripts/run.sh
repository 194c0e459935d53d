#!/usr/bin/env bash
# Sets everything up, builds, and runs the widget under Wine: the x86 build where this host runs
# 32-bit programs, the x64 build where it cannot (TINDREL_BUILD=x64 or x86 chooses). With $DISPLAY
# set the widget comes up on that display and runs until it is closed; without one it runs a few
# seconds on a virtual display and a screenshot is saved for you to look at.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

bash scripts/setup.sh
source scripts/wine-env.sh
if [ -n "${TINDREL_BUILD:-}" ]; then
  build="$TINDREL_BUILD"
elif host_runs_32bit; then
  build=x86
else
  build=x64
fi
bash scripts/build.sh "$build"
use_wine "$build"
app="$here/build/win-$build/Tindrel"
echo "Running the $build build: $app/Tindrel.exe"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  cd "$app"
  exec "$TINDREL_WINE" Tindrel.exe
fi

work="$(mktemp -d /tmp/tindrel-run.XXXXXX)"
trap 'WINEPREFIX="$work/prefix" "$WINESERVER" -k 2>/dev/null; stop_virtual_display' EXIT
start_virtual_display
export HOME="$work/home" WINEPREFIX="$work/prefix"
make_pristine_prefix "$WINEPREFIX" "$HOME"
xdotool mousemove 1270 1015
(cd "$app" && "$TINDREL_WINE" Tindrel.exe >/dev/null 2>&1 &)
seconds="${TINDREL_RUN_SECONDS:-8}"
sleep "$seconds"
shot="/tmp/tindrel-screenshot.png"
import -window root "$shot"
echo "The widget ran $seconds s on a virtual display; screenshot: $shot"
