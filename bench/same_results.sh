#!/usr/bin/env bash
# Checks that two builds import the large scenes and the sample alike: the
# JSON and the summary of `c4dimport import` (and the JSON of `c4dimport
# scene`) must be identical, and
# for the layer scenes also the layer table file and journal that an import
# with `--layers FILE` writes.
# Use it around a speed-up, with a build of the commit before it. The import's
# JSON is the result that must not change; the scene verb's output also changes
# when the verb itself learned to show more.
#
#   bench/same_results.sh REFERENCE_BUILD_DIR [BUILD_DIR]
#
# BUILD_DIR defaults to $C4D_BUILD_DIR, else build-bench. Exit code 0 when
# every result is the same, 1 otherwise.
set -uo pipefail

[ $# -ge 1 ] || { sed -n '2,11p' "$0"; exit 2; }
root="$(cd "$(dirname "$0")/.." && pwd)"
reference="$1/tools/c4dimport/c4dimport"
build="${2:-${C4D_BUILD_DIR:-$root/build-bench}}"
tool="$build/tools/c4dimport/c4dimport"
scenes="${C4D_BENCH_SCENES:-$build/bench-scenes}"
for program in "$reference" "$tool"; do
  [ -x "$program" ] || { echo "same_results.sh: $program is missing" >&2; exit 2; }
done
"$build/bench/make_large_scenes" "$scenes" > /dev/null || exit 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The table file and its journal after one import into a new table, in a
# folder of each tool's own (both run at once).
table_of() {
  local folder="$work/$3"
  rm -rf "$folder"
  mkdir "$folder"
  "$1" import --large yes --layers "$folder/layers.json" "$2" > /dev/null 2>&1
  cat "$folder/layers.json" "$folder/layers.json.journal" 2> /dev/null
}

status=0
for file in "$root/examples/sample.c4d" "$scenes"/*.c4d; do
  # The JSON of both verbs, and the summary of a plain import (which reads
  # the file once).
  for run in "import --json --large yes" "import --large yes" "scene --json"; do
    read -r -a words <<< "$run"
    # The file's path is printed as given; both tools get the same one.
    if cmp -s <("$reference" "${words[@]}" "$file" 2>&1) <("$tool" "${words[@]}" "$file" 2>&1); then
      echo "same       ${words[0]} ${words[1]/--large/summary} $(basename "$file")"
    else
      echo "DIFFERENT  ${words[0]} ${words[1]/--large/summary} $(basename "$file")"
      status=1
    fi
  done
  case "$(basename "$file")" in
    layers_*)
      if cmp -s <(table_of "$reference" "$file" reference) <(table_of "$tool" "$file" tool); then
        echo "same       layer table $(basename "$file")"
      else
        echo "DIFFERENT  layer table $(basename "$file")"
        status=1
      fi ;;
  esac
done
exit $status
