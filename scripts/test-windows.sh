#!/usr/bin/env bash
# The Windows stage: the DLLs built with mingw-w64 (cmake/toolchain-mingw.cmake)
# for 32-bit Windows (the host's width; built and their export table checked)
# and for 64-bit Windows (built, checked, and the tests run under Wine).
#   scripts/test-windows.sh [BUILD_DIR_PREFIX]     (default: build-win: build-win32, build-win64)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
prefix=${1:-$top/build-win}
if ! "$top/scripts/install-deps.sh" --with-windows >/dev/null; then
  echo "Windows stage skipped: mingw-w64 or wine64 could not be installed"
  exit 0
fi
configure() {  # DIR ARCH
  cmake -S "$top" -B "$1" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw.cmake" -DC4D_WINDOWS_ARCH="$2" \
    -DC4D_BUILD_TESTS=ON -DC4D_BUILD_TOOLS=ON -DC4D_BUILD_BENCH=OFF -DC4D_BUILD_FUZZ=OFF -DC4D_BUILD_PYTHON=OFF >/dev/null
}

# 32-bit: the module, the platform layer and the stand-in host as DLLs.
configure "$prefix"32 i686
cmake --build "$prefix"32 -j"$(nproc)" --target Orbek_QEL_Server_C4D tessaro_afx tessaro_host_standin
ctest --test-dir "$prefix"32 --output-on-failure --no-tests=error -R '^module_exports$'

# 64-bit: the DLLs and the test programs, run under Wine in a prefix of the
# build's own. One Wine server is kept running for the whole run: a test
# program that started it would be held open by it (and Wine's services)
# until it timed out.
dir="$prefix"64
configure "$dir" x86_64
cmake --build "$dir" -j"$(nproc)"
export WINEPREFIX="$dir/wine" WINEDEBUG=-all
wineserver=/usr/lib/wine/wineserver
mkdir -p "$WINEPREFIX"
"$wineserver" -p
trap '"$wineserver" -k 2>/dev/null || true' EXIT
"$dir/wine-run" wineboot --init >/dev/null 2>&1
log="$dir/ctest-windows.log"
if ! ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$(nproc)" -V >"$log" 2>&1; then
  grep -E "^[0-9]+: \[  FAILED  \]|\*\*\*|tests passed" "$log" || true
  echo "Windows stage failed: see $log"
  exit 1
fi
grep -E "tests passed" "$log"
count() { grep -Eo "^[0-9]+: \[ +$1 +\] [0-9]+ test" "$log" | grep -Eo "[0-9]+ test" | awk '{s += $1} END {print s + 0}'; }
echo "Windows stage: $(count PASSED) tests passed under Wine ($(count SKIPPED) skipped)"
