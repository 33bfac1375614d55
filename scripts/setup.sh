#!/usr/bin/env bash
# Installs what a Debian 12 machine lacks for both targets (quick when everything is present),
# then configures and builds the linux and win32 presets into dist/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev googletest
  openjdk-17-jdk-headless junit4
  zlib1g-dev libbz2-dev liblz4-dev libturbojpeg0-dev libbenchmark-dev xdelta3
  mingw-w64 gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev
  wine wine32:i386 xvfb xauth
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

for preset in linux win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
echo "built: dist/linux and dist/win32"
