#!/usr/bin/env bash
# Runs one Windows test executable under Wine in the build tree's session (see wine-session.sh);
# CTest calls it as the cross-compiling emulator:
#   wine-run.sh <win32|win64> <session dir> <program.exe> [args]
# Exits 77 (reported as skipped) when this host cannot run the architecture's Wine.
set -euo pipefail
arch=${1:?win32 or win64}
session=${2:?session directory}
shift 2
source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-env.sh"
wine_enter_session "$arch" "$session"
exec "$WINELOADER" "$@"
