#!/usr/bin/env bash
# Runs every test of the three presets: native (sanitized), fuzz (short runs), Java on the real
# JVM, and the Windows deliverables under wine64 and, where this host can run 32-bit programs,
# under 32-bit Wine. Builds first, so it is safe after any change. Extra arguments go to ctest.
# Ends with one line on the Wine tests of each Windows preset and one line of totals.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

presets=(linux win64 win32)
for preset in "${presets[@]}"; do
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
    echo "build of preset $preset failed"
    exit 1
  fi
done

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
status=0
for preset in "${presets[@]}"; do
  echo "== tests of preset $preset"
  started=$SECONDS
  ctest --preset "$preset" "$@" 2>&1 | tee "$logs/$preset.log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  echo "== tests of preset $preset took $((SECONDS - started)) s"
done

# Counts the results of one preset's run, optionally only of the named tests:
#   outcomes <log> [names file]  ->  "passed failed skipped"
outcomes() {
  local log=$1 names=${2:-}
  sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) \.+ *(\*\*\*)?([A-Za-z]+( Run)?).*/\1 \3/p' "$log" |
    while read -r name result; do
      if [ -z "$names" ] || grep -qx "$name" "$names"; then echo "$result"; fi
    done |
    awk '$1 == "Passed" { p++ } $1 == "Skipped" { s++ } $1 != "Passed" && $1 != "Skipped" { f++ }
         END { printf "%d %d %d\n", p, f, s }'
}

wine_line="wine tests:"
separator=" "
total_passed=0 total_failed=0 total_skipped=0
for preset in "${presets[@]}"; do
  read -r passed failed skipped < <(outcomes "$logs/$preset.log")
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
  total_skipped=$((total_skipped + skipped))
  [ "$preset" = linux ] && continue
  # The session's start and stop come along with any Wine test; they are not counted.
  ctest --test-dir "build/$preset" -N -L '^wine$' |
    sed -nE 's/^ *Test +#[0-9]+: ([^ ]+)$/\1/p' | grep -v '^wine_session_' >"$logs/$preset.wine"
  read -r passed failed skipped < <(outcomes "$logs/$preset.log" "$logs/$preset.wine")
  if [ "$passed" -eq 0 ] && [ "$failed" -eq 0 ] && [ "$skipped" -gt 0 ]; then
    # Only the win32 tests skip themselves, for the reason the host check gives.
    reason=$(scripts/win32-host.sh can-test)
    summary="$preset skipped (${reason:-see the test log})"
  else
    summary="$preset $passed passed"
    [ "$failed" -eq 0 ] || summary+=", $failed failed"
    [ "$skipped" -eq 0 ] || summary+=", $skipped skipped"
  fi
  wine_line+="$separator$summary"
  separator="; "
done
echo
echo "$wine_line"
echo "total: $total_passed passed, $total_failed failed, $total_skipped skipped"
exit $status
