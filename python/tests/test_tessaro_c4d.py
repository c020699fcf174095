"""The extension against the tool: the same import session, the same scene tree."""
import json
import os
import re
import subprocess
import sys
from pathlib import Path

import numpy as np
import pytest

TOP = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("C4D_BUILD_DIR", TOP / "build"))
SAMPLE = TOP / "examples" / "sample.c4d"
sys.path.insert(0, str(BUILD / "python"))
import tessaro_c4d as c4d  # noqa: E402

SMALL = ["states", "meshes", "caches", "splines", "old_layout", "wrapped_lists", "containers", "newer_variant", "sample"]


@pytest.fixture(scope="module")
def scenes(tmp_path_factory):
    folder = tmp_path_factory.mktemp("scenes")
    subprocess.run([BUILD / "tests" / "support" / "make_scenes", folder, "--large"], check=True, capture_output=True)
    return folder


def tool(*args):
    done = subprocess.run([BUILD / "tools" / "c4dimport" / "c4dimport", *map(str, args)], capture_output=True, text=True)
    return json.loads(done.stdout)


def corners(face, edges):
    """Signed 1-based edge numbers to the 0-based points the edges start from."""
    return [(edges[e - 1][0] if e > 0 else edges[-e - 1][1]) - 1 for e in face]


@pytest.mark.parametrize("primitives", [True, False])
@pytest.mark.parametrize("name", SMALL)
def test_import_and_scene_as_the_tool_gives_them(scenes, name, primitives):
    path = SAMPLE if name == "sample" else scenes / f"{name}.c4d"
    got = c4d.import_scene(str(path), primitives=primitives)
    want = tool("import", "--json", "--large", "no", *([] if primitives else ["--no-primitives"]), path)
    objects = sorted(got.meshes + got.polylines, key=lambda o: o.index)
    assert [o.index for o in objects] == list(range(len(want["objects"])))
    for o, w in zip(objects, want["objects"]):
        assert (o.layer, list(o.argb), o.surface) == (w["layer"], w["argb"], w["surface"])
        assert o.points.dtype == np.float64 and o.points.shape[1:] == (3,)
        assert (o.source, o.added) == (w.get("source"), w.get("added"))
        if w["kind"] == "mesh":
            assert o.points.tolist() == w["points"]
            assert o.face_sizes.tolist() == [len(f) for f in w["faces"]] and o.broken_faces == 0
            assert o.face_corners.tolist() == [c for f in w["faces"] for c in corners(f, w["edges"])]
        else:
            assert o.points.tolist() == w["points"][: len(o.points)] and len(w["points"]) == len(o.points) + o.closed
    assert [(l.id, l.long_name, l.short_name, l.path, l.config, l.user_defined) for l in got.layers] == [
        (l["id"], l["long"], l["short"], l["path"], l["config"], l["userDefined"]) for l in want["layers"]]
    assert [(m.box, m.type, m.text) for m in got.messages] == [(m["box"], m["type"], m["text"]) for m in want["messages"]]
    s = got.session
    assert dict(total=s.total, converted=s.converted, maxPolygons=s.max_polygons, convertLarge=s.convert_large,
                cancelled=s.cancelled) == want["session"]
    assert got.not_converted == [(n["name"], n["reason"]) for n in want.get("notConverted", [])]
    assert got.hidden == [(n["name"], n["reason"]) for n in want.get("hidden", [])]
    assert c4d.load_scene(str(path)) == tool("scene", "--json", path)


@pytest.mark.parametrize("large, faces", [("no", []), ("yes", [504100]), ("cancel", [])])
def test_the_large_answer(scenes, large, faces):
    got = c4d.import_scene(str(scenes / "large.c4d"), large=large)
    assert [m.face_sizes.size for m in got.meshes] == faces and got.session.convert_large == bool(faces)
    assert [m.face_corners.size for m in got.meshes] == [4 * f for f in faces]
    assert len(got.not_converted) == (0 if faces else 1)


