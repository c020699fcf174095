#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (CI runs this). Each
# stage is one script, called from one line below, and its time is printed.
# C4D_BUILD_DIR chooses the build folder (default: build); the sanitizer and
# fuzz trees live beside it (DIR-sanitize, DIR-fuzz). C4D_FUZZ_SECONDS is the
# time per fuzz target (default 30).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${C4D_BUILD_DIR:-$top/build}
# The compiler cache keys on paths below the project root, so that a fresh
# clone in another folder finds what an earlier run compiled.
export CCACHE_BASEDIR=$top CCACHE_NOHASHDIR=1
# The real scene files beside the clone are part of the test: a test that
# needs them fails when they are missing, instead of skipping.
export C4D_REQUIRE_CORPUS=1
stage() {
  local start=$SECONDS
  "$@"
  echo "== stage ${1##*/}: $((SECONDS - start)) s" >&2
}

stage "$top/scripts/test-plain.sh" "$dir"
stage "$top/scripts/test-release.sh" "$dir-release"
stage "$top/scripts/test-python.sh" "$dir"
stage "$top/scripts/test-formats.sh" "$dir"
stage "$top/scripts/test-sanitize.sh" "$dir-sanitize"
stage "$top/scripts/memcheck.sh" "$dir"
stage env C4D_FUZZ_BUILD_DIR="$dir-fuzz" "$top/scripts/fuzz.sh" "${C4D_FUZZ_SECONDS:-30}"
stage "$top/scripts/test-m32.sh" "$dir-m32"
stage "$top/scripts/test-windows.sh" "$dir-win"
