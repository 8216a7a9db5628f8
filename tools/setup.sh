#!/usr/bin/env bash
# Shared by ./run and ./test: install what is missing (Debian), then configure and build.
# Usage: tools/setup.sh <build-dir> [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ pkg-config
          qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools libgl-dev
          libgtest-dev libgmock-dev googletest libbenchmark-dev
          g++-mingw-w64-x86-64-posix fonts-dejavu-core ccache
          qt6-serialport-dev qt6-translations-l10n wine64
          dpkg-dev file man-db desktop-file-utils
          clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "Missing packages. Install them with:"
    echo "  sudo apt-get install ${missing[*]}"
    exit 1
  fi
fi

build="$1"; shift
# ccache keeps rebuilds of other checkouts of the same sources cheap; paths are taken relative to
# the checkout so that two work trees share the cache.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja "${launcher[@]}" "$@"
fi
cmake --build "$build" -j "$(nproc)"
