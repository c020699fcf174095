#!/usr/bin/env bash
# Installs what is missing, builds, and runs the tool on the bundled sample scene.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" "$top/build" -DC4D_BUILD_TESTS=OFF
"$top/build/tools/c4dimport" chunks "$top/examples/sample.c4d"
