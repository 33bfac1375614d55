#!/usr/bin/env bash
# Starts or stops the Wine session that the Windows tests of one build tree share: an Xvfb display
# (started first, because Wine's desktop keeps the display of the prefix's first process), the
# project-local Wine prefix of the preset's architecture (created once, serialised by a lock) and
# a persistent wineserver.
#   wine-session.sh start|stop <win32|win64> <session dir>
# "start" exits 77 (reported as skipped) when this host cannot run the architecture's Wine.
set -euo pipefail
action=${1:?start or stop}
arch=${2:?win32 or win64}
session=${3:?session directory}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"
if [ "$action" = start ]; then
  wine_skip_unless_runnable "$arch"
fi
mkdir -p "$session"
session=$(cd "$session" && pwd)
wine_env "$arch" "$session"

xvfb_alive() {
  [ -f "$session/xvfb.pid" ] && kill -0 "$(cat "$session/xvfb.pid")" 2>/dev/null
}

start_xvfb() {
  xvfb_alive && return 0
  local n
  for n in $(seq 90 190); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    # Background processes must not keep the lock or CTest's output pipes open.
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$session/xvfb.log" 2>&1 9>&- &
    echo $! >"$session/xvfb.pid"
    local tries
    for tries in $(seq 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && { echo ":$n" >"$session/display"; return 0; }
      kill -0 "$(cat "$session/xvfb.pid")" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "wine-session: could not start Xvfb" >&2
  return 1
}

start() {
  start_xvfb
  export DISPLAY
  DISPLAY=$(cat "$session/display")
  # A persistent server keeps tests from paying Wine's start-up one by one; it fails harmlessly
  # when the session's server already runs.
  wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$WINELOADER" wineboot -i </dev/null >"$session/wineboot.log" 2>&1 9>&- ||
      { cat "$session/wineboot.log" >&2; return 1; }
  fi
  # Start Wine's own services now rather than inside the first test.
  "$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
}

stop() {
  wineserver -k 2>/dev/null || true
  if xvfb_alive; then
    kill "$(cat "$session/xvfb.pid")" 2>/dev/null || true
  fi
  rm -f "$session/xvfb.pid" "$session/display"
}

exec 9>"$session/lock"
flock 9
case "$action" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: wine-session.sh start|stop <win32|win64> <session dir>" >&2; exit 2 ;;
esac
