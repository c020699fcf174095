"""The add-on in real Blender: files imported through its File > Import operator.

blender -b --factory-startup --python-exit-code 1 --python blender_import_check.py -- ADDON_FOLDER SAMPLE STATES BAD [SCENE...]
"""
import math
import os
import shutil
import sys
import tempfile
from types import SimpleNamespace as Made

import bpy
import numpy as np

folder, sample, states, bad, *more = sys.argv[sys.argv.index("--") + 1:]
sys.path.insert(0, folder)
import io_import_c4d_legacy as addon  # noqa: E402

addon.register()
before = set(bpy.data.objects)
assert bpy.ops.import_scene.c4d_legacy(filepath=sample) == {"FINISHED"}
# By their place in the host's vector, 1-based as the tool counts them.
objects = {o["c4d_index"] + 1: o for o in bpy.data.objects if o not in before and "c4d_index" in o}
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
    bpy.ops.import_scene.c4d_legacy(filepath=sample, unit="CM", import_polylines=False)
    new = sorted((o for o in bpy.data.objects if o not in old and "c4d_index" in o), key=lambda o: o["c4d_index"])
    # The first object of each import, smaller first: cm, then mm.
    first = sorted((points(o) for o in new if o["c4d_index"] == 0), key=lambda p: np.abs(p).max())
    return [o.type for o in new] == ["MESH"] * 10 and np.allclose(first[1], host.meshes[0].local_points) \
        and np.allclose(first[0], host.meshes[0].local_points / 10)


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


def as_read(path):
    """The tree of a file as the extension gives it: parents, materials, UV layers, cameras and lights."""
    old = set(bpy.data.objects)
    bpy.ops.import_scene.c4d_legacy(filepath=path)
    got = addon.extension().import_scene(path)
    new = {o["c4d_node"]: o for o in bpy.data.objects if o not in old and "c4d_node" in o}
    nodes, meshes = got.nodes, got.meshes
    for node in nodes:
        obj = new[node.path]
        if (obj.parent["c4d_node"] if obj.parent else None) != (None if node.parent is None else nodes[node.parent].path):
            return False
        if len(node.meshes) == 1 and node.camera is None and node.light is None:
            mesh = meshes[node.meshes[0]]
            want = [got.materials[mesh.material].name] if mesh.face_materials is None else None
            if (mesh.uvs is not None) != bool(obj.data.uv_layers) or want not in (None, [
                    m["c4d_material"] for m in obj.data.materials]):
                return False
    kinds = [o.type for o in bpy.data.objects if o not in old]
    return kinds.count("CAMERA") == len(got.cameras) and kinds.count("LIGHT") == len(got.lights)


def made_scene():
    """A tree built here: a turned pivot holding a tile of two materials (one with a bitmap) with UVs
    and normals, a camera, and a spot under the camera."""
    png = os.path.join(tempfile.mkdtemp(), "grid.png")
    image = bpy.data.images.new("grid", 4, 4)
    image.filepath_raw, image.file_format = png, "PNG"
    image.save()
    turn = np.array([[0, -1, 0, 1000], [1, 0, 0, 0], [0, 0, 1, 0], [0, 0, 0, 1.0]])
    lift = np.eye(4)
    lift[2, 3] = 500

    def node(name, parent, local, meshes=(), camera=None, light=None):
        world = local if parent is None else nodes[parent].world @ local
        return Made(name=name, path=name, parent=parent, local=local, world=world, layer=None, meshes=list(meshes),
                    polylines=[], camera=camera, light=light)

    nodes = []
    for args in (("Pivot", None, turn), ("Tile", 0, lift, [0]), ("View", 0, lift, (), 0), ("Spot", 2, np.eye(4), (), None, 0)):
        nodes.append(node(*args))
    square = np.array([[0, 0, 0], [100, 0, 0], [100, 100, 0], [0, 100, 0.0]])
    tilted = np.tile([0.6, 0, 0.8], (6, 1))
    tile = Made(index=0, source="Pivot / Tile", added=None, points=square, local_points=square, layer=0, argb=[0] * 4,
                surface=None, face_sizes=np.array([3, 3], np.int32), face_corners=np.array([0, 1, 2, 0, 2, 3], np.int32),
                node=1, material=0, face_materials=np.array([1, 0], np.int32), smooth_angle=0.5, normals=tilted,
                uvs=np.array([[0, 1], [1, 1], [1, 0], [0, 1], [1, 0], [0, 0.25]]))
    materials = [Made(name="Half", colour=(1, 0, 0), opacity=0.5, texture=None, texture_name="gone.png"),
                 Made(name="Grid", colour=(1, 1, 1), opacity=1.0, texture=png, texture_name="grid.png")]
    spot = Made(name="Spot", kind="spot", colour=(1, 0.5, 0.25), brightness=0.8, inner_angle=0.2, outer_angle=0.6, note=None)
    view = Made(name="View", focal_length=50.0, film_width=24.0, aspect=1.5)
    return Made(path="made.c4d", layers=[], meshes=[tile], polylines=[], nodes=nodes, materials=materials,
                cameras=[view], lights=[spot], notes=[])


