#!/usr/bin/env bash
# Builds the Windows program (build/win, ready folder build/win/Tindrel) and, with "native", the
# native unit tests and benchmarks (build/native, and build/native-asan with sanitizers).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="$(nproc)"

build_windows() {
  cmake -S "$here" -B "$here/build/win" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$here/build/win" -j"$jobs" -- --no-print-directory
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
  windows) build_windows ;;
  native) build_native ;;
  asan) build_native_sanitized ;;
  all) build_windows; build_native_sanitized; build_native ;;
  *) echo "usage: $0 [windows|native|asan|all]" >&2; exit 2 ;;
esac
