#!/usr/bin/env bash
# Builds libpng once per architecture, static, for MinGW-w64 from Debian's own source package, into
# cached prefixes outside the repository (Debian ships no MinGW build of libpng):
#   bash scripts/build-libpng-mingw.sh i686-w64-mingw32 x86_64-w64-mingw32
# The target "clang-fuzz" is a native build of the same source with clang, instrumented for the
# fuzzer's coverage and AddressSanitizer, so that the fuzzer of the picture decoder is guided
# through libpng's own branches too (Debian's libpng is not instrumented).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/cache-dir.sh"
cache="$TINDREL_MINGW_CACHE"

wanted=()
for host in "$@"; do
  prefix="$cache/libpng-$host"
  [ -f "$prefix/lib/libpng.a" ] && [ -f "$prefix/include/png.h" ] || wanted+=("$host")
done
[ "${#wanted[@]}" -eq 0 ] && exit 0

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# The newest revision's .dsc can be missing from the mirror: try every listed version in turn.
fetched=""
for version in $(apt-cache showsrc libpng1.6 | awk '/^Version:/ {print $2}'); do
  if apt-get source -qq --download-only "libpng1.6=$version" >/dev/null 2>&1; then
    fetched="$version"
    break
  fi
done
[ -n "$fetched" ] || { echo "could not download the libpng1.6 source package" >&2; exit 1; }
tarball="$(ls libpng1.6_*.orig.tar.* | head -n 1)"

for host in "${wanted[@]}"; do
  prefix="$cache/libpng-$host"
  rm -rf "src-$host"
  mkdir "src-$host"
  tar -xf "$tarball" -C "src-$host" --strip-components=1
  if ! (
    cd "src-$host"
    if [ "$host" = clang-fuzz ]; then
      ./configure -q --prefix="$prefix" --disable-shared --enable-static CC=clang \
        CFLAGS="-g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address"
    else
      ./configure -q --host="$host" --prefix="$prefix" --disable-shared --enable-static \
        CPPFLAGS="-I/usr/$host/include" LDFLAGS="-L/usr/$host/lib"
    fi
    make -s -j"$(nproc)" install
  ) >"build-$host.log" 2>&1; then
    cat "build-$host.log" >&2
    echo "libpng could not be built for $host" >&2
    exit 1
  fi
  echo "libpng $fetched built for $host into $prefix"
done
