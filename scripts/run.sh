#!/usr/bin/env bash
# Sets everything up, builds, and runs the widget under Wine. With $DISPLAY set the widget comes
# up on that display and runs until it is closed; without one it runs a few seconds on a virtual
# display and a screenshot is saved for you to look at.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

bash scripts/setup.sh
bash scripts/build.sh windows
source scripts/wine-env.sh
app="$here/build/win/Tindrel"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  cd "$app"
  exec wine Tindrel.exe
fi

work="$(mktemp -d /tmp/tindrel-run.XXXXXX)"
trap 'WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null; stop_virtual_display' EXIT
start_virtual_display
export HOME="$work/home" WINEPREFIX="$work/prefix"
make_pristine_prefix "$WINEPREFIX" "$HOME"
xdotool mousemove 1270 1015
(cd "$app" && wine Tindrel.exe >/dev/null 2>&1 &)
seconds="${TINDREL_RUN_SECONDS:-8}"
sleep "$seconds"
shot="/tmp/tindrel-screenshot.png"
import -window root "$shot"
echo "The widget ran $seconds s on a virtual display; screenshot: $shot"
