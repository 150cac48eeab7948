#!/usr/bin/env bash
# Runs a command inside a private Wine session: a fresh 32-bit prefix under build/wine (never ~/.wine),
# a persistent wineserver, and an X server (Xvfb unless OSTREL_USE_DISPLAY=1 and DISPLAY is set). On a
# machine that cannot execute 32-bit code (scripts/test-arch.sh) the prefix is a 64-bit one, for the 64-bit
# test build, and `wine` and `wineboot` are Wine's 64-bit loader.
# Usage: scripts/wine-session.sh [--prefix DIR] [--keep] command [args...]
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
arch=$("$top/scripts/test-arch.sh")
prefix="$top/build/wine/prefix"
[ "$arch" = win32 ] || prefix="$top/build/wine/prefix64"
keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix="$2"; shift 2 ;;
    --keep) keep=1; shift ;;
    *) break ;;
  esac
done

export WINEPREFIX="$prefix"
export WINEARCH="$arch"
if [ "$arch" = win64 ]; then
  loaders="$top/build/wine/bin64"
  mkdir -p "$loaders"
  printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$loaders/wine"
  printf '#!/bin/sh\nexec /usr/lib/wine/wine64 wineboot "$@"\n' >"$loaders/wineboot"
  chmod +x "$loaders/wine" "$loaders/wineboot"
  export PATH="$loaders:$PATH" WINELOADER=/usr/lib/wine/wine64
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT

if [ "${OSTREL_USE_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 num <"$fifo" || { echo "Xvfb did not start" >&2; exit 1; }
  rm -f "$fifo"
  export DISPLAY=":$num"
fi

if [ "$keep" = 0 ] || [ ! -f "$prefix/system.reg" ]; then
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # The caption's buttons are glyphs of the Marlett font; this Wine does not find its own copy, so the
  # prefix gets one, or the close box would show an "r" (in the demo and in the pictures).
  [ -f /usr/share/wine/fonts/marlett.ttf ] && cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
fi

# Under Xvfb there is no window manager: unmanaged windows keep Wine from waiting up to two seconds
# for one whenever a window is hidden.
if [ -n "$xvfb_pid" ]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi

# A server of our own, with its output sent away, so that pipelines around wine programs end.
wineserver -p >/dev/null 2>&1 </dev/null &
sleep 0.2
# Start Wine's own services now, with their output sent away too: the services that the first program
# of a session starts inherit its output, and would otherwise keep a test runner's pipe open.
wine cmd.exe /c exit >/dev/null 2>&1 </dev/null

"$@"
