#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
# C4D_BUILD_DIR chooses the build folder (default: build).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${C4D_BUILD_DIR:-$top/build}
"$top/scripts/install-deps.sh"
# Tests are switched on explicitly: the sample script may have left them off.
"$top/scripts/build.sh" "$dir" -DC4D_BUILD_TESTS=ON -DC4D_BUILD_TOOLS=ON
ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$(nproc)"
"$top/scripts/test-python.sh" "$dir"
"$top/scripts/test-formats.sh" "$dir"

# Hardening: the same tests built with the address and undefined-behaviour
# sanitizers (leaks included; line tables only for the reports, which builds
# a quarter faster), the tool under valgrind's memcheck, and each fuzz target
# for C4D_FUZZ_SECONDS (default 30) on its corpus. The sanitizer and fuzz
# builds live beside the main one.
"$top/scripts/install-deps.sh" --with-fuzz
"$top/scripts/build.sh" "$dir-sanitize" -DC4D_SANITIZE=ON -DC4D_BUILD_TESTS=ON -DC4D_BUILD_TOOLS=ON \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
ctest --test-dir "$dir-sanitize" --output-on-failure --no-tests=error -j"$(nproc)"
"$top/scripts/memcheck.sh" "$dir"
C4D_FUZZ_BUILD_DIR="$dir-fuzz" "$top/scripts/fuzz.sh" "${C4D_FUZZ_SECONDS:-30}"
