#!/usr/bin/env bash
# Installs everything the build, the widget and the tests need on a Debian 12 machine (as root).
# Safe to run again: packages already present are skipped by apt, libpng is built only once per
# architecture. The 32-bit packages install on every host, also where the kernel cannot run them.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

packages=(
  cmake make g++ pkg-config
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  libz-mingw-w64-dev
  libpng-dev zlib1g-dev libgtest-dev googletest libbenchmark-dev
  wine wine64 wine32:i386 fonts-wine
  gstreamer1.0-plugins-good gstreamer1.0-plugins-base gstreamer1.0-plugins-ugly
  gstreamer1.0-plugins-good:i386 gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-ugly:i386
  xvfb xdotool imagemagick x11-utils
  gcc-multilib dpkg-dev xz-utils python3
  nsis
  clang libclang-rt-14-dev clang-format
)

missing() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

# Debian's libpng source package is what the MinGW build of libpng is made from.
add_source_entries() {
  local src=/etc/apt/sources.list.d/tindrel-deb-src.sources
  [ -f "$src" ] && return 1
  cat >"$src" <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
}

# A mirror in the middle of a sync answers with lists of the wrong size; try again a few times
# and then go on with whatever lists did arrive (the install says clearly if a package is missing).
update_package_lists() {
  local attempt
  for attempt in 1 2 3; do
    apt-get update -qq && return 0
    echo "apt-get update failed (attempt $attempt); retrying in $((attempt * 10)) s" >&2
    sleep $((attempt * 10))
  done
  echo "apt-get update kept failing; going on with the package lists that did download" >&2
}

install_packages() {
  local wanted=() p
  for p in "$@"; do [ -n "$p" ] && wanted+=("$p"); done
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${wanted[@]}" >/dev/null
}

need_update=0
add_source_entries && need_update=1
if [ -n "$(missing)" ]; then
  dpkg --add-architecture i386
  update_package_lists
  need_update=0
  if ! install_packages "${packages[@]}"; then
    # Without complete i386 lists (a mirror mid-sync) the 32-bit Wine cannot be installed; the
    # rest still can, and the tests then run the x64 build only, as on a host without 32-bit.
    echo "setup: the 32-bit packages could not be installed; going on without 32-bit Wine" >&2
    install_packages "${packages[@]/*:i386/}"
  fi
fi
source "$here/scripts/cache-dir.sh"
cache="$TINDREL_MINGW_CACHE"
if [ ! -f "$cache/libpng-i686-w64-mingw32/lib/libpng.a" ] ||
  [ ! -f "$cache/libpng-x86_64-w64-mingw32/lib/libpng.a" ] ||
  [ ! -f "$cache/libpng-clang-fuzz/lib/libpng.a" ]; then
  if [ "$need_update" = 1 ] || [ -z "$(apt-cache showsrc libpng1.6 2>/dev/null)" ]; then
    update_package_lists
  fi
fi

"$here/scripts/build-libpng-mingw.sh" i686-w64-mingw32 x86_64-w64-mingw32 clang-fuzz

# The digital face shipped in the ready folder comes from Debian's fonts-dseg, unpacked into the
# cache instead of installed: Wine lists the host's installed fonts as the system's own, and the
# tests need a system that lacks the face, as most Windows machines do.
font_dir="$cache/fonts-dseg"
if [ ! -f "$font_dir/usr/share/fonts/truetype/dseg/DSEG14Classic-Regular.ttf" ]; then
  download="$(mktemp -d)"
  chmod 755 "$download"  # apt fetches as its own user
  (cd "$download" && apt-get download -qq fonts-dseg && dpkg-deb -x fonts-dseg_*.deb "$font_dir")
  rm -rf "$download"
fi
