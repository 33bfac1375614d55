#!/usr/bin/env bash
# Runs one Windows test executable under Wine in the build tree's session (see wine-session.sh);
# CTest calls it as the cross-compiling emulator:
#   wine-run.sh <win32|win64> <session dir> <program.exe> [args]
# Exits 77 (reported as skipped) when this host cannot run the architecture's Wine.
set -euo pipefail
arch=${1:?win32 or win64}
session=${2:?session directory}
shift 2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"
wine_skip_unless_runnable "$arch"
if [ ! -f "$session/display" ] || [ ! -f "$session/prefix/system.reg" ]; then
  "$here/wine-session.sh" start "$arch" "$session"
fi
session=$(cd "$session" && pwd)
wine_env "$arch" "$session"
export DISPLAY
DISPLAY=$(cat "$session/display")
exec "$WINELOADER" "$@"
