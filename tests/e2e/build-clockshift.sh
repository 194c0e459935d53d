#!/usr/bin/env bash
# Builds the clock-shifting preload library for the Wine process of one build into a folder:
#   bash tests/e2e/build-clockshift.sh OUT_DIR [x86|x64]   ->   OUT_DIR/libclockshift.so
# (the build defaults to $TINDREL_WINE_ARCH, else x64). Use it with the wineserver started first,
# without the preload, so that only the program's clock moves:
#   $WINESERVER -p; TINDREL_CLOCK_OFFSET=3600 LD_PRELOAD=OUT_DIR/libclockshift.so $TINDREL_WINE Program.exe
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="${1:?usage: $0 OUT_DIR [x86|x64]}"
arch="${2:-${TINDREL_WINE_ARCH:-x64}}"
case "$arch" in
  x86) bits=-m32 ;;
  x64) bits=-m64 ;;
  *) echo "unknown build '$arch'" >&2; exit 2 ;;
esac
mkdir -p "$out"
gcc "$bits" -shared -fPIC -O2 -Wall -Wextra -o "$out/libclockshift.so" "$here/clockshift.c" -ldl
echo "$out/libclockshift.so"
