#!/usr/bin/env bash
# Imports the bundled sample, two damaged copies of it and every kept
# regression input with c4dimport under valgrind's memcheck:
#   scripts/memcheck.sh [BUILD_DIR]   (default: build, as scripts/test.sh)
# Fails when memcheck finds an error or a leak; the tool's own exit code (a
# damaged file is unreadable: 1) does not matter here.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-${C4D_BUILD_DIR:-$top/build}}
tool=$dir/tools/c4dimport/c4dimport
"$top/scripts/install-deps.sh" --with-fuzz  # valgrind
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sample=$top/examples/sample.c4d
size=$(stat -c %s "$sample")
head -c $((size / 2)) "$sample" >"$work/sample-cut.c4d"
cp "$sample" "$work/sample-changed.c4d"
# One byte in the middle of the object list turned to 0xFF.
printf '\377' | dd of="$work/sample-changed.c4d" bs=1 seek=$((size * 3 / 4)) conv=notrunc status=none

files=("$sample" "$work/sample-cut.c4d" "$work/sample-changed.c4d")
for f in "$top"/tests/regressions/*; do
  [[ -f $f && $f != *.md ]] && files+=("$f")
done
failed=0
for f in "${files[@]}"; do
  status=0
  valgrind -q --leak-check=full --errors-for-leak-kinds=definite,indirect,possible --error-exitcode=9 \
    "$tool" import --large yes "$f" >"$work/out.txt" 2>"$work/memcheck.txt" || status=$?
  if [ "$status" -eq 9 ]; then
    echo "memcheck: errors or leaks importing $f" >&2
    cat "$work/memcheck.txt" >&2
    failed=1
  else
    echo "memcheck: $(basename "$f") clean (c4dimport exit $status)" >&2
  fi
done
exit $failed