@pytest.mark.parametrize("cut", [0, 7, 300, 1000, -1, None])
def test_a_bad_file_raises_the_modules_message(tmp_path, cut):
    path = tmp_path / "bad.c4d"
    data = SAMPLE.read_bytes()
    path.write_bytes(b"no scene " * 99 if cut is None else data[:cut])
    want = tool("import", "--json", path)["messages"][0]["text"]
    with pytest.raises(c4d.SceneReadError, match=re.escape(want)):
        c4d.import_scene(str(path))
    with pytest.raises(c4d.SceneReadError):
        c4d.load_scene(str(path))
    assert c4d.load_scene(str(path), strict=False)["loaded"] is False


def test_layer_table_file_progress_and_options(scenes, tmp_path):
    table = str(tmp_path / "layers.json")
    assert [l.state for l in c4d.import_scene(str(scenes / "states.c4d"), layers=table).layers] == [
        "editable", "hidden", "locked"]
    calls = []
    got = c4d.import_scene(str(scenes / "meshes.c4d"), layers=table, progress=lambda *at: calls.append(at))
    assert [l.long_name for l in got.layers] == ["Shown", "Hidden", "Locked", "Outer", "Inner", "Side"]
    assert calls and calls[-1] == (got.session.converted, got.session.total)
    with pytest.raises(ZeroDivisionError):
        c4d.import_scene(str(SAMPLE), progress=lambda *at: 1 / 0)
    with pytest.raises(ValueError):
        c4d.import_scene(str(SAMPLE), large="maybe")
    assert len(c4d.import_scene(str(scenes / "meshes.c4d")).layers) == 3


def test_paths_as_the_system_gives_them(tmp_path):
    raw = os.fsencode(tmp_path) + b"/\xe9t\xe9 \xff.c4d"  # not UTF-8, as old archives name files
    with open(raw, "wb") as f:
        f.write(SAMPLE.read_bytes())
    for given in (raw, os.fsdecode(raw), Path(os.fsdecode(raw))):
        got = c4d.import_scene(given)
        assert got.path is given and len(got.meshes) == 5 and got.layers[0].path[1] == os.path.basename(os.fsdecode(raw))
        assert c4d.load_scene(given)["file"] is given
    for args in (["scene", "--json"], ["import", "--json"]):
        done = subprocess.run([BUILD / "tools" / "c4dimport" / "c4dimport", *args, raw], capture_output=True)
        assert done.returncode == 0 and json.loads(done.stdout.decode("utf-8"))["file"].endswith("\ufffd.c4d")
    for call in (c4d.import_scene, c4d.load_scene):
        with pytest.raises(ValueError, match="null byte"):
            call(str(SAMPLE) + "\0.c4d")
    with pytest.raises(RuntimeError, match="could not be saved"):
        c4d.import_scene(SAMPLE, layers=tmp_path / "no such folder" / "layers.json")


CALLBACK = """
import sys, time
sys.path.insert(0, sys.argv[1])
import tessaro_c4d as c4d
calls = []
def interrupt(*at):
    calls.append(at)
    raise KeyboardInterrupt
try:
    c4d.import_scene(sys.argv[2], progress=interrupt)
except KeyboardInterrupt:
    print("interrupted after", len(calls))
def again(*at):
    c4d.import_scene(sys.argv[2])
try:
    c4d.import_scene(sys.argv[2], progress=again)
except RuntimeError as error:
    print("re-entry:", error)
"""


def test_the_progress_callback_cancels_and_cannot_reenter():
    done = subprocess.run([sys.executable, "-c", CALLBACK, str(BUILD / "python"), str(SAMPLE)],
                          capture_output=True, text=True, timeout=60)
    assert "interrupted after 1" in done.stdout, done.stderr
    assert "re-entry: import_scene and load_scene cannot be called" in done.stdout, done.stderr


