#!/usr/bin/env bash
# The Python extension and the Blender add-on, tested with the real things:
# pytest on the extension against scenes the test-support writer makes, and
# one headless Blender that imports the bundled sample through the add-on.
#   scripts/test-python.sh [BUILD_DIR]   (default: $C4D_BUILD_DIR, else build)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-${C4D_BUILD_DIR:-$top/build}}
"$top/scripts/install-deps.sh" --with-python
cmake -S "$top" -B "$dir" -DC4D_BUILD_TESTS=ON -DC4D_BUILD_TOOLS=ON -DC4D_BUILD_PYTHON=ON >/dev/null
cmake --build "$dir" -j"$(nproc)" --target tessaro_c4d c4dimport make_test_scenes
# Debian's interpreter: the one the extension is built for.
C4D_BUILD_DIR="$dir" PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 -m pytest -q -p no:cacheprovider "$top/python/tests"
