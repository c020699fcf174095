#!/usr/bin/env bash
# Times, side by side in one run, what a person waits for on the large scenes,
# and prints each ratio with its target:
#   import / assimp          c4dimport import --large yes of the 1,000,000-quadrangle
#                            grid against assimp's raw import (info -r) of the same
#                            mesh as binary PLY                                  <= 1.0
#   bytes per polygon        peak memory (max RSS) of that import per polygon     < 200
#   scene / read             c4dimport scene on the grid against read_into_memory,
#                            the file read into memory of its own and nothing else <= 1.5
#   layers: table / none     import of 10,000 objects on 10,000 layers with
#                            --layers FILE (a new table file each run) / without  <= 2
#   layers: 20k / 10k        the same with 20,000 layers / 10,000, both with
#                            --layers                                             <= 2.5
#   objects: 100k / 10k      import of 100,000 objects / 10,000 (1,000 layers)    <= 11
# It also times `import --json` of the grid (no target): JSON needs the counts
# of a counting pass of the tool's own, so it reads the file more than once,
# where a plain import reads it once.
#
#   bench/compare.sh [--runs N] [--postprocess] [BUILD_DIR]
#
# BUILD_DIR defaults to $C4D_BUILD_DIR, else build-bench; it must have been
# configured with -DC4D_BUILD_BENCH=ON (Release) and built. Each command runs N
# times (default 5, at least 5) in turns, and its median wall time counts; the
# median CPU time (user and system) is shown beside it.
# --postprocess also times assimp info with its default post-processing (slow).
set -euo pipefail

runs=5
postprocess=0
build=""
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --postprocess) postprocess=1; shift ;;
    -h|--help) sed -n '2,25p' "$0"; exit 0 ;;
    *) build="$1"; shift ;;
  esac
done
[ "$runs" -ge 5 ] 2>/dev/null || { echo "compare.sh: --runs takes a number of at least 5" >&2; exit 2; }
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${build:-${C4D_BUILD_DIR:-$root/build-bench}}"
tool="$build/tools/c4dimport/c4dimport"
maker="$build/bench/make_large_scenes"
reader="$build/bench/read_into_memory"
scenes="${C4D_BENCH_SCENES:-$build/bench-scenes}"
for program in "$tool" "$maker" "$reader"; do
  [ -x "$program" ] || { echo "compare.sh: $program is missing; build with -DC4D_BUILD_BENCH=ON" >&2; exit 2; }