def test_the_preview_image_as_the_tool_writes_it(tmp_path):
    corpus = TOP.parent / "shared" / "corpus-newer" / "mesh-icon.c4d"
    if corpus.exists():
        subprocess.run([BUILD / "tools" / "c4dimport" / "c4dimport", "preview", corpus, "-o", tmp_path / "p.jpg"],
                       check=True, capture_output=True)
        assert c4d.read_preview(corpus) == (tmp_path / "p.jpg").read_bytes()
    assert c4d.read_preview(SAMPLE) is None
    (tmp_path / "no.c4d").write_bytes(b"no scene")
    with pytest.raises(c4d.SceneReadError):
        c4d.read_preview(tmp_path / "no.c4d")


def apply(matrix, points):
    return points @ matrix[:3, :3].T + matrix[:3, 3]


@pytest.mark.parametrize("name", ["sample", "meshes", "old_layout"])
def test_the_scene_tree_and_the_look_fit_the_meshes(scenes, name):
    got = c4d.import_scene(SAMPLE if name == "sample" else scenes / f"{name}.c4d")
    nodes, materials = got.nodes, got.materials
    for i, node in enumerate(nodes):
        above = np.eye(4) if node.parent is None else nodes[node.parent].world
        assert np.allclose(node.world, above @ node.local) and node.local.shape == (4, 4)
        assert all(nodes[c].parent == i for c in node.children)
        assert all(got.meshes[m].node == i for m in node.meshes) and all(got.polylines[p].node == i for p in node.polylines)
    for item in got.meshes + got.polylines:
        place = np.eye(4) if item.node is None else nodes[item.node].world
        assert np.allclose(apply(place, item.local_points), item.points)
        assert item.material is None or item.material < len(materials)
    for mesh in got.meshes:
        corners, faces = mesh.face_corners.size, mesh.face_sizes.size
        assert mesh.uvs is None or mesh.uvs.shape == (corners, 2)
        assert mesh.normals is None or np.allclose(np.linalg.norm(mesh.normals, axis=1), 1)
        assert (mesh.normals is None) == (mesh.smooth_angle is None)
        assert mesh.face_materials is None or (mesh.face_materials.shape == (faces,)
                                               and mesh.face_materials.max() < len(materials))
    assert all(nodes[c.node].camera == i for i, c in enumerate(got.cameras))
    assert all(nodes[l.node].light == i and l.kind in ("point", "spot", "infinite", "area") for i, l in enumerate(got.lights))
    cm = c4d.import_scene(got.path, units="cm")
    assert cm.units == "cm" and all(np.allclose(a.points, b.points / 10) for a, b in zip(cm.meshes, got.meshes))
    assert all(np.allclose(a.world[:3, 3], b.world[:3, 3] / 10) for a, b in zip(cm.nodes, nodes))


# What the scene's structure gives, once the converter reads it.
def test_the_scene_tree_as_the_scene_has_it(scenes):
    got = c4d.import_scene(scenes / "meshes.c4d")
    if not got.nodes:
        pytest.skip("the converter does not read the scene's structure yet")
    node = {n.path: n for n in got.nodes}
    mesh = {m.source: m for m in got.meshes}
    assert np.allclose(node["Group / Colored"].world[:3, 3], [10, 30, 20])
    assert got.nodes[node["Group / Colored"].parent].name == "Group"
    wide, narrow = mesh["Wide"], mesh["Narrow"]
    assert got.materials[wide.material].name == "Paint" and wide.normals is not None
    assert np.allclose(got.materials[wide.material].colour, (0.8, 0.1, 0.1), atol=1e-6)
    assert np.allclose(narrow.uvs[:3], [[0, 0], [1, 0], [1, 1]]) and got.materials[narrow.material].opacity < 1
    old = c4d.import_scene(scenes / "old_layout.c4d")
    assert [c.name for c in old.cameras] == ["View"] and [l.name for l in old.lights] == ["Lamp"]
