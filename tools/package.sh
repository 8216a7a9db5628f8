#!/usr/bin/env bash
# Builds the Debian package from a release build (build-release/): installs what is missing,
# configures and builds without tests and benchmarks, then runs cpack.
# The package lands in build-release/zylconfig_<version>_<architecture>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh build-release -DCMAKE_BUILD_TYPE=Release -DZYL_BUILD_TESTS=OFF -DZYL_BUILD_BENCH=OFF
cd build-release
cpack -G DEB
ls -l "$PWD"/zylconfig_*.deb
