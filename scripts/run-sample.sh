#!/usr/bin/env bash
# Installs what is missing, builds, imports the bundled sample scene through the
# module, writes what it made to sample.glb in the current folder and prints the
# summary. C4D_BUILD_DIR chooses the build folder (default: build); C4D_SAMPLE_OUT
# the file to write (default: sample.glb).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${C4D_BUILD_DIR:-$top/build}
out=${C4D_SAMPLE_OUT:-$PWD/sample.glb}
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" "$dir" -DC4D_BUILD_TESTS=OFF -DC4D_BUILD_TOOLS=ON
"$dir/tools/c4dimport/c4dimport" import "$top/examples/sample.c4d" -o "$out"
