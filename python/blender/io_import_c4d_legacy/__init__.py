"""File > Import > Cinema 4D legacy scene (.c4d).

Old Cinema 4D scenes imported through Tessaro's import module (the extension
tessaro_c4d, which lies beside this file once installed): every mesh the host
receives becomes a mesh object with its polygons as they came, every polyline a
poly curve, the host's layer table becomes collections (Cinema4D > the file >
each layer), and each distinct colour, transparency and surface one material.
"""
import os

import bpy
import numpy as np
from bpy.props import BoolProperty, EnumProperty, FloatProperty, StringProperty
from bpy_extras.io_utils import ImportHelper

bl_info = {
    "name": "Cinema 4D legacy scenes (.c4d)",
    "author": "Tessaro",
    "version": (0, 1, 0),
    "blender": (3, 4, 0),
    "location": "File > Import > Cinema 4D legacy scene (.c4d)",
    "description": "Old Cinema 4D scenes through Tessaro's import module: meshes, polylines, layers, colours",
    "category": "Import-Export",
}

STATES = {1: "locked", 2: "hidden"}


def extension():
    """The extension in this add-on's folder, else one on the path (a build tree)."""
    try:
        from . import tessaro_c4d
    except ImportError:
        import tessaro_c4d
    return tessaro_c4d


def material_name(argb, surface):
    """After the surface file ("col06_trans050"), else the colour ("Colour_CC1919_T50")."""
    if surface:
        stem = os.path.splitext(surface.replace("\\", "/").rsplit("/", 1)[-1])[0]
        if stem:
            return stem
    name = "Colour_%02X%02X%02X" % tuple(argb[1:])
    return name + ("_T%d" % argb[0] if argb[0] else "")


def new_material(argb, surface):
    material = bpy.data.materials.new(material_name(argb, surface))
    rgb = [c / 255.0 for c in argb[1:]]
    alpha = min(1.0, max(0.0, 1.0 - argb[0] / 100.0))
    material.diffuse_color = (*rgb, alpha)
    material.use_nodes = True
    shader = material.node_tree.nodes.get("Principled BSDF")
    if shader:
        shader.inputs["Base Color"].default_value = (*rgb, 1.0)
        shader.inputs["Alpha"].default_value = alpha
    if alpha < 1.0:
        material.blend_method = "BLEND"
        if hasattr(material, "shadow_method"):  # gone in later versions
            material.shadow_method = "HASHED"
    material["c4d_argb"] = list(argb)
    if surface:
        material["c4d_surface"] = surface
    return material


def child_collection(parent, name):
    # Blender's names are UTF-8: a file's name that is not keeps a "?" for each odd byte.
    name = name.encode("utf-8", "replace").decode("utf-8")
    for child in parent.children:
        if child.get("c4d_name") == name:
            return child
    collection = bpy.data.collections.new(name)
    collection["c4d_name"] = name
    parent.children.link(collection)
    return collection


class SceneBuilder:
    """Builds Blender data from one ImportResult."""

    def __init__(self, context, result, scale):
        self.scale = scale
        self.materials = {}
        self.objects = []
        file_node = os.path.basename(result.path)[:28]
        root = context.scene.collection
        self.file_collection = child_collection(child_collection(root, "Cinema4D"), file_node)
        self.layer_collections = {}
        for layer in result.layers:
            collection = root
            for name in layer.path:
                collection = child_collection(collection, name)
            collection = child_collection(collection, layer.long_name)
            collection["c4d_layer_id"] = layer.id
            # Hidden layers are not drawn; locked ones cannot be picked.
            collection.hide_viewport = layer.config == 2
            collection.hide_render = layer.config == 2
            collection.hide_select = layer.config == 1
            self.layer_collections[layer.id] = collection

    def material(self, item):
        key = (tuple(item.argb), item.surface)
        if key not in self.materials:
            self.materials[key] = new_material(*key)
        return self.materials[key]

    @staticmethod
    def label(item, kind):
        """The scene object's own name (the last part of its path), else the kind and place."""
        if item.source:
            return item.source.rsplit(" / ", 1)[-1].replace("cache: ", "", 1)
        return "%s %d" % (kind, item.index + 1)

    def place(self, name, data, item):
        data.materials.append(self.material(item))
        obj = bpy.data.objects.new(name, data)
        obj["c4d_layer"] = item.layer
        obj["c4d_index"] = item.index
        if item.source:
            obj["c4d_source"] = item.source
        self.layer_collections.get(item.layer, self.file_collection).objects.link(obj)
        self.objects.append(obj)
        return obj

    def mesh(self, item):
        sizes, corners = item.face_sizes, item.face_corners
        mesh = bpy.data.meshes.new(self.label(item, "Mesh"))
        mesh.vertices.add(len(item.points))
        mesh.vertices.foreach_set("co", (item.points * self.scale).astype(np.float32).ravel())
        mesh.loops.add(len(corners))
        mesh.loops.foreach_set("vertex_index", corners)
        mesh.polygons.add(len(sizes))
        starts = np.zeros(len(sizes), dtype=np.int32)
        np.cumsum(sizes[:-1], out=starts[1:])
        mesh.polygons.foreach_set("loop_start", starts)
        if bpy.app.version < (3, 6, 0):
            mesh.polygons.foreach_set("loop_total", sizes)
        mesh.update(calc_edges=True)
        mesh.validate()
        obj = self.place(mesh.name, mesh, item)
        if item.added:
            obj["c4d_added"] = item.added
        return obj

    def polyline(self, item):
        curve = bpy.data.curves.new(self.label(item, "Polyline"), "CURVE")
        curve.dimensions = "3D"
        spline = curve.splines.new("POLY")
        spline.points.add(len(item.points) - 1)
        co = np.ones((len(item.points), 4), dtype=np.float32)
        co[:, :3] = item.points * self.scale
        spline.points.foreach_set("co", co.ravel())
        spline.use_cyclic_u = item.closed
        obj = self.place(curve.name, curve, item)
        if item.added:
            obj["c4d_added"] = item.added
        return obj


