#!/usr/bin/env bash
# Builds the clock-shifting preload library for 32-bit Wine into the given folder:
#   bash tests/e2e/build-clockshift.sh OUT_DIR   ->   OUT_DIR/libclockshift.so
# Use (wineserver first, without the preload, so that only the program's clock moves):
#   wineserver -p; TINDREL_CLOCK_OFFSET=3600 LD_PRELOAD=OUT_DIR/libclockshift.so wine Program.exe
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="${1:?usage: $0 OUT_DIR}"
mkdir -p "$out"
gcc -m32 -shared -fPIC -O2 -Wall -Wextra -o "$out/libclockshift.so" "$here/clockshift.c" -ldl
echo "$out/libclockshift.so"
