#!/usr/bin/env bash
# Builds the Windows program for x86 and x64 (build/win-x86 and build/win-x64, each with its ready
# folder Tindrel/) and the native unit tests and benchmarks (build/native, and build/native-asan
# with sanitizers). The Windows builds' packages (scripts/package.sh) go to build/packages.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="$(nproc)"

build_windows() {  # x86 | x64
  local toolchain
  case "$1" in
    x86) toolchain=mingw-i686 ;;
    x64) toolchain=mingw-x86_64 ;;
  esac
  cmake -S "$here" -B "$here/build/win-$1" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/$toolchain.cmake" \
    -DTINDREL_PACKAGE_DIR="$here/build/packages" >/dev/null
  cmake --build "$here/build/win-$1" -j"$jobs" -- --no-print-directory
}

build_native() {
  cmake -S "$here" -B "$here/build/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$here/build/native" -j"$jobs" -- --no-print-directory
}

build_native_sanitized() {
  cmake -S "$here" -B "$here/build/native-asan" -DCMAKE_BUILD_TYPE=Debug -DTINDREL_SANITIZE=ON \
    >/dev/null
  cmake --build "$here/build/native-asan" -j"$jobs" -- --no-print-directory
}

case "${1:-windows}" in
  windows) build_windows x86; build_windows x64 ;;
  x86 | x64) build_windows "$1" ;;
  native) build_native ;;
  asan) build_native_sanitized ;;
  all) build_windows x86; build_windows x64; build_native_sanitized; build_native ;;
  *) echo "usage: $0 [windows|x86|x64|native|asan|all]" >&2; exit 2 ;;
esac
