#!/usr/bin/env bash
# Fails when a Windows deliverable imports anything but Windows system DLLs (a user copies
# dist/win32 next to the Java application and nothing else).
#   check-imports.sh <objdump> <dist dir>
set -uo pipefail
objdump=${1:?objdump}
dist=${2:?dist dir}
system_dlls='^(kernel32|user32|gdi32|advapi32|msvcrt|ole32|oleaut32|shell32|shlwapi|ws2_32|wsock32|setupapi|powrprof|wtsapi32|avicap32|vfw32|msvfw32|winmm|version|iphlpapi|comctl32|comdlg32|userenv|netapi32|secur32|crypt32|ntdll|psapi|dbghelp|rpcrt4|wbemuuid|imm32|uxtheme)\.dll$'
shopt -s nullglob
files=("$dist"/*.dll "$dist"/*.exe)
if [ ${#files[@]} -eq 0 ]; then
  # A configure narrowed to a few subsystems may build no Windows deliverable at all.
  echo "no deliverables in $dist"
  exit 77
fi
status=0
for file in "${files[@]}"; do
  while read -r dll; do
    if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -qE "$system_dlls"; then
      echo "$(basename "$file") imports $dll, which is not a Windows system DLL"
      status=1
    fi
  done < <("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p')
done
[ $status -eq 0 ] && echo "${#files[@]} deliverables import only Windows system DLLs"
exit $status
