#!/usr/bin/env bash
# Sourced by the run and test scripts: a private virtual display and private Wine prefixes, so a
# test never touches the user's own prefix or home.

export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Starts Xvfb on a free display number and exports DISPLAY; the server dies with the script.
start_virtual_display() {
  local n
  for n in $(seq 90 140); do
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

# Creates a pristine prefix once (wineboot takes a while); copies of it serve each test.
make_pristine_prefix() {
  local prefix="$1" home="$2"
  [ -f "$prefix/system.reg" ] && return 0
  make_quiet_home "$home"
  HOME="$home" WINEPREFIX="$prefix" wineboot -i >/dev/null 2>&1
  HOME="$home" WINEPREFIX="$prefix" wineserver -w
}