reports = []
made = made_scene()
built = {o.get("c4d_node"): o for o in addon.build_scene(bpy.context, made, 0.001, True, lambda *r: reports.append(r))}
bpy.context.view_layer.update()  # the world matrices


def in_metres(world):
    world = world.copy()
    world[:3, 3] /= 1000
    return world


def looks_along_node_y(name):
    """A camera or spot looks along its -Z: the node's +Y, from the node's place."""
    world = in_metres(made.nodes[[n.name for n in made.nodes].index(name)].world)
    obj = built[name].matrix_world
    return np.allclose(-np.array(obj.col[2][:3]), world[:3, 1], atol=1e-6) and np.allclose(obj.translation, world[:3, 3])


def made_look():
    tile = built["Tile"]
    uv = np.zeros(12, np.float32)
    tile.data.uv_layers["UVMap"].data.foreach_get("uv", uv)
    tile.data.calc_normals_split()
    normals = np.array([loop.normal[:] for loop in tile.data.loops])
    texture = [n for n in tile.data.materials[1].node_tree.nodes if n.type == "TEX_IMAGE"]
    return [m.name for m in tile.data.materials] == ["Half", "Grid"] \
        and [p.material_index for p in tile.data.polygons] == [1, 0] \
        and tile.data.materials[0].blend_method == "BLEND" and texture and texture[0].image.filepath.endswith("grid.png") \
        and np.allclose(uv.reshape(-1, 2), made.meshes[0].uvs * [1, -1] + [0, 1]) \
        and np.allclose(normals, made.meshes[0].normals, atol=1e-3) and abs(tile.data.auto_smooth_angle - 0.5) < 1e-6 \
        and any("gone.png" in text for _, text in reports)


def made_camera_and_light():
    camera, light = built["View"].data, built["Spot"].data
    return (camera.lens, camera.sensor_width) == (50, 24) and light.type == "SPOT" \
        and math.isclose(light.energy, 800) and math.isclose(light.spot_size, 0.6, rel_tol=1e-6) \
        and math.isclose(light.spot_blend, 2 / 3, rel_tol=1e-6) and looks_along_node_y("View") and looks_along_node_y("Spot")


CHECKS = {
    "a made tree: parents and placements": lambda: built["Tile"].parent == built["Pivot"]
    and built["Spot"].parent == built["View"] and np.allclose(np.array(built["Tile"].matrix_world), in_metres(made.nodes[1].world), atol=1e-6),
    "a made tree: materials, UVs and normals": made_look,
    "a made tree: camera and light": made_camera_and_light,
    "objects": lambda: sorted(o.type for o in objects.values()) == ["CURVE"] + ["MESH"] * 5,
    "faces as they came": lambda: [[p.loop_total for p in objects[n].data.polygons] for n in range(1, 6)]
    == [m.face_sizes.tolist() for m in host.meshes],
    "points in metres": lambda: np.allclose(points(objects[1]), host.meshes[0].local_points / 1000),
    "collections": lambda: path(objects[1]) == ["Cinema4D", "sample.c4d", "Walls"]
    and path(objects[4]) == ["Cinema4D", "sample.c4d"],
    "paint": lambda: np.allclose(shader(objects[1])["Base Color"].default_value, (0.8, 0.1, 0.1, 1), atol=0.002),
    "glass": lambda: shader(objects[3])["Alpha"].default_value == 0.5
    and objects[3].active_material.name == "Red Glass",
    "polyline": lambda: [(len(s.points), s.use_cyclic_u) for s in objects[6].data.splines] == [(4, True)],
    "named by the scene": lambda: objects[1].name == "Walls" and objects[1]["c4d_source"] == "House / Walls",
    "bad file": import_bad,
    "options": options,
    "a file name that is not UTF-8": odd_name,
    "hidden and locked layers": layer_states,
    "objects without a node stand alone": lambda: not any(o.parent for o in objects.values() if "c4d_node" not in o),
    **{"as read: " + os.path.basename(p): (lambda p=p: as_read(p)) for p in [sample, *more]},
}
failed = [name for name, check in CHECKS.items() if not check()]
print("failed: " + ", ".join(failed) if failed else "")
print("blender: %d passed, %d failed" % (len(CHECKS) - len(failed), len(failed)))
sys.exit(1 if failed else 0)
