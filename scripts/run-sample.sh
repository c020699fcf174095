#!/usr/bin/env bash
# Installs what is missing, builds, and runs the tool on the bundled sample scene.
# C4D_BUILD_DIR chooses the build folder (default: build).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${C4D_BUILD_DIR:-$top/build}
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" "$dir" -DC4D_BUILD_TESTS=OFF -DC4D_BUILD_TOOLS=ON
"$dir/tools/c4dimport/c4dimport" chunks "$top/examples/sample.c4d"
