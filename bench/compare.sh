#!/usr/bin/env bash
# Times, side by side in one run, what a person waits for on the large scenes:
#   read     cat of the 1,000,000-quadrangle scene into /dev/null
#   scene    c4dimport scene on it (the scene loaded into a document)
#   import   c4dimport import --large yes on it (the whole import, stand-in host)
#   assimp   assimp info -r on the same mesh as binary PLY (raw import)
# and the import of 100,000 against 10,000 small objects, then prints the
# ratios and the peak memory of the imports per polygon.
#
#   bench/compare.sh [--runs N] [--postprocess] [BUILD_DIR]
#
# BUILD_DIR defaults to $C4D_BUILD_DIR, else build-bench; it must have been
# configured with -DC4D_BUILD_BENCH=ON and built. Each command runs N times
# (default 5) in turns, and its median wall time counts. --postprocess also
# times assimp info with its default post-processing (slow).
set -euo pipefail

runs=5
postprocess=0
build=""
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --postprocess) postprocess=1; shift ;;
    -h|--help) sed -n '2,17p' "$0"; exit 0 ;;
    *) build="$1"; shift ;;
  esac
done
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${build:-${C4D_BUILD_DIR:-$root/build-bench}}"
tool="$build/tools/c4dimport/c4dimport"
maker="$build/bench/make_large_scenes"
scenes="${C4D_BENCH_SCENES:-$build/bench-scenes}"
for program in "$tool" "$maker"; do
  [ -x "$program" ] || { echo "compare.sh: $program is missing; build with -DC4D_BUILD_BENCH=ON" >&2; exit 2; }
done
command -v assimp > /dev/null || { echo "compare.sh: assimp (assimp-utils) is missing" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "compare.sh: /usr/bin/time (package time) is missing" >&2; exit 2; }

"$maker" "$scenes" > /dev/null
mesh="$scenes/mesh_1m.c4d"
ply="$scenes/mesh_1m.ply"
many="$scenes/objects_100k.c4d"
few="$scenes/objects_10k.c4d"
mesh_polygons=1000000
many_polygons=600000  # 100,000 boxes of 6 quadrangles

names=(read scene import assimp import_100k import_10k)
commands=(
  "cat '$mesh'"
  "'$tool' scene '$mesh'"
  "'$tool' import --large yes '$mesh'"
  "assimp info '$ply' -r -s"
  "'$tool' import --large yes '$many'"
  "'$tool' import --large yes '$few'"
)
if [ "$postprocess" = 1 ]; then
  names+=(assimp_post)
  commands+=("assimp info '$ply' -s")
fi

# Wall time of one run in microseconds.
time_once() {
  local start end
  start=$(date +%s%N)
  eval "$1" > /dev/null 2>&1
  end=$(date +%s%N)
  echo $(( (end - start) / 1000 ))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

declare -A samples
for (( r = 0; r < runs; r++ )); do
  for i in "${!names[@]}"; do
    samples[${names[$i]}]+="$(time_once "${commands[$i]}") "
  done
done
declare -A ms
for name in "${names[@]}"; do
  us=$(echo "${samples[$name]}" | tr ' ' '\n' | grep -v '^$' | median)
  ms[$name]=$(awk -v us="$us" 'BEGIN { printf "%.1f", us / 1000 }')
done

peak_kb() { /usr/bin/time -f '%M' bash -c "$1 > /dev/null 2>&1" 2>&1 | tail -1; }
import_kb=$(peak_kb "'$tool' import --large yes '$mesh'")
many_kb=$(peak_kb "'$tool' import --large yes '$many'")
assimp_kb=$(peak_kb "assimp info '$ply' -r -s")

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
per_polygon() { awk -v kb="$1" -v n="$2" 'BEGIN { printf "%.0f", kb * 1024 / n }'; }
verdict() { awk -v v="$1" -v limit="$2" -v op="$3" 'BEGIN { ok = (op == "<=") ? v <= limit : v < limit; print ok ? "met" : "NOT met" }'; }

echo "machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores; $(g++ --version | head -1)"
echo "median of $runs runs, wall time:"
for name in "${names[@]}"; do printf '  %-12s %9s ms\n' "$name" "${ms[$name]}"; done
echo "peak memory (max RSS):"
printf '  %-28s %8s KB  %5s bytes per polygon\n' "import of 1,000,000 quads" "$import_kb" "$(per_polygon "$import_kb" $mesh_polygons)"
printf '  %-28s %8s KB  %5s bytes per polygon\n' "import of 100,000 objects" "$many_kb" "$(per_polygon "$many_kb" $many_polygons)"
printf '  %-28s %8s KB  %5s bytes per polygon\n' "assimp raw import of the PLY" "$assimp_kb" "$(per_polygon "$assimp_kb" $mesh_polygons)"
echo "ratios (target):"
r1=$(ratio "${ms[scene]}" "${ms[read]}")
r2=$(ratio "${ms[import]}" "${ms[assimp]}")
r3=$(ratio "${ms[import_100k]}" "${ms[import_10k]}")
b4=$(per_polygon "$import_kb" $mesh_polygons)
printf '  scene / read             %6s  (<= 3)    %s\n' "$r1" "$(verdict "$r1" 3 '<=')"
printf '  import / assimp          %6s  (<= 1)    %s\n' "$r2" "$(verdict "$r2" 1 '<=')"
if [ "$postprocess" = 1 ]; then
  printf '  import / assimp_post     %6s  (<= 1)    %s\n' "$(ratio "${ms[import]}" "${ms[assimp_post]}")" \
    "$(verdict "$(ratio "${ms[import]}" "${ms[assimp_post]}")" 1 '<=')"
fi
printf '  import 100k / 10k        %6s  (<= 12)   %s\n' "$r3" "$(verdict "$r3" 12 '<=')"
printf '  bytes per polygon        %6s  (< 250)   %s\n' "$b4" "$(verdict "$b4" 250 '<')"
