#!/usr/bin/env bash
# Starts the panel under several locales of its table and checks the status text that each shows.
# Wine takes a program's locale from its own LC_ALL, so each panel is started from here.
#   panel-languages.sh <win32|win64> <session dir> <StatusPanel.exe> <recorder.exe> <reader.exe>
set -euo pipefail
arch=${1:?win32 or win64}
session=${2:?session directory}
panel=${3:?panel}
recorder=${4:?recorder}
reader=${5:?reader}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
run="$here/../../scripts/wine-run.sh"
source "$here/../../scripts/wine-env.sh"
wine_skip_unless_runnable "$arch"

work=$(mktemp -d "${TMPDIR:-/tmp}/panel-languages.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$panel" "$work/StatusPanel.exe"
cp "$recorder" "$work/BrevanController.exe"
cp "$recorder" "$work/BrevanLauncher.exe"
windows_work="Z:${work//\//\\}"

# locale, arguments, the text expected
cases=(
  "de_DE.UTF-8||Brevan beenden..."
  "fr_CA.UTF-8||Fermer Brevan..."
  "ja_JP.UTF-8||Brevanの停止..."
  "ko_KR.UTF-8|start|Brevan 시작..."
  "zh_TW.UTF-8||正在停止 Brevan..."
  "zh_CN.UTF-8|start|正在启动 Brevan..."
)
failures=0
for entry in "${cases[@]}"; do
  IFS='|' read -r locale arguments expected <<<"$entry"
  rm -f "$work/text.txt"
  # shellcheck disable=SC2086
  LC_ALL=$locale "$run" "$arch" "$session" "$work/StatusPanel.exe" $arguments \
      </dev/null >/dev/null 2>&1 &
  started=$!
  # The reader ends the panel once it has read the text.
  "$run" "$arch" "$session" "$reader" "$windows_work" "$windows_work\\text.txt" </dev/null || true
  wait "$started" || true
  shown=$(cat "$work/text.txt" 2>/dev/null || echo "(no panel)")
  if [ "$shown" = "$expected" ]; then
    echo "ok   $locale $arguments: $shown"
  else
    echo "FAIL $locale $arguments: \"$shown\", expected \"$expected\""
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ]
