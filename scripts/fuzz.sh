#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time on
# its corpus: scripts/fuzz.sh [SECONDS] [TARGET...]
#   SECONDS  time per target (default 45); 0 only runs each target over its
#            corpus once
#   TARGET   fuzz_chunk_walk, fuzz_scene_load, fuzz_import, fuzz_convert
#            (default: all four)
# C4D_FUZZ_BUILD_DIR chooses the build folder (default: build-fuzz). Each
# target's corpus grows in <build>/fuzz/corpus/<target>, seeded from the
# generated seeds and every file in tests/regressions. An input that crashes,
# leaks or hangs a target is copied to tests/regressions/ (where the
# regression tests load and import it) and the script fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${C4D_FUZZ_BUILD_DIR:-$top/build-fuzz}
seconds=45
if [[ $# -gt 0 && $1 =~ ^[0-9]+$ ]]; then seconds=$1; shift; fi
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_chunk_walk fuzz_scene_load fuzz_import fuzz_convert)

"$top/scripts/install-deps.sh" --with-fuzz
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$top} CCACHE_NOHASHDIR=1
# Only the targets and their seeds are built (the converter library, which
# fuzz_convert drives, is built without the tools too).
CC=clang CXX=clang++ cmake -S "$top" -B "$dir" -DC4D_BUILD_FUZZ=ON -DC4D_BUILD_TESTS=OFF -DC4D_BUILD_TOOLS=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)" --target fuzz_chunk_walk fuzz_scene_load fuzz_import fuzz_convert fuzz_seeds

regressions=$top/tests/regressions
mkdir -p "$regressions"
failed=()
for target in "${targets[@]}"; do
  corpus=$dir/fuzz/corpus/$target
  artifacts=$dir/fuzz/artifacts/$target
  mkdir -p "$corpus" "$artifacts"
  rm -f "$artifacts"/crash-* "$artifacts"/leak-* "$artifacts"/timeout-* "$artifacts"/oom-*
  echo "fuzzing $target for ${seconds}s" >&2
  # One process at a time (the machine is shared); inputs up to 64 KiB; an
  # input that runs longer than 10 s or needs more than 2 GiB is a fault.
  if [ "$seconds" -eq 0 ]; then limit=(-runs=0); else limit=(-max_total_time="$seconds"); fi
  if ! "$dir/fuzz/$target" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -dict="$top/fuzz/c4d.dict" -artifact_prefix="$artifacts/" -print_final_stats=1 \
      "$corpus" "$dir/fuzz/seeds" "$regressions" 2>"$artifacts/log.txt"; then
    failed+=("$target")
    tail -n 60 "$artifacts/log.txt" >&2
    for input in "$artifacts"/crash-* "$artifacts"/leak-* "$artifacts"/timeout-* "$artifacts"/oom-*; do
      [ -e "$input" ] || continue
      kept=$regressions/$target-$(basename "$input").c4d
      cp "$input" "$kept"
      echo "kept $kept" >&2
    done
  fi
  grep -E "^stat::number_of_executed_units|^Done" "$artifacts/log.txt" >&2 || true
  rm -f /dev/shm/fuzz_convert-*  # fuzz_convert's outputs
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found faults in: ${failed[*]}" >&2
  exit 1
fi
