#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
# C4D_BUILD_DIR chooses the build folder (default: build).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${C4D_BUILD_DIR:-$top/build}
"$top/scripts/install-deps.sh"
# Tests are switched on explicitly: the sample script may have left them off.
"$top/scripts/build.sh" "$dir" -DC4D_BUILD_TESTS=ON -DC4D_BUILD_TOOLS=ON
ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$(nproc)"
