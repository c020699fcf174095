#!/usr/bin/env python3
"""How long a scene of a million quadrangles takes from its .c4d file into numpy arrays.

    cmake -S . -B build -DC4D_BUILD_BENCH=ON
    cmake --build build -j2 --target tessaro_c4d make_large_scenes c4dimport
    /usr/bin/python3 bench/python_import_bench.py [BUILD_DIR]

Prints, best of three runs: the whole import_scene() call, the module's part
of it (the session as `c4dimport import` runs it), the hand-over of the host's
objects into arrays, and the tool's own run on the same file for comparison.
"""
import os
import subprocess
import sys
import time
from pathlib import Path

build = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parents[1] / "build")
sys.path.insert(0, str(build / "python"))
import tessaro_c4d  # noqa: E402

folder = Path(os.environ.get("C4D_BENCH_SCENES", build / "bench-scenes"))
subprocess.run([build / "bench" / "make_large_scenes", folder], check=True, stdout=subprocess.DEVNULL)
scene = str(folder / "mesh_1m.c4d")

best = None
for _ in range(3):
    start = time.perf_counter()
    result = tessaro_c4d.import_scene(scene, large="yes")
    total = time.perf_counter() - start
    if best is None or total < best[0]:
        best = (total, dict(result.timings), result)
total, timings, result = best
faces = sum(m.face_sizes.size for m in result.meshes)
quads = sum(int((m.face_sizes == 4).sum()) for m in result.meshes)
print(f"{scene}: {len(result.meshes)} mesh, {faces} faces ({quads} quadrangles), "
      f"{sum(len(m.points) for m in result.meshes)} points")
print(f"import_scene   {total:7.3f} s")
print(f"  module       {timings['import']:7.3f} s")
print(f"  arrays       {timings['arrays']:7.3f} s")

start = time.perf_counter()
subprocess.run([build / "tools" / "c4dimport" / "c4dimport", "import", "--large", "yes", scene],
               check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print(f"c4dimport      {time.perf_counter() - start:7.3f} s")
