#!/usr/bin/env bash
# Measures what the widget costs under the same Wine and virtual display as what it is held
# against: the widget shown and hidden (as a click on its tray icon hides it), a bare layered
# window of the same size, and an idle Wine program (notepad). For each: the CPU of the program,
# of its wineserver and of the X server, and the program's wake-ups a second, alternated over
# several rounds, with medians, spreads and the ratios of the targets; then the resident memory of
# the widget and the bare window after one minute and after N minutes side by side.
#
#   bash scripts/measure.sh [--minutes N] [--rounds R] [--settle S] [--sample S]
#
# Defaults: 2 rounds of 10 s settling and 40 s sampling per state, then 30 minutes of memory.
# Not a test: it prints figures and judges nothing. The x64 build is measured (every host runs it).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

bash scripts/setup.sh
bash scripts/build.sh x64
cmake --build build/win-x64 --target bare_layered_window -- --no-print-directory >/dev/null
source scripts/wine-env.sh
use_wine x64

work="$(mktemp -d /tmp/tindrel-measure.XXXXXX)"
trap 'stop_virtual_display; rm -rf "$work"' EXIT
start_virtual_display
make_pristine_prefix "$work/pristine" "$work/home"
# The pointer away from the widget, so that hovering does not start its fade.
xdotool mousemove 1270 1015

python3 -u tests/measure/measure.py --widget "$here/build/win-x64/Tindrel/Tindrel.exe" \
  --bare "$here/build/win-x64/bare_layered_window.exe" --probe "$here/build/win-x64/probe.exe" \
  --pristine "$work/pristine" --home "$work/home" --work "$work/runs" \
  --xvfb-pid "$TINDREL_XVFB_PID" "$@"
