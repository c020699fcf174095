"""File > Import > Cinema 4D legacy scene (.c4d).

Old Cinema 4D scenes imported through Tessaro's import module (the extension
tessaro_c4d, which lies beside this file once installed): every mesh the host
receives becomes a mesh object with its polygons as they came, every polyline a
poly curve, the host's layer table becomes collections (Cinema4D > the file >
each layer). Where the converter read the scene's structure, the objects hang
in the scene's tree with their placements, cameras and lights among them, and
meshes carry the scene's materials (with their bitmaps), texture coordinates
and normals; else each distinct colour, transparency and surface is one
material.
"""
import math
import os

import bpy
import numpy as np
from mathutils import Matrix
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
# Blender units per host millimetre.
UNITS = {"M": 0.001, "CM": 0.1, "MM": 1.0}
LIGHT_TYPES = {"point": "POINT", "spot": "SPOT", "infinite": "SUN", "area": "AREA"}
# Blender's cameras look along their -Z with +Y up, its spots and suns shine
# along -Z; the scene's look and shine along their node's +Y with +Z up.
TURN_TO_NODE_Y = Matrix.Rotation(math.pi / 2, 4, "X")


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
    rgb = [c / 255.0 for c in argb[1:]]
    material = principled(material_name(argb, surface), rgb, 1.0 - argb[0] / 100.0)
    material["c4d_argb"] = list(argb)
    if surface:
        material["c4d_surface"] = surface
    return material


def principled(name, rgb, alpha):
    """A material of base colour and alpha (alpha blended below 1)."""
    material = bpy.data.materials.new(name)
    alpha = min(1.0, max(0.0, alpha))
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
    return material


def blender_text(text):
    """Blender's names are UTF-8: a name that is not keeps a "?" for each odd byte."""
    return text.encode("utf-8", "replace").decode("utf-8")


def scene_material(item, report):
    """A material of the export scene, its bitmap on the base colour when it was found."""
    material = principled(blender_text(item.name), item.colour, item.opacity)
    if item.texture:
        try:
            image = bpy.data.images.load(item.texture, check_existing=True)
        except RuntimeError as error:
            report({"WARNING"}, 'material "%s": the texture %s could not be loaded: %s' % (item.name, item.texture, error))
        else:
            tree = material.node_tree
            texture = tree.nodes.new("ShaderNodeTexImage")
            texture.image = image
            texture.location = (-300, 300)
            tree.links.new(texture.outputs["Color"], tree.nodes["Principled BSDF"].inputs["Base Color"])
    material["c4d_material"] = blender_text(item.name)
    if item.texture_name:
        material["c4d_texture"] = blender_text(item.texture_name)
    return material


def spot_blend(inner, outer):
    """The share of the cone that fades: Blender's spot blend from the whole inner and outer angles."""
    return min(1.0, max(0.0, (outer - inner) / outer)) if outer > 0 else 0.0


def new_light(item):
    light = bpy.data.lights.new(blender_text(item.name), LIGHT_TYPES.get(item.kind, "POINT"))
    light.color = tuple(item.colour)
    if light.type == "SUN":
        light.energy = item.brightness * 3.0  # strength, W/m2
    else:
        light.energy = item.brightness * 1000.0  # watts
    if light.type == "SPOT":
        light.spot_size = min(math.pi, max(math.radians(1), item.outer_angle))
        light.spot_blend = spot_blend(item.inner_angle, item.outer_angle)
    if item.note:
        light["c4d_note"] = item.note
    return light


def new_camera(item):
    camera = bpy.data.cameras.new(blender_text(item.name))
    camera.lens = item.focal_length
    camera.sensor_fit = "HORIZONTAL"
    camera.sensor_width = item.film_width
    camera["c4d_aspect"] = item.aspect
    return camera


def child_collection(parent, name):
    name = blender_text(name)
    for child in parent.children:
        if child.get("c4d_name") == name:
            return child
    collection = bpy.data.collections.new(name)
    collection["c4d_name"] = name
    parent.children.link(collection)
    return collection


