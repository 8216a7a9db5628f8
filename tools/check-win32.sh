#!/usr/bin/env bash
# The Windows serial backend is built only on Windows. Compile it here with the MinGW cross
# compiler (syntax and types, no object files), together with the shared serial code it is
# linked with there, so neither can rot unseen.
set -uo pipefail
cd "$(dirname "$0")/.."

cxx=x86_64-w64-mingw32-g++-posix
if ! command -v "$cxx" >/dev/null 2>&1; then
  echo "check-win32: $cxx not found; install it with: sudo apt-get install g++-mingw-w64-x86-64-posix" >&2
  exit 1
fi

files=(
  src/link/Win32SerialDevice.cpp
  src/link/Win32DeviceProvider.cpp
  src/link/Win32SerialPortScan.cpp
  src/link/Win32PortSettings.cpp
  src/link/PortSettings.cpp
  src/link/LinkReason.cpp
  src/link/Schnittstelle.cpp
  src/link/PortMap.cpp
  src/sim/SimulatedLine.cpp
  src/sim/SimIdentDevice.cpp
)
flags=(-std=c++20 -fsyntax-only -Wall -Wextra -Werror -Wconversion -Wno-sign-conversion
       -Isrc/link -Isrc/sim)

failed=0
for f in "${files[@]}"; do
  if "$cxx" "${flags[@]}" "$f"; then
    echo "check-win32: ok     $f"
  else
    echo "check-win32: FAILED $f" >&2
    failed=$((failed + 1))
  fi
done
if [ "$failed" -ne 0 ]; then
  echo "check-win32: $failed of ${#files[@]} files do not compile for Windows" >&2
  exit 1
fi
echo "check-win32: all ${#files[@]} files compile for Windows ($("$cxx" -dumpversion), ${flags[*]})"
