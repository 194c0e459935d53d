#!/usr/bin/env bash
# Builds the Windows program for x86 and x64 (build/win-x86 and build/win-x64, each with its ready
# folder Tindrel/), the native unit tests and benchmarks (build/native, and build/native-asan
# with sanitizers) and the fuzzer of the picture decoder (build/fuzz). The Windows builds' packages
# (scripts/package.sh) go to build/packages.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${TINDREL_JOBS:-$(nproc)}"
source "$here/scripts/cache-dir.sh"

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

# The fuzzer of the picture decoder: clang, libFuzzer and the instrumented libpng of setup.sh.
build_fuzzer() {
  CC=clang CXX=clang++ cmake -S "$here" -B "$here/build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTINDREL_FUZZ=ON -DCMAKE_PREFIX_PATH="$TINDREL_MINGW_CACHE/libpng-clang-fuzz" >/dev/null
  cmake --build "$here/build/fuzz" -j"$jobs" -- --no-print-directory
}

case "${1:-windows}" in
  windows) build_windows x86; build_windows x64 ;;
  x86 | x64) build_windows "$1" ;;
  native) build_native ;;
  asan) build_native_sanitized ;;
  fuzz) build_fuzzer ;;
  all) build_windows x86; build_windows x64; build_native_sanitized; build_native; build_fuzzer ;;
  *) echo "usage: $0 [windows|x86|x64|native|asan|fuzz|all]" >&2; exit 2 ;;
esac
