#!/usr/bin/env python3
"""Census of scene files: objects that carry or make geometry, how many reach the output, hidden ones written.

Per file: the objects of the scene (`c4dimport scene --json`) whose data type
carries geometry (polygon objects, splines, primitives, spline primitives,
generators), the meshes and polylines written (`c4dimport import --json -o
x.glb`), and the objects hidden in the editor or disabled that were written
anyway (from the scene's per-object "hidden"; "unknown" where the scene JSON
does not carry it).

  bench/census.py [--json] [--tool build/tools/c4dimport/c4dimport] [FILES_OR_FOLDERS...]
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


def walk(objects):
    for o in objects:
        yield o
        yield from walk(o.get("children", []))


def tool_json(args):
    done = subprocess.run(args, capture_output=True, text=True)
    try:
        return json.loads(done.stdout)
    except json.JSONDecodeError:
        return None


def census(tool, path, work):
    row = {"file": str(path), "geometry": 0, "byKind": {}, "written": 0, "hiddenWritten": "unknown"}
    scene = tool_json([tool, "scene", "--json", str(path)])
    if not scene:
        row["status"] = "unreadable"
        return row
    geometry = [o for o in walk(scene.get("objects", [])) if kind_of(o.get("dataTypeId", o.get("typeId")))]
    row["geometry"] = len(geometry)
    for o in geometry:
        kind = kind_of(o.get("dataTypeId", o.get("typeId")))
        row["byKind"][kind] = row["byKind"].get(kind, 0) + 1
    imported = tool_json([tool, "import", "--json", "--large", "yes", str(path), "-o", str(work / "x.glb")]) or {}
    output = imported.get("output") or {}
    row["written"] = output.get("meshes", 0) + output.get("polylines", 0) if output.get("written") else 0
    row["status"] = imported.get("status", "failed")
    if any("hidden" in o for o in walk(scene.get("objects", []))):
        left_out = {str(x.get("name", x)) if isinstance(x, dict) else str(x) for x in output.get("leftOut", [])}
        row["hiddenWritten"] = sum(1 for o in geometry if o.get("hidden") and o.get("name") not in left_out)
    return row


def scene_files(paths):
    for path in map(pathlib.Path, paths):
        yield from sorted(path.rglob("*.c4d")) if path.is_dir() else [path]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("paths", nargs="*", default=DEFAULT_PATHS)
    parser.add_argument("--json", action="store_true", help="print the rows and totals as one JSON document")
    parser.add_argument("--tool", default=str(ROOT / "build/tools/c4dimport/c4dimport"))
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        rows = [census(args.tool, f, pathlib.Path(work)) for f in scene_files(args.paths)]
    known = [r["hiddenWritten"] for r in rows if r["hiddenWritten"] != "unknown"]
    totals = {"files": len(rows), "geometry": sum(r["geometry"] for r in rows),
              "written": sum(r["written"] for r in rows), "hiddenWritten": sum(known) if known else "unknown"}
    if args.json:
        json.dump({"files": rows, "totals": totals}, sys.stdout, indent=1)
        print()
        return 0
    print(f"{'file':<28} {'geometry':>8} {'written':>8} {'hidden written':>15}  kinds")
    for r in rows:
        kinds = ", ".join(f"{k} {n}" for k, n in sorted(r["byKind"].items()))
        print(f"{pathlib.Path(r['file']).name:<28} {r['geometry']:>8} {r['written']:>8} {str(r['hiddenWritten']):>15}  {kinds}")
    print(f"{'total (' + str(totals['files']) + ' files)':<28} {totals['geometry']:>8} {totals['written']:>8} "
          f"{str(totals['hiddenWritten']):>15}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
