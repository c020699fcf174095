#!/usr/bin/env bash
# Configures and builds into a build folder: scripts/build.sh [DIR] [cmake options...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build}; shift || true
# Compiler cache entries are found again from a clone in another folder.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$top} CCACHE_NOHASHDIR=1
cmake -S "$top" -B "$dir" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