done
command -v assimp > /dev/null || { echo "compare.sh: assimp (assimp-utils) is missing" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "compare.sh: /usr/bin/time (package time) is missing" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$maker" "$scenes" > /dev/null
mesh="$scenes/mesh_1m.c4d"
ply="$scenes/mesh_1m.ply"
many="$scenes/objects_100k.c4d"
few="$scenes/objects_10k.c4d"
layers10="$scenes/layers_10k.c4d"
layers20="$scenes/layers_20k.c4d"
mesh_polygons=1000000

# A run with --layers starts from no table file, as the first import into a
# new drawing does.
with_table() { echo "rm -f '$work/$1.json'*; '$tool' import --large yes --layers '$work/$1.json' '$2'"; }
names=(read scene import import_json assimp objects_100k objects_10k layers_10k layers_10k_table layers_20k_table)
commands=(
  "'$reader' '$mesh'"
  "'$tool' scene '$mesh'"
  "'$tool' import --large yes '$mesh'"
  "'$tool' import --json --large yes '$mesh'"
  "assimp info '$ply' -r -s"
  "'$tool' import --large yes '$many'"
  "'$tool' import --large yes '$few'"
  "'$tool' import --large yes '$layers10'"
  "$(with_table l10 "$layers10")"
  "$(with_table l20 "$layers20")"
)
if [ "$postprocess" = 1 ]; then
  names+=(assimp_post)
  commands+=("assimp info '$ply' -s")
fi

# Microseconds of user and system time of the shell's finished children, from
# the second line of what `times` wrote (e.g. "0m1.250s 0m0.310s"). `times`
# itself must run in the shell whose children count, not in a subshell.
children_cpu() { tail -1 "$1" | awk '{ t = 0; for (i = 1; i <= 2; i++) { split($i, p, /[ms]/); t += p[1] * 60 + p[2] } printf "%d", t * 1000000 }'; }

# Wall time and CPU time (user and system) of one run in microseconds.
time_once() {
  local start end
  times > "$work/before"
  start=$(date +%s%N)
  eval "$1" > /dev/null 2>&1
  end=$(date +%s%N)
  times > "$work/after"
  echo "$(( (end - start) / 1000 )) $(( $(children_cpu "$work/after") - $(children_cpu "$work/before") ))"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
declare -A samples cpu_samples
for (( r = 0; r < runs; r++ )); do
  for i in "${!names[@]}"; do
    read -r wall cpu < <(time_once "${commands[$i]}")
    samples[${names[$i]}]+="$wall "
    cpu_samples[${names[$i]}]+="$cpu "
  done
done
declare -A ms cpu_ms
for name in "${names[@]}"; do
  us=$(echo "${samples[$name]}" | tr ' ' '\n' | grep -v '^$' | median)
  ms[$name]=$(awk -v us="$us" 'BEGIN { printf "%.1f", us / 1000 }')
  us=$(echo "${cpu_samples[$name]}" | tr ' ' '\n' | grep -v '^$' | median)
  cpu_ms[$name]=$(awk -v us="$us" 'BEGIN { printf "%.1f", us / 1000 }')
done

peak_kb() { /usr/bin/time -f '%M' bash -c "$1 > /dev/null 2>&1" 2>&1 | tail -1; }
import_kb=$(peak_kb "'$tool' import --large yes '$mesh'")
many_kb=$(peak_kb "'$tool' import --large yes '$many'")
assimp_kb=$(peak_kb "assimp info '$ply' -r -s")
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
per_polygon() { awk -v kb="$1" -v n="$2" 'BEGIN { printf "%.0f", kb * 1024 / n }'; }
verdict() { awk -v v="$1" -v limit="$2" -v op="$3" 'BEGIN { ok = (op == "<=") ? v <= limit : v < limit; print ok ? "met" : "NOT met" }'; }
# name, value, operator, limit[, the same ratio of CPU times]
show() {
  printf '  %-24s %7s  (%s %s)  %-8s' "$1" "$2" "$3" "$4" "$(verdict "$2" "$4" "$3")"
  [ $# -ge 5 ] && printf '  CPU time: %s' "$5"
  echo
}
# The ratio of two commands' wall times, and of their CPU times: on a busy
# machine a long run waits for the processor longer than a short one.
show_ratio() { show "$1" "$(ratio "${ms[$2]}" "${ms[$3]}")" "$4" "$5" "$(ratio "${cpu_ms[$2]}" "${cpu_ms[$3]}")"; }

echo "machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores; $(g++ --version | head -1)"
echo "load average (1, 5, 15 min): $load_before before, $load_after after"
echo "median of $runs runs, wall time and CPU time (user and system):"
for name in "${names[@]}"; do printf '  %-18s %9s ms  %9s ms CPU\n' "$name" "${ms[$name]}" "${cpu_ms[$name]}"; done
echo "peak memory (max RSS):"
printf '  %-28s %8s KB  %5s bytes per polygon\n' "import of 1,000,000 quads" "$import_kb" "$(per_polygon "$import_kb" $mesh_polygons)"
printf '  %-28s %8s KB  %5s bytes per polygon\n' "import of 100,000 objects" "$many_kb" "$(per_polygon "$many_kb" 600000)"
printf '  %-28s %8s KB  %5s bytes per polygon\n' "assimp raw import of the PLY" "$assimp_kb" "$(per_polygon "$assimp_kb" $mesh_polygons)"
echo "ratios (target):"
show_ratio "import / assimp" import assimp '<=' 1.0
if [ "$postprocess" = 1 ]; then
  show_ratio "import / assimp_post" import assimp_post '<=' 1.0
fi
show "bytes per polygon" "$(per_polygon "$import_kb" $mesh_polygons)" '<' 200
show_ratio "scene / read" scene read '<=' 1.5
show_ratio "layers: table / none" layers_10k_table layers_10k '<=' 2
show_ratio "layers: 20k / 10k" layers_20k_table layers_10k_table '<=' 2.5
show_ratio "objects: 100k / 10k" objects_100k objects_10k '<=' 11
