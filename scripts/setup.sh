#!/usr/bin/env bash
# Installs what a Debian 12 machine lacks for the three presets (quick when everything is
# present), then configures and builds linux, win64 and win32 into dist/, one after another.
#
# wine32 is the one optional package: it is installed only where this host can run 32-bit
# programs (scripts/win32-host.sh decides), and where it cannot be installed set-up says so and
# the win32 preset's Wine tests are skipped. Every other package is required.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

required=(
  cmake ninja-build g++ clang libclang-rt-14-dev googletest
  openjdk-17-jdk-headless junit4
  zlib1g-dev libbz2-dev liblz4-dev libturbojpeg0-dev libbenchmark-dev xdelta3
  mingw-w64 libz-mingw-w64-dev
  gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
  wine wine64 xvfb xauth iproute2
)
optional_wine32=wine32:i386

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# A mirror in the middle of a sync can fail one index now and serve it a minute later; after
# the last try set-up goes on with the indexes that did load.
update_indexes() {
  local try
  for try in 1 2 3; do
    if $sudo apt-get update -q; then
      return 0
    fi
    echo "setup: apt-get update failed (try $try of 3)"
    [ $try -lt 3 ] && sleep 15
  done
  echo "setup: going on with the package indexes that did load"
}

apt_install() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "$@"
}

missing=()
for package in "${required[@]}"; do
  installed "$package" || missing+=("$package")
done

want_wine32=false
if reason=$(scripts/win32-host.sh runs-32bit); then
  installed "$optional_wine32" || want_wine32=true
else
  echo "setup: $reason; wine32 is not installed and the win32 Wine tests will be skipped"
fi

if [ ${#missing[@]} -gt 0 ] || $want_wine32; then
  if $want_wine32 && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  update_indexes
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! apt_install "${missing[@]}"; then
    # Find out which ones cannot be had, so the message names them.
    failed=()
    for package in "${missing[@]}"; do
      apt_install "$package" || failed+=("$package")
    done
    if [ ${#failed[@]} -gt 0 ]; then
      echo "setup: could not install these required packages: ${failed[*]}" >&2
      exit 1
    fi
  fi
fi

if $want_wine32; then
  echo "setup: installing $optional_wine32"
  if ! apt_install "$optional_wine32"; then
    echo "setup: $optional_wine32 could not be installed; the win32 Wine tests will be skipped"
  fi
fi

for preset in linux win64 win32; do
  started=$SECONDS
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "setup: built preset $preset in $((SECONDS - started)) s"
done
echo "built: dist/linux, dist/win64 and dist/win32"
