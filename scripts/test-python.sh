#!/usr/bin/env bash
# The Python extension and the Blender add-on, tested with the real things:
# pytest on the extension against scenes the test-support writer makes, and
# one headless Blender that imports the bundled sample through the add-on.
#   scripts/test-python.sh [BUILD_DIR]   (default: $C4D_BUILD_DIR, else build)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-${C4D_BUILD_DIR:-$top/build}}
"$top/scripts/install-deps.sh" --with-python
# Searched again: a configure before the packages were installed cached its misses.
cmake -S "$top" -B "$dir" -U "*Python3_*" -U pybind11_DIR -DC4D_BUILD_TESTS=ON -DC4D_BUILD_TOOLS=ON -DC4D_BUILD_PYTHON=ON >/dev/null
cmake --build "$dir" -j"$(nproc)" --target tessaro_c4d c4dimport make_scenes Orbek_QEL_SERVER_C4D Orbek_KVT_Controls
# Debian's interpreter: the one the extension is built for.
C4D_BUILD_DIR="$dir" PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 -m pytest -q -p no:cacheprovider "$top/python/tests"

# The add-on as a user installs it (the extension inside it), in one Blender run.
addon="$dir/blender-addon"
rm -rf "$addon"
cmake --install "$dir" --prefix "$addon" --component blender >/dev/null
scenes=$(mktemp -d)
trap 'rm -rf "$scenes"' EXIT
"$dir/tests/support/make_scenes" "$scenes" >/dev/null
head -c 700 "$top/examples/sample.c4d" >"$scenes/cut.c4d"
# The real scene files beside the clone: each one's tree, materials, UVs,
# cameras and lights in Blender as the extension gives them.
corpus=("$top/../shared/corpus-newer/"*.c4d)
if [ ! -e "${corpus[0]}" ]; then
  [ -n "${C4D_REQUIRE_CORPUS:-}" ] && { echo "no scene files in ../shared/corpus-newer beside the clone" >&2; exit 1; }
  corpus=()
fi
blender -b --factory-startup --python-exit-code 1 --python "$top/python/tests/blender_import_check.py" -- \
  "$addon/share/tessaro-c4d/blender" "$top/examples/sample.c4d" "$scenes/states.c4d" "$scenes/cut.c4d" \
  "$scenes/meshes.c4d" "$scenes/old_layout.c4d" "$scenes/look.c4d" "${corpus[@]}"
