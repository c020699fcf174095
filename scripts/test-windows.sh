#!/usr/bin/env bash
# The Windows stage: the DLLs built with mingw-w64 (cmake/toolchain-mingw.cmake)
# for 32-bit Windows (the host's width) and for 64-bit Windows, their export
# tables checked, and the tests of both run under Wine (the 32-bit ones where
# wine32 could be installed; without it only the DLLs are built and checked).
#   scripts/test-windows.sh [BUILD_DIR_PREFIX]     (default: build-win: build-win32, build-win64)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
prefix=${1:-$top/build-win}
if ! "$top/scripts/install-deps.sh" --with-windows >/dev/null; then
  echo "Windows stage skipped: mingw-w64 or wine64 could not be installed"
  exit 0
fi
if ! "$top/scripts/install-deps.sh" --with-wine32 >/dev/null; then
  echo "wine32 could not be installed: the 32-bit tests are left out"
fi
configure() {  # DIR ARCH
  cmake -S "$top" -B "$1" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw.cmake" -DC4D_WINDOWS_ARCH="$2" \
    -DC4D_BUILD_TESTS=ON -DC4D_BUILD_TOOLS=ON -DC4D_BUILD_BENCH=OFF -DC4D_BUILD_FUZZ=OFF -DC4D_BUILD_PYTHON=OFF >/dev/null
}

# The tests of one build under Wine, in a prefix of the build's own. One Wine
# server is kept running for the run: a test program that started it would
# be held open by it (and Wine's services) until it timed out.
wineserver=/usr/lib/wine/wineserver
run_tests() {  # DIR WIDTH WINEARCH
  local dir=$1 log="$1/ctest-windows.log"
  export WINEPREFIX="$dir/wine" WINEDEBUG=-all WINEARCH=$3
  mkdir -p "$WINEPREFIX"
  "$wineserver" -p
  trap '"$wineserver" -k 2>/dev/null || true' EXIT
  "$dir/wine-run" wineboot --init >/dev/null 2>&1
  if ! ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$(nproc)" -V >"$log" 2>&1; then
    grep -E "^[0-9]+: \[  FAILED  \]|\*\*\*|tests passed" "$log" || true
    echo "Windows stage failed ($2): see $log"
    exit 1
  fi
  "$wineserver" -k 2>/dev/null || true
  grep -E "tests passed" "$log"
  count() { grep -Eo "^[0-9]+: \[ +$1 +\] [0-9]+ test" "$log" | grep -Eo "[0-9]+ test" | awk '{s += $1} END {print s + 0}'; }
  echo "Windows stage: $(count PASSED) tests passed under Wine, $2 ($(count SKIPPED) skipped)"
}

configure "$prefix"32 i686
if [ -x "$prefix"32/wine-run ]; then
  cmake --build "$prefix"32 -j"$(nproc)"
  run_tests "$prefix"32 32-bit win32
else
  cmake --build "$prefix"32 -j"$(nproc)" --target Orbek_QEL_Server_C4D tessaro_afx tessaro_host_standin
  ctest --test-dir "$prefix"32 --output-on-failure --no-tests=error -R '^module_exports$'
fi

configure "$prefix"64 x86_64
cmake --build "$prefix"64 -j"$(nproc)"
run_tests "$prefix"64 64-bit win64
