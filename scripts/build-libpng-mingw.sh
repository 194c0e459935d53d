#!/usr/bin/env bash
# Builds libpng once, static, for i686-w64-mingw32 from Debian's own source package, into a
# cached prefix outside the repository. Debian ships no MinGW build of libpng.
set -euo pipefail
prefix="${TINDREL_MINGW_PREFIX:-/var/cache/tindrel/mingw-libpng}"
[ -f "$prefix/lib/libpng.a" ] && [ -f "$prefix/include/png.h" ] && exit 0

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
mkdir src
tar -xf "$tarball" -C src --strip-components=1
cd src
./configure -q --host=i686-w64-mingw32 --prefix="$prefix" --disable-shared --enable-static \
  CPPFLAGS="-I/usr/i686-w64-mingw32/include" LDFLAGS="-L/usr/i686-w64-mingw32/lib" >/dev/null
make -s -j"$(nproc)" install >/dev/null
echo "libpng $fetched built for MinGW into $prefix"
