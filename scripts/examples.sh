#!/usr/bin/env bash
# Builds lcv and compares the sample trees shipped in examples/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LCV_BUILD_DIR:-$root/build}
"$root/scripts/build.sh" >&2
cd "$root/examples"
status=0
"$build/bin/lcv" -i -sh -skmd old/Sample.app new/Sample.app || status=$?
echo "lcv exited with status $status" >&2
