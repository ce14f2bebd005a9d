#!/usr/bin/env bash
# Builds everything and runs the whole test suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LCV_BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
cd "$build"
ctest --output-on-failure -j"$(nproc)"
