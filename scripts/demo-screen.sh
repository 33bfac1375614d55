#!/usr/bin/env bash
# The screen source on a live desktop under Wine and Xvfb: a scripted scene opens, moves and
# repaints windows and moves the cursor; every packet goes through the project's viewer.
#   scripts/demo-screen.sh OUTDIR
# Writes OUTDIR/frame_*.png (what the viewer rebuilt), OUTDIR/side_by_side.png (the real screen
# and the rebuilt one) and prints one summary line. Uses the win32 build where this host runs
# 32-bit programs, else win64; builds what is missing.
set -euo pipefail
out=${1:?usage: scripts/demo-screen.sh OUTDIR}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
preset=win64
if "$root/scripts/win32-host.sh" can-test >/dev/null 2>&1; then preset=win32; fi
build="$root/build/$preset"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset "$preset" -S "$root" >/dev/null
fi
cmake --build "$build" --target screendemo >/dev/null
mkdir -p "$out"
out=$(cd "$out" && pwd)
session="$build/demo-session"
"$root/scripts/wine-session.sh" start "$preset" "$session" >/dev/null
trap '"$root/scripts/wine-session.sh" stop "$preset" "$session" >/dev/null 2>&1 || true' EXIT
"$root/scripts/wine-run.sh" "$preset" "$session" \
  "$build/screensource/tools/screendemo.exe" "Z:$(printf '%s' "$out" | tr / '\\')"
