#!/usr/bin/env bash
# Runs one Windows test under Wine inside a network namespace of its own, with only loopback up,
# so that whatever the programs under test send can reach nothing but this host's loopback.
#   wine-in-netns.sh <win32|win64> <session dir> <program.exe> [args]
# Wine makes sockets in its server, so the session's server (outside the namespace) must not
# serve these programs: a server of their own runs inside the namespace, on a copy-on-write view
# of the session's prefix (a prefix of another path gets another server), and goes with the test.
# Exits 77 (reported as skipped) when namespaces or the architecture's Wine are not available.
set -euo pipefail
arch=${1:?win32 or win64}
session=${2:?session directory}
shift 2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
scripts="$here/../../scripts"
source "$scripts/wine-env.sh"
wine_skip_unless_runnable "$arch"
if [ ! -f "$session/display" ] || [ ! -f "$session/prefix/system.reg" ]; then
  "$scripts/wine-session.sh" start "$arch" "$session"
fi
session=$(cd "$session" && pwd)
if ! command -v ip >/dev/null || ! unshare -n -m true 2>/dev/null; then
  echo "skipped: no network and mount namespaces can be made here (needs root and ip)"
  exit 77
fi

inside() {
  set -euo pipefail
  ip link set dev lo up
  # The view lives on a tmpfs of this mount namespace; nothing of it outlasts the test.
  local view="$session/netns-view"
  mkdir -p "$view"
  mount -t tmpfs tmpfs "$view"
  mkdir "$view/upper" "$view/work" "$view/prefix"
  if ! mount -t overlay overlay \
      -o "lowerdir=$session/prefix,upperdir=$view/upper,workdir=$view/work" "$view/prefix"; then
    echo "skipped: no overlay mount of the Wine prefix can be made here"
    return 77
  fi
  wine_env "$arch" "$session"
  export WINEPREFIX="$view/prefix" DISPLAY
  DISPLAY=$(cat "$session/display")
  local status=0
  "$WINELOADER" "$@" || status=$?
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  return $status
}

export -f inside wine_env
export arch session
exec unshare -n -m bash -c 'inside "$@"' inside "$@"
