#!/usr/bin/env python3
"""Census of scene files: objects that carry or make geometry, how many reach the output, hidden ones written.

Per file: the objects of the scene tree (`c4dimport scene --json`) whose data
type carries or makes geometry (polygon objects, splines, primitives, spline
primitives, generators), how many of them reach the output (`c4dimport import
--json -o x.glb`: an output object whose "source" is the object or its cache),
and how many of those the scene hides (hidden in the editor or disabled).

The scene is always read with --scene-tool (this build: it knows what is
hidden); --tool may be an older build, whose output carries no "source": an
object then counts as reached unless it is listed as not converted.

  bench/census.py [--json] [--tool OLD_BUILD/tools/c4dimport/c4dimport] [FILES_OR_FOLDERS...]
"""
import argparse
import json
import pathlib
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
DEFAULT_PATHS = ["/work/shared/corpus-newer", str(ROOT / "examples")]

POLYGON, SPLINE = 5100, 5101
PRIMITIVES = range(5159, 5175)        # cube to single polygon
SPLINE_PRIMITIVES = range(5175, 5190)  # circle, text, n-side, ...
GENERATORS = {5107, 5116, 5117, 5118, 5120, 5125, 5126, 1007455, 1018544}  # boole, extrude, lathe, loft, sweep, metaball, instance, subdivision, cloner


def kind_of(data_type):
    if data_type == POLYGON:
        return "polygon"
    if data_type == SPLINE:
        return "spline"
    if data_type in PRIMITIVES:
        return "primitive"
    if data_type in SPLINE_PRIMITIVES:
        return "spline primitive"
    if data_type in GENERATORS:
        return "generator"
    return None


def walk(objects, above=""):
    """Every object of the tree with its path, as the converter names it."""
    for o in objects:
        path = above + (" / " if above else "") + o.get("name", "")
        yield path, o
        yield from walk(o.get("children", []), path)


def tool_json(args):
    done = subprocess.run(args, capture_output=True, text=True)
    try:
        return json.loads(done.stdout)
    except json.JSONDecodeError:
        return None


def reached(path, imported, older, generators=()):
    """Whether an output object comes from the object at `path` (or its cache), or from a generator above it."""
    if older is None:
        sources = [o.get("source") or "" for o in imported.get("objects", [])]
        mine = any(s == path or s.startswith(path + " / cache: ") for s in sources)
        return mine or any(g in sources and path.startswith(g + " / ") for g in generators)
    # An older build names no sources: an object it read and did not leave out
    # (or rebuilt) reached its output.
    rebuilt = {p["name"] for p in imported.get("primitives", []) if p.get("rebuilt")}
    return path in older and ("notImported" not in older[path] or path in rebuilt)


def census(tool, scene_tool, path, work):
    row = {"file": str(path), "geometry": 0, "byKind": {}, "reached": 0, "hiddenWritten": 0, "inputsWritten": 0}
    scene = tool_json([scene_tool, "scene", "--json", str(path)])
    if not scene:
        row["status"] = "unreadable"
        return row
    geometry = [(p, o) for p, o in walk(scene.get("objects", [])) if kind_of(o.get("dataTypeId") or o.get("typeId"))]
    row["geometry"] = len(geometry)
    imported = tool_json([tool, "import", "--json", "--large", "yes", str(path), "-o", str(work / "x.glb")]) or {}
    row["status"] = imported.get("status", "failed")
    older = None
    if "hidden" not in imported:
        older = dict(walk((tool_json([tool, "scene", "--json", str(path)]) or {}).get("objects", [])))
    generators = [p for p, o in geometry if kind_of(o.get("dataTypeId") or o.get("typeId")) == "generator"]
    sources = {o.get("source") for o in imported.get("objects", [])}
    # A generator's raw inputs written as if they were its result: a child's own output beside (or instead of) it.
    written = [s for s in sources if s]
    if older is None:
        row["inputsWritten"] = sum(1 for g in generators
                                   if any(s.startswith(g + " / ") and not s.startswith(g + " / cache: ") for s in written))
    else:  # an older build: a generator's child it read and did not leave out was written
        rebuilt = {p["name"] for p in imported.get("primitives", []) if p.get("rebuilt")}
        row["inputsWritten"] = sum(1 for g in generators if any(
            p.startswith(g + " / ") and ("notImported" not in o or p in rebuilt)
            and kind_of(o.get("dataTypeId") or o.get("typeId")) for p, o in older.items()))
    for p, o in geometry:
        kind = kind_of(o.get("dataTypeId") or o.get("typeId"))
        row["byKind"][kind] = row["byKind"].get(kind, 0) + 1
        if reached(p, imported, older, generators):
            row["reached"] += 1
            row["hiddenWritten"] += bool(o.get("hidden"))
    return row


def scene_files(paths):
    for path in map(pathlib.Path, paths):
        yield from sorted(path.rglob("*.c4d")) if path.is_dir() else [path]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("paths", nargs="*", default=DEFAULT_PATHS)
    parser.add_argument("--json", action="store_true", help="print the rows and totals as one JSON document")
    parser.add_argument("--tool", default=str(ROOT / "build/tools/c4dimport/c4dimport"),
                        help="the converter whose output is counted")
    parser.add_argument("--scene-tool", default=str(ROOT / "build/tools/c4dimport/c4dimport"),
                        help="the build that reads the scene tree")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        rows = [census(args.tool, args.scene_tool, f, pathlib.Path(work)) for f in scene_files(args.paths)]
    totals = {"files": len(rows), "geometry": sum(r["geometry"] for r in rows),
              "reached": sum(r["reached"] for r in rows), "hiddenWritten": sum(r["hiddenWritten"] for r in rows),
              "inputsWritten": sum(r["inputsWritten"] for r in rows)}
    if args.json:
        json.dump({"files": rows, "totals": totals}, sys.stdout, indent=1)
        print()
        return 0
    print(f"{'file':<28} {'geometry':>8} {'reached':>8} {'hidden written':>15} {'inputs written':>15}  kinds")
    for r in rows:
        kinds = ", ".join(f"{k} {n}" for k, n in sorted(r["byKind"].items()))
        print(f"{pathlib.Path(r['file']).name:<28} {r['geometry']:>8} {r['reached']:>8} {str(r['hiddenWritten']):>15} {r['inputsWritten']:>15}  {kinds}")
    print(f"{'total (' + str(totals['files']) + ' files)':<28} {totals['geometry']:>8} {totals['reached']:>8} "
          f"{str(totals['hiddenWritten']):>15} {totals['inputsWritten']:>15}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