def import_c4d(context, path, scale=0.001, large="no", polylines=True, primitives=True, report=None, hidden=False,
               render_level=False):
    """Imports one file; returns the new objects. Raises tessaro_c4d.SceneReadError."""
    shown = report or (lambda kind, text: print(kind, text))

    def report(kind, text):
        # Blender takes only valid text; a file name that is not UTF-8 comes with surrogate escapes.
        shown(kind, text.encode("utf-8", "replace").decode("utf-8"))

    wm = context.window_manager
    wm.progress_begin(0, 100)
    try:
        # The module's part moves the indicator to 50, building the rest.
        def progress(converted, counted):
            wm.progress_update(50 * converted // max(counted, 1))

        result = extension().import_scene(path, large=large, primitives=primitives, hidden=hidden,
                                          render_level=render_level, progress=progress)
        builder = SceneBuilder(context, result, scale)
        items = sorted(list(result.meshes) + (list(result.polylines) if polylines else []), key=lambda o: o.index)
        for n, item in enumerate(items):
            if len(item.points) < 2:
                continue
            (builder.mesh if hasattr(item, "face_sizes") else builder.polyline)(item)
            wm.progress_update(50 + 50 * (n + 1) // len(items))
    finally:
        wm.progress_end()
    for message in result.messages:
        if message.box != "question":
            report({"WARNING"}, message.text)
    for name, reason in result.hidden:
        report({"INFO"}, 'hidden, left out: "%s": %s' % (name, reason))
    for name, reason in result.not_converted:
        report({"WARNING"}, 'not converted: "%s": %s' % (name, reason))
    for failure in result.failures:
        report({"WARNING"}, "failed: " + failure)
    if result.host_error:
        report({"ERROR"}, result.host_error)
    report({"INFO"}, "%s: %d meshes, %d polylines, %d layers" % (
        os.path.basename(path), len(result.meshes), len(result.polylines) if polylines else 0, len(result.layers)))
    return builder.objects


class ImportC4DLegacy(bpy.types.Operator, ImportHelper):
    """Import an old Cinema 4D scene through Tessaro's import module"""

    bl_idname = "import_scene.c4d_legacy"
    bl_label = "Import Cinema 4D legacy scene"
    bl_options = {"REGISTER", "UNDO", "PRESET"}

    filename_ext = ".c4d"
    filter_glob: StringProperty(default="*.c4d", options={"HIDDEN"})
    scale: FloatProperty(name="Scale", description="Blender units per host millimetre (0.001: metres)",
                         default=0.001, min=1e-6, max=1000.0, soft_min=1e-4, soft_max=10.0, precision=4)
    large: EnumProperty(name="Large meshes",
                        description="Meshes above the module's limit of 500000 polygons",
                        items=(("no", "Skip them", "Convert everything else"),
                               ("yes", "Convert them", "Convert them too (slow, much memory)"),
                               ("cancel", "Convert nothing", "Import nothing when the scene has one")),
                        default="no")
    import_polylines: BoolProperty(name="Polylines", description="Import splines as poly curves", default=True)
    primitives: BoolProperty(name="Rebuild primitives",
                             description="Primitives saved without polygon caches rebuilt from their parameters "
                                         "(off: only what the import module converts)",
                             default=True)
    hidden: BoolProperty(name="Hidden objects",
                         description="Also import the objects the scene hides (hidden in the editor, or disabled "
                                     "themselves or through a parent)",
                         default=False)
    render_level: BoolProperty(name="Render subdivision",
                               description="Subdivision surfaces at the level the file stores for rendering "
                                           "(off: the editor's level)",
                               default=False)

    def execute(self, context):
        try:
            objects = import_c4d(context, self.filepath, self.scale, self.large, self.import_polylines,
                                 self.primitives, self.report, self.hidden, self.render_level)
        except Exception as error:  # noqa: BLE001 - a file that fails is reported, never a traceback
            text = "%s: %s" % (os.path.basename(self.filepath), error or type(error).__name__)
            self.report({"ERROR"}, text.encode("utf-8", "replace").decode("utf-8"))
            return {"CANCELLED"}
        for obj in context.selected_objects:
            obj.select_set(False)
        for obj in objects:
            if obj.visible_get():
                obj.select_set(True)
        return {"FINISHED"}


def menu_import(self, context):
    self.layout.operator(ImportC4DLegacy.bl_idname, text="Cinema 4D legacy scene (.c4d)")


def register():
    bpy.utils.register_class(ImportC4DLegacy)
    bpy.types.TOPBAR_MT_file_import.append(menu_import)


def unregister():
    bpy.types.TOPBAR_MT_file_import.remove(menu_import)
    bpy.utils.unregister_class(ImportC4DLegacy)
