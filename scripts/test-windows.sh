#!/usr/bin/env bash
# The Windows stage: the DLLs built with mingw-w64 (cmake/toolchain-mingw.cmake)
# for 32-bit Windows (the host's width; built and their export table checked)
# and for 64-bit Windows (built, checked, and the tests run under Wine).
#   scripts/test-windows.sh [BUILD_DIR_PREFIX]     (default: build-win: build-win32, build-win64)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
prefix=${1:-$top/build-win}
if ! "$top/scripts/install-deps.sh" --with-windows; then
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
ctest --test-dir "$prefix"32 --output-on-failure -R '^module_exports$'

# 64-bit: everything the tests need, then the tests under Wine in a prefix
# of the build's own (made once, before the tests start in parallel).
dir="$prefix"64
configure "$dir" x86_64
cmake --build "$dir" -j"$(nproc)"
WINEPREFIX="$dir/wine" WINEDEBUG=-all DISPLAY= /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
WINEPREFIX="$dir/wine" /usr/lib/wine/wineserver -w 2>/dev/null || true
log="$dir/ctest-windows.log"
ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$(nproc)" -V >"$log" 2>&1 || {
  grep -E "^[0-9]+: \[  FAILED  \]|Test *#.*\*\*\*|tests passed" "$log"; echo "Windows stage failed: see $log"; exit 1; }
grep -E "tests passed" "$log"
echo "Windows stage: $(grep -Eo '[0-9]+: \[  PASSED  \] [0-9]+ test' "$log" | awk '{s += $4} END {print s}') tests passed under Wine"
