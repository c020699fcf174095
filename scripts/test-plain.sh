#!/usr/bin/env bash
# The plain build and all its tests: scripts/test-plain.sh [BUILD_DIR]
# (default: $C4D_BUILD_DIR, else build).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-${C4D_BUILD_DIR:-$top/build}}
"$top/scripts/install-deps.sh"
# Tests are switched on explicitly: the sample script may have left them off.
"$top/scripts/build.sh" "$dir" -DC4D_BUILD_TESTS=ON -DC4D_BUILD_TOOLS=ON
ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$(nproc)"
