#!/usr/bin/env bash
# Runs a Windows test in a Wine prefix of its own, for tests whose programs change the registry
# and drive C: (the session's shared prefix must not see that). The prefix is a fresh copy of a
# template prefix made once per build tree: the system DLLs are hard links, everything Wine may
# write is copied. The session's display is used, so windows can be made.
#   wine-fresh-prefix.sh <win32|win64> <session dir> <name> <program.exe> [args]
#                        [RESTART <program.exe> [args]]...
# RESTART ends every process of the prefix and starts Wine again as a machine restart does
# (delayed file operations are carried out). Exit code: the first program that failed, else 0;
# 77 (reported as skipped) when this host cannot run the architecture's Wine.
set -euo pipefail
arch=${1:?win32 or win64}
session=${2:?session directory}
name=${3:?test name}
shift 3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"
wine_enter_session "$arch" "$session"
session=$WINE_SESSION_DIR
fresh=$session/fresh
template=$fresh/template
prefix=$fresh/$name
mkdir -p "$fresh"

make_template() {
  [ -f "$template/system.reg" ] && return 0
  rm -rf "$template"
  WINEPREFIX=$template "$WINELOADER" wineboot -i </dev/null >"$fresh/template.log" 2>&1 9>&- ||
    { cat "$fresh/template.log" >&2; return 1; }
  WINEPREFIX=$template wineserver -w
}

# Wine rewrites some files in place (the registry, ini files): only the system DLLs are shared.
make_prefix() {
  if [ -d "$prefix" ]; then
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
  fi
  cp -al "$template" "$prefix"
  local file
  find "$prefix" -type f ! -path "$prefix/drive_c/windows/system32/*" \
       ! -path "$prefix/drive_c/windows/syswow64/*" ! -path "$prefix/drive_c/windows/winsxs/*" \
       -print0 | while IFS= read -r -d '' file; do
    cp -p --remove-destination "$template/${file#"$prefix"/}" "$file"
  done
}

restart() {
  wineserver -k 2>/dev/null || true
  wineserver -w
  "$WINELOADER" wineboot -r </dev/null >/dev/null 2>&1 9>&- || true
}

(
  flock 9
  make_template
) 9>"$fresh/template.lock"
make_prefix
export WINEPREFIX=$prefix
trap 'wineserver -k 2>/dev/null || true' EXIT
status=0
command=()
run() {
  [ ${#command[@]} -gt 0 ] || return 0
  "$WINELOADER" "${command[@]}" || status=$?
  command=()
}
for arg in "$@"; do
  if [ "$arg" = RESTART ]; then
    run
    [ "$status" -eq 0 ] || exit "$status"
    restart
  else
    command+=("$arg")
  fi
done
run
exit "$status"
