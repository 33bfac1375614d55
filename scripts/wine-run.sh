#!/usr/bin/env bash
# Runs one Windows test executable under Wine in the build tree's session (see wine-session.sh);
# CTest calls it as the cross-compiling emulator:  wine-run.sh <session dir> <program.exe> [args]
set -euo pipefail
session=${1:?session directory}
shift
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [ ! -f "$session/display" ] || [ ! -f "$session/prefix/system.reg" ]; then
  "$here/wine-session.sh" start "$session"
fi
session=$(cd "$session" && pwd)
export WINEPREFIX="$session/prefix" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
export DISPLAY
DISPLAY=$(cat "$session/display")
exec wine "$@"
