#!/usr/bin/env bash
# The files the tool writes, read by each format's reference reader (the glTF
# validator, ezdxf, the 3MF library, the asset library): installs the readers,
# builds the export tests and the tool, runs them with every reader required.
# scripts/test-formats.sh [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build}
"$top/scripts/install-deps.sh" --with-validators="$dir/validators"
cmake -S "$top" -B "$dir" -DC4D_BUILD_TESTS=ON -DC4D_BUILD_TOOLS=ON >/dev/null
cmake --build "$dir" -j"$(nproc)" --target export_tests c4dimport
C4D_REQUIRE_VALIDATORS=1 ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$(nproc)" \
  -R 'ReferenceReaders|FormatWriters'
