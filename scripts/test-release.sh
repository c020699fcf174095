#!/usr/bin/env bash
# The tool as it ships: a Release build links mimalloc on large pages and runs
# its verbs on a thread of their own, which no test build does (they keep
# glibc's allocator for valgrind and the sanitizers). The tool's end-to-end
# tests (exit codes, layer table files, batches with workers, the terminal and
# Ctrl-C, rebuilt primitives) run against that tool.
#   scripts/test-release.sh [BUILD_DIR]     (default: build-release)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build-release}
"$top/scripts/install-deps.sh"
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$top} CCACHE_NOHASHDIR=1
cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DC4D_TOOL_MIMALLOC=ON -DC4D_BUILD_TESTS=ON \
  -DC4D_BUILD_TOOLS=ON -DC4D_BUILD_BENCH=OFF -DC4D_BUILD_PYTHON=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)" --target e2e_tests
tool="$dir/tools/c4dimport/c4dimport"
if ! ldd "$tool" | grep -q mimalloc; then
  echo "release stage: $tool does not link mimalloc" >&2
  exit 1
fi
"$dir/tests/e2e_tests"
