#!/usr/bin/env bash
# Sourced by the run and test scripts: a private virtual display, private Wine prefixes (a test
# never touches the user's own prefix or home), and the Wine loader that runs each build.

export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Both builds run in one 64-bit prefix served by the 64-bit wineserver: the x64 build through the
# 64-bit loader, the x86 build through the 32-bit one. /usr/bin/wine would pick the 32-bit loader
# whenever wine32 is installed, so the loaders are named directly.
readonly TINDREL_WINE64=/usr/lib/wine/wine64
readonly TINDREL_WINE32=/usr/lib/wine/wine
export WINESERVER=/usr/lib/wine/wineserver64

# Selects the loader for a build: "use_wine x64" or "use_wine x86". Exports TINDREL_WINE (the
# command to run a Windows program with) and WINELOADER, which Wine's own helpers start.
use_wine() {
  case "$1" in
    x64) export TINDREL_WINE="$TINDREL_WINE64" ;;
    x86) export TINDREL_WINE="$TINDREL_WINE32" ;;
    *) echo "use_wine: unknown build '$1'" >&2; return 2 ;;
  esac
  export WINELOADER="$TINDREL_WINE" TINDREL_WINE_ARCH="$1"
}
use_wine x64

# Whether this host's kernel executes 32-bit programs: some do not at all ("Exec format error"),
# and there the x86 build cannot run under Wine. Finds out by running a small static 32-bit
# program and checking what it printed; TINDREL_NO_32BIT=1 pretends the ability is missing.
host_runs_32bit() {
  [ "${TINDREL_NO_32BIT:-0}" = 1 ] && return 1
  [ -x "$TINDREL_WINE32" ] || return 1
  local dir answer
  dir="$(mktemp -d)"
  printf '#include <stdio.h>\nint main(void) { printf("%%d\\n", (int)(sizeof(void*) * 8)); return 0; }\n' \
    >"$dir/bits.c"
  if gcc -m32 -static -o "$dir/bits" "$dir/bits.c" >/dev/null 2>&1; then
    answer="$("$dir/bits" 2>/dev/null)"
  fi
  rm -rf "$dir"
  [ "${answer:-}" = 32 ]
}

# The Windows builds this host can run, the x64 one first.
runnable_builds() {
  if host_runs_32bit; then echo "x64 x86"; else echo "x64"; fi
}

# Starts Xvfb on a free display number and exports DISPLAY; the server dies with the script.
# TINDREL_DISPLAY_NUMBER, when set, is tried first (for machines shared by several test runs).
start_virtual_display() {
  local n
  for n in ${TINDREL_DISPLAY_NUMBER:-} $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    TINDREL_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 50); do
      xdpyinfo >/dev/null 2>&1 && return 0
      sleep 0.1
    done
    kill "$TINDREL_XVFB_PID" 2>/dev/null
  done
  echo "could not start a virtual display" >&2
  return 1
}

stop_virtual_display() {
  [ -n "${TINDREL_XVFB_PID:-}" ] && kill "$TINDREL_XVFB_PID" 2>/dev/null
  TINDREL_XVFB_PID=""
}

# A home with an ALSA null device, so MP3 playback under Wine has somewhere to go.
make_quiet_home() {
  local home="$1"
  mkdir -p "$home"
  printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$home/.asoundrc"
}

# Creates a pristine 64-bit prefix once (wineboot takes a while); copies of it serve each test.
make_pristine_prefix() {
  local prefix="$1" home="$2"
  [ -f "$prefix/system.reg" ] && return 0
  make_quiet_home "$home"
  HOME="$home" WINEPREFIX="$prefix" WINELOADER="$TINDREL_WINE64" "$TINDREL_WINE64" wineboot -i \
    >/dev/null 2>&1
  HOME="$home" WINEPREFIX="$prefix" "$WINESERVER" -w
}