class SceneBuilder:
    """Builds Blender data from one ImportResult."""

    def __init__(self, context, result, scale, report):
        self.result = result
        # Each read of a list of the result makes a new one: read once.
        self.meshes, self.polylines = list(result.meshes), list(result.polylines)
        self.cameras, self.lights = list(result.cameras), list(result.lights)
        self.scene_materials_given = list(result.materials)
        self.scale = scale
        self.report = report
        self.materials = {}
        self.scene_materials = {}
        self.objects = []
        file_node = os.path.basename(result.path)[:28]
        root = context.scene.collection
        self.file_collection = child_collection(child_collection(root, "Cinema4D"), file_node)
        self.layer_collections = {}
        self.layer_by_name = {}
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
            self.layer_by_name.setdefault(layer.long_name, collection)

    def material(self, item):
        if getattr(item, "material", None) is not None:
            return self.scene_material(item.material)
        key = (tuple(item.argb), item.surface)
        if key not in self.materials:
            self.materials[key] = new_material(*key)
        return self.materials[key]

    def scene_material(self, index):
        if index not in self.scene_materials:
            self.scene_materials[index] = scene_material(self.scene_materials_given[index], self.report)
        return self.scene_materials[index]

    @staticmethod
    def label(item, kind):
        """The scene object's own name (the last part of its path), else the kind and place."""
        if item.source:
            return item.source.rsplit(" / ", 1)[-1].replace("cache: ", "", 1)
        return "%s %d" % (kind, item.index + 1)

    def link(self, obj, collection):
        collection.objects.link(obj)
        self.objects.append(obj)
        return obj

    def place(self, name, data, item):
        obj = bpy.data.objects.new(name, data)
        obj["c4d_layer"] = item.layer
        obj["c4d_index"] = item.index
        if item.source:
            obj["c4d_source"] = item.source
        if item.added:
            obj["c4d_added"] = item.added
        return self.link(obj, self.layer_collections.get(item.layer, self.file_collection))

    def mesh(self, item):
        sizes, corners = item.face_sizes, item.face_corners
        mesh = bpy.data.meshes.new(self.label(item, "Mesh"))
        mesh.vertices.add(len(item.local_points))
        mesh.vertices.foreach_set("co", (item.local_points * self.scale).astype(np.float32).ravel())
        mesh.loops.add(len(corners))
        mesh.loops.foreach_set("vertex_index", corners)
        mesh.polygons.add(len(sizes))
        starts = np.zeros(len(sizes), dtype=np.int32)
        np.cumsum(sizes[:-1], out=starts[1:])
        mesh.polygons.foreach_set("loop_start", starts)
        if bpy.app.version < (3, 6, 0):
            mesh.polygons.foreach_set("loop_total", sizes)
        self.add_materials(mesh, item)
        if getattr(item, "uvs", None) is not None:
            # Blender's v runs up from the image's bottom.
            uv = np.array(item.uvs, dtype=np.float32)
            uv[:, 1] = 1.0 - uv[:, 1]
            mesh.uv_layers.new(name="UVMap").data.foreach_set("uv", uv.ravel())
        mesh.update(calc_edges=True)
        mesh.validate()
        self.add_normals(mesh, item)
        return self.place(mesh.name, mesh, item)

    def add_materials(self, mesh, item):
        faces = getattr(item, "face_materials", None)
        if faces is None:
            mesh.materials.append(self.material(item))
            return
        used = np.unique(faces)
        for index in used:
            mesh.materials.append(self.scene_material(int(index)))
        mesh.polygons.foreach_set("material_index", np.searchsorted(used, faces).astype(np.int32))

    def add_normals(self, mesh, item):
        """The corner normals as custom split normals, smooth shaded; faceted meshes stay flat."""
        normals = getattr(item, "normals", None)
        if normals is None or len(normals) != len(mesh.loops):
            return
        mesh.polygons.foreach_set("use_smooth", np.ones(len(mesh.polygons), dtype=bool))
        if hasattr(mesh, "use_auto_smooth"):  # gone in later versions
            mesh.use_auto_smooth = True
            mesh.auto_smooth_angle = min(math.pi, item.smooth_angle or math.pi)
        mesh.normals_split_custom_set(np.asarray(normals, dtype=np.float32).tolist())

    def polyline(self, item):
        curve = bpy.data.curves.new(self.label(item, "Polyline"), "CURVE")
        curve.dimensions = "3D"
        spline = curve.splines.new("POLY")
        spline.points.add(len(item.local_points) - 1)
        co = np.ones((len(item.local_points), 4), dtype=np.float32)
        co[:, :3] = item.local_points * self.scale
        spline.points.foreach_set("co", co.ravel())
        spline.use_cyclic_u = item.closed
        curve.materials.append(self.material(item))
        return self.place(curve.name, curve, item)

    def item(self, item):
        if len(item.points) < 2:
            return None
        return (self.mesh if hasattr(item, "face_sizes") else self.polyline)(item)

    # ---- the scene tree ----

    def node_collection(self, node):
        return self.layer_by_name.get(node.layer, self.file_collection) if node.layer else self.file_collection

    def looks(self, node):
        """The node's camera and light, as Blender data."""
        looks = [new_camera(self.cameras[node.camera])] if node.camera is not None else []
        return looks + ([new_light(self.lights[node.light])] if node.light is not None else [])

    def node_object(self, node, items):
        """The node's own object: its one mesh or polyline, or its camera or light (turned to look along
        the node's +Y), else an empty holding them. Returns it, whether it is turned, and what it holds."""
        looks = self.looks(node)
        if len(items) == 1 and not looks:
            obj = self.item(items[0])
            if obj:
                obj.name = blender_text(node.name)
                return obj, False, []
        collection = self.node_collection(node)
        if len(looks) == 1 and not items:
            return self.link(bpy.data.objects.new(blender_text(node.name), looks[0]), collection), True, []
        obj = self.link(bpy.data.objects.new(blender_text(node.name), None), collection)
        held = [o for o in map(self.item, items) if o]
        for data in looks:
            held.append(self.link(bpy.data.objects.new(data.name, data), collection))
            held[-1].matrix_basis = TURN_TO_NODE_Y
        return obj, False, held

    def tree(self, polylines, progress):
        """Objects for the nodes, parents before their children; returns the host indices of the meshes
        and polylines placed in it."""
        nodes = self.result.nodes
        below = {}
        for index, node in enumerate(nodes):
            below.setdefault(node.parent, []).append(index)
        built, placed = {}, set()
        order = list(below.get(None, []))
        for index in order:  # grows as it goes: breadth first, without recursion for deep trees
            node = nodes[index]
            items = [self.meshes[i] for i in node.meshes] + [self.polylines[i] for i in node.polylines if polylines]
            placed.update(item.index for item in items)
            obj, turned, held = self.node_object(node, items)
            obj["c4d_node"] = blender_text(node.path)
            if node.parent is not None:
                parent, parent_turned = built[node.parent]
                obj.parent = parent
                if parent_turned:
                    obj.matrix_parent_inverse = TURN_TO_NODE_Y.inverted()
            local = Matrix(np.asarray(node.local).tolist())
            local.translation *= self.scale
            obj.matrix_basis = local @ TURN_TO_NODE_Y if turned else local
            for child in held:
                child.parent = obj
            built[index] = (obj, turned)
            order.extend(below.get(index, []))
            progress(len(built), len(nodes))
        return placed

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
        objects = build_scene(context, result, scale, polylines, report,
                              lambda done, total: wm.progress_update(50 + 50 * done // max(total, 1)))
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
    report({"INFO"}, "%s: %d meshes, %d polylines, %d layers, %d objects of the scene" % (
        os.path.basename(path), len(result.meshes), len(result.polylines) if polylines else 0, len(result.layers),
        len(result.nodes)))
    return objects


def build_scene(context, result, scale, polylines, report, progress=lambda done, total: None):
    """Blender objects for an ImportResult: the scene tree where it was read, the rest as the host has them."""
    builder = SceneBuilder(context, result, scale, report)
    placed = builder.tree(polylines, progress)
    items = sorted(builder.meshes + (builder.polylines if polylines else []), key=lambda o: o.index)
    for n, item in enumerate(items):
        if item.index not in placed:
            builder.item(item)
        progress(n + 1, len(items))
    for note in result.notes:
        report({"WARNING"}, note)
    for material in builder.scene_materials_given:
        if material.texture_name and not material.texture and not any(material.texture_name in n for n in result.notes):
            report({"WARNING"}, 'material "%s": the texture %s was not found' % (material.name, material.texture_name))
    return builder.objects


class ImportC4DLegacy(bpy.types.Operator, ImportHelper):
    """Import an old Cinema 4D scene through Tessaro's import module"""

    bl_idname = "import_scene.c4d_legacy"
    bl_label = "Import Cinema 4D legacy scene"
    bl_options = {"REGISTER", "UNDO", "PRESET"}

    filename_ext = ".c4d"
    filter_glob: StringProperty(default="*.c4d", options={"HIDDEN"})
    unit: EnumProperty(name="Unit", description="What one Blender unit is",
                       items=(("M", "Metres", "One Blender unit per metre"),
                              ("CM", "Centimetres", "One Blender unit per centimetre (the scene's own numbers)"),
                              ("MM", "Millimetres", "One Blender unit per millimetre (the host's numbers)"),
                              ("CUSTOM", "Scale", "The Scale below")),
                       default="M")
    scale: FloatProperty(name="Scale", description="Blender units per host millimetre, for the unit Scale",
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

    def blender_scale(self):
        # A script that gives only a scale (as before the unit) gets it.
        given = self.properties.is_property_set
        if self.unit == "CUSTOM" or (given("scale") and not given("unit")):
            return self.scale
        return UNITS[self.unit]

    def execute(self, context):
        try:
            objects = import_c4d(context, self.filepath, self.blender_scale(), self.large, self.import_polylines,
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
