#!/usr/bin/env bash
# The one place that decides whether this host can run the win32 preset's Wine tests.
#   win32-host.sh runs-32bit   exit 0 when the kernel starts 32-bit x86 programs
#   win32-host.sh can-test     exit 0 when, in addition, wine32 is installed
# On failure it prints the reason in one line and exits 1.
#
# Some hosts run 64-bit user code only: the kernel refuses every 32-bit program (execve gives
# ENOEXEC), so wine32 cannot start there however it is installed. The probe is a 96-byte static
# i386 program that only calls exit(42); no compiler or 32-bit library is needed to make it.
set -uo pipefail

runs_32bit() {
  local probe status
  probe=$(mktemp "${TMPDIR:-/tmp}/brevan-i386-probe.XXXXXX") || return 1
  # ELF header, one loadable segment at 0x08048000, then: mov eax,1; mov ebx,42; int 0x80.
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  status=$?
  rm -f "$probe"
  if [ $status -ne 42 ]; then
    echo "this host cannot run 32-bit programs"
    return 1
  fi
}

wine32_installed() {
  if [ ! -x /usr/lib/wine/wine ]; then
    echo "wine32 is not installed"
    return 1
  fi
}

case "${1:-}" in
  runs-32bit) runs_32bit ;;
  can-test) runs_32bit && wine32_installed ;;
  *) echo "usage: win32-host.sh runs-32bit|can-test" >&2; exit 2 ;;
esac
