#!/usr/bin/env bash
# Installs what is missing, builds, and imports the bundled sample scene through the module.
# C4D_BUILD_DIR chooses the build folder (default: build).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${C4D_BUILD_DIR:-$top/build}
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" "$dir" -DC4D_BUILD_TESTS=OFF -DC4D_BUILD_TOOLS=ON
"$dir/tools/c4dimport/c4dimport" import "$top/examples/sample.c4d"
