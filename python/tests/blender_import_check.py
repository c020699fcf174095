"""The add-on in real Blender: files imported through its File > Import operator.

blender -b --factory-startup --python-exit-code 1 --python blender_import_check.py -- ADDON_FOLDER SAMPLE STATES BAD
"""
import os
import shutil
import sys

import bpy
import numpy as np

folder, sample, states, bad = sys.argv[sys.argv.index("--") + 1:]
sys.path.insert(0, folder)
import io_import_c4d_legacy as addon  # noqa: E402

addon.register()
before = set(bpy.data.objects)
assert bpy.ops.import_scene.c4d_legacy(filepath=sample) == {"FINISHED"}
# By their place in the host's vector, 1-based as the tool counts them.
objects = {o["c4d_index"] + 1: o for o in bpy.data.objects if o not in before}
host = addon.extension().import_scene(sample)
up = {child.name: parent for parent in bpy.data.collections for child in parent.children}


def path(obj):
    names = [obj.users_collection[0]]
    while names[0].name in up:
        names.insert(0, up[names[0].name])
    return [c["c4d_name"] for c in names]


def shader(obj):
    return obj.active_material.node_tree.nodes["Principled BSDF"].inputs


def points(obj):
    co = np.zeros(len(obj.data.vertices) * 3, dtype=np.float32)
    obj.data.vertices.foreach_get("co", co)
    return co.reshape(-1, 3)


def import_bad():
    try:
        bpy.ops.import_scene.c4d_legacy(filepath=bad)
    except RuntimeError as error:
        return "could not be read as a Cinema 4D scene" in str(error)


def options():
    old = set(bpy.data.objects)
    bpy.ops.import_scene.c4d_legacy(filepath=sample, scale=1.0, import_polylines=False)
    new = sorted((o for o in bpy.data.objects if o not in old), key=lambda o: o["c4d_index"])
    return [o.type for o in new] == ["MESH"] * 5 and np.allclose(points(new[0]), host.meshes[0].points)


def odd_name():
    # Blender hands over file names as os.fsdecode does: a name that is not
    # UTF-8 carries surrogate escapes.
    odd = os.fsdecode(os.path.join(os.path.dirname(os.fsencode(bad)), b"\xe9t\xe9.c4d"))
    shutil.copyfile(sample, odd)
    return bpy.ops.import_scene.c4d_legacy(filepath=odd) == {"FINISHED"}
def layer_states():
    bpy.ops.import_scene.c4d_legacy(filepath=states)
    layers = {c["c4d_name"]: c for c in bpy.data.collections if "c4d_layer_id" in c}
    return layers["Hidden"].hide_viewport and layers["Locked"].hide_select and not (
        layers["Shown"].hide_viewport or layers["Shown"].hide_select)


CHECKS = {
    "objects": lambda: sorted(o.type for o in objects.values()) == ["CURVE"] + ["MESH"] * 5,
    "faces as they came": lambda: [[p.loop_total for p in objects[n].data.polygons] for n in range(1, 6)]
    == [m.face_sizes.tolist() for m in host.meshes],
    "points in metres": lambda: np.allclose(points(objects[1]), host.meshes[0].points / 1000),
    "collections": lambda: path(objects[1]) == ["Cinema4D", "sample.c4d", "Walls"]
    and path(objects[4]) == ["Cinema4D", "sample.c4d"],
    "paint": lambda: np.allclose(shader(objects[1])["Base Color"].default_value, (0.8, 0.1, 0.1, 1), atol=0.002),
    "glass": lambda: shader(objects[3])["Alpha"].default_value == 0.5
    and objects[3].active_material.name == "col06_trans050",
    "polyline": lambda: [(len(s.points), s.use_cyclic_u) for s in objects[6].data.splines] == [(4, True)],
    "named by the scene": lambda: objects[1].name == "Walls" and objects[1]["c4d_source"] == "House / Walls",
    "bad file": import_bad,
    "options": options,
    "a file name that is not UTF-8": odd_name,
    "hidden and locked layers": layer_states,
}
failed = [name for name, check in CHECKS.items() if not check()]
print("failed: " + ", ".join(failed) if failed else "")
print("blender: %d passed, %d failed" % (len(CHECKS) - len(failed), len(failed)))
sys.exit(1 if failed else 0)
