#!/bin/bash
# Installs what the build and the tests need, on a Debian 12 machine as root.
# Quick when everything is there already.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev googletest libbenchmark-dev
  zlib1g-dev libsqlite3-dev
  g++-mingw-w64-i686 libz-mingw-w64-dev
  wine wine32:i386 xvfb xdotool imagemagick liblnk-utils
  nsis strace
  osslsigncode openssl
  python3-jsonschema python3-yaml
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "deps: installing ${missing[*]}"
if [ "$(id -u)" != 0 ]; then
  echo "deps: run as root to install packages" >&2
  exit 1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
