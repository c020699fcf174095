#!/usr/bin/env bash
# The 32-bit stage: the module, the platform layer, the stand-in host and the
# tests built for 32-bit x86 (cmake/toolchain-linux-i686.cmake: -m32, with
# GoogleTest built from its sources and the tool's export formats that need
# 64-bit-only libraries left out), then run.
#   scripts/test-m32.sh [BUILD_DIR]     (default: build-m32)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build-m32}
if ! "$top/scripts/install-deps.sh" --with-m32; then
  echo "32-bit stage skipped: g++-multilib could not be installed"
  exit 0
fi
cmake -S "$top" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-linux-i686.cmake" \
  -DC4D_BUILD_TESTS=ON -DC4D_BUILD_TOOLS=ON -DC4D_BUILD_BENCH=OFF -DC4D_BUILD_FUZZ=OFF -DC4D_BUILD_PYTHON=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)"
log="$dir/ctest-m32.log"
ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$(nproc)" | tee "$log"
echo "32-bit stage: $(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$log" | tail -1 | awk '{print $6 - $1}') tests passed"
