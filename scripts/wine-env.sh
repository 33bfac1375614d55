# Sourced by the Wine session scripts and test runners: the Wine environment of one preset's
# session.
#   wine_env <win32|win64> <session dir>
# Sets WINEPREFIX (inside the session), WINEARCH, WINELOADER and the quiet defaults every test
# shares. A win32 session uses wine32's loader, a win64 session wine64's in a 64-bit prefix.
wine_env() {
  local arch=$1 session=$2
  case "$arch" in
    win32) export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine ;;
    win64) export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 ;;
    *) echo "unknown Wine architecture: $arch" >&2; return 2 ;;
  esac
  export WINEPREFIX="$session/prefix" WINEDEBUG=-all
  # No Mono or Gecko install is ever asked for.
  export WINEDLLOVERRIDES="mscoree=;mshtml="
}

# Exits 77 (the tests' skip code) with the reason when this host cannot run the architecture.
wine_skip_unless_runnable() {
  local arch=$1 here reason
  [ "$arch" = win32 ] || return 0
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  if ! reason=$("$here/win32-host.sh" can-test); then
    echo "skipped: $reason"
    exit 77
  fi
}

# What a test runner does before it starts a program: skips where the host cannot run the
# architecture, starts the session if it is not up, and takes on its Wine environment and
# display. Sets WINE_SESSION_DIR to the session's absolute path.
#   wine_enter_session <win32|win64> <session dir>
wine_enter_session() {
  local arch=$1 session=$2 here
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  wine_skip_unless_runnable "$arch"
  if [ ! -f "$session/display" ] || [ ! -f "$session/prefix/system.reg" ]; then
    "$here/wine-session.sh" start "$arch" "$session"
  fi
  WINE_SESSION_DIR=$(cd "$session" && pwd)
  wine_env "$arch" "$WINE_SESSION_DIR"
  export DISPLAY
  DISPLAY=$(cat "$WINE_SESSION_DIR/display")
}
