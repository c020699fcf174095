#!/usr/bin/env bash
# The same tests built with the address and undefined-behaviour sanitizers,
# leaks included: scripts/test-sanitize.sh [BUILD_DIR] (default: build-sanitize).
# Line tables only for the reports, which builds a quarter faster; no Python
# extension and no benchmarks, which no test here runs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build-sanitize}
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" "$dir" -DC4D_SANITIZE=ON -DC4D_BUILD_TESTS=ON -DC4D_BUILD_TOOLS=ON \
  -DC4D_BUILD_PYTHON=OFF -DC4D_BUILD_BENCH=OFF "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$(nproc)"
