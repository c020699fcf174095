#!/usr/bin/env python3
"""Renders each scene file from its view camera beside the file's own preview.

For every .c4d under the given files or folders (default: the corpus of newer
files): converts it to glb with the built c4dimport, writes NAME.preview.jpg
(c4dimport preview) and renders the glb in headless Blender from its camera
node "View" (when the file has none, from a camera framing the scene) into
NAME.render.png, at the preview's size. For a person to hold the two against
each other.

  bench/render_corpus.py [-o OUT] [--tool build/tools/c4dimport/c4dimport] [PATHS...]
"""
import argparse
import os
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# Run inside Blender: argv after "--" is GLB PNG WIDTH HEIGHT [PREVIEW], the
# preview copied to PNG beside it for viewers that take PNG only.
BLENDER_SCRIPT = r'''
import sys, bpy, mathutils
import numpy
if not hasattr(numpy, "bool"):  # Blender 3.4's glTF importer still uses the alias numpy 1.24 dropped
    numpy.bool = bool
glb, png, width, height, *preview = sys.argv[sys.argv.index("--") + 1:]
for jpeg in preview:
    bpy.data.images.load(jpeg).save_render(jpeg[:-4] + ".png")
bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.import_scene.gltf(filepath=glb)
scene = bpy.context.scene
# Lines have no surface to render: each becomes a thin tube.
lines = [o for o in scene.objects if o.type == "MESH" and not o.data.polygons and o.data.edges]
corners = [o.matrix_world @ mathutils.Vector(c) for o in scene.objects if o.type == "MESH" for c in o.bound_box]
extent = max(((max(p[i] for p in corners) - min(p[i] for p in corners)) for i in range(3)), default=1) if corners else 1
for line in lines:
    bpy.ops.object.select_all(action="DESELECT")
    line.select_set(True)
    bpy.context.view_layer.objects.active = line
    bpy.ops.object.convert(target="CURVE")
    line.data.bevel_depth = extent * 0.002
cameras = [o for o in scene.objects if o.type == "CAMERA"]
if cameras:
    scene.camera = cameras[0]
    scene.camera.data.clip_end = 1e6
else:
    points = [o.matrix_world @ mathutils.Vector(c) for o in scene.objects if o.type == "MESH" for c in o.bound_box]
    bpy.ops.object.camera_add()
    scene.camera = bpy.context.object
    if points:
        low = mathutils.Vector([min(p[i] for p in points) for i in range(3)])
        high = mathutils.Vector([max(p[i] for p in points) for i in range(3)])
        centre, size = (low + high) / 2, max((high - low).length, 1e-3)
        scene.camera.location = centre + mathutils.Vector((1, -1, 0.8)).normalized() * size * 1.5
        scene.camera.rotation_euler = (centre - scene.camera.location).to_track_quat("-Z", "Y").to_euler()
        scene.camera.data.clip_end = size * 10
world = bpy.data.worlds.new("w"); world.color = (0.35, 0.35, 0.35); scene.world = world
bpy.ops.object.light_add(type="SUN"); bpy.context.object.data.energy = 3
bpy.context.object.rotation_euler = scene.camera.rotation_euler
scene.render.engine = "BLENDER_WORKBENCH"
scene.display.shading.light = "STUDIO"
scene.display.shading.color_type = "MATERIAL"
scene.display.shading.show_object_outline = True
scene.render.resolution_x, scene.render.resolution_y = int(width), int(height)
scene.render.filepath = png
bpy.ops.render.render(write_still=True)
'''


def jpeg_size(data):
    at = 2
    while at + 9 <= len(data) and data[at] == 0xFF:
        marker, length = data[at + 1], int.from_bytes(data[at + 2:at + 4], "big")
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            return int.from_bytes(data[at + 7:at + 9], "big"), int.from_bytes(data[at + 5:at + 7], "big")
        at += 2 + length
    return None


def blender_env():
    """The environment without a Python manager's paths, so Blender takes the system Python and its numpy."""
    env = {k: v for k, v in os.environ.items() if not k.startswith("PYENV")}
    env["PATH"] = os.pathsep.join(p for p in env.get("PATH", "").split(os.pathsep) if ".pyenv" not in p)
    return env


def scenes(paths):
    for path in map(pathlib.Path, paths):
        yield from sorted(path.rglob("*.c4d")) if path.is_dir() else [path]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("paths", nargs="*", default=["/work/shared/corpus-newer"])
    parser.add_argument("-o", "--output", default="renders")
    parser.add_argument("--tool", default=str(ROOT / "build/tools/c4dimport/c4dimport"))
    parser.add_argument("--blender", default="/usr/bin/blender")
    args = parser.parse_args()
    out = pathlib.Path(args.output)
    out.mkdir(parents=True, exist_ok=True)
    script = out / "render_glb.py"
    script.write_text(BLENDER_SCRIPT)
    for scene in scenes(args.paths):
        name = scene.stem
        glb, preview, png = out / f"{name}.glb", out / f"{name}.preview.jpg", out / f"{name}.render.png"
        subprocess.run([args.tool, "import", str(scene), "-o", str(glb)], capture_output=True)
        has_preview = subprocess.run([args.tool, "preview", str(scene), "-o", str(preview)],
                                     capture_output=True).returncode == 0
        size = jpeg_size(preview.read_bytes()) if has_preview else None
        width, height = size or (640, 480)
        if not glb.exists():
            print(f"{name}: no glb written")
            continue
        done = subprocess.run([args.blender, "-b", "--factory-startup", "--python", str(script), "--",
                               str(glb), str(png.resolve()), str(width), str(height)]
                              + ([str(preview.resolve())] if has_preview else []), capture_output=True, text=True,
                              env=blender_env())
        status = "rendered" if png.exists() and done.returncode == 0 else "render failed: " + done.stderr[-300:]
        print(f"{name}: {status}{', preview beside it' if has_preview else ', no preview'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
