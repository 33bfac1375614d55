#!/usr/bin/env bash
# Runs every test of both presets: native (sanitized), fuzz (short runs), Java on the real JVM,
# and the Windows deliverables under Wine. Builds first, so it is safe after any change.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

status=0
for preset in linux win32; do
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
    echo "build of preset $preset failed"
    exit 1
  fi
done
for preset in linux win32; do
  echo "== tests of preset $preset"
  ctest --preset "$preset" "$@" || status=1
done
exit $status
