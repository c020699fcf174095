"""Reads a DXF file as strict CAD readers do, with ezdxf's recover and audit,
and prints what it holds as one JSON line: python3 dxf_audit.py <file>.
Exits 77 when ezdxf is missing."""
import json, sys
try:
    from ezdxf import recover
except ImportError:
    sys.exit(77)

doc, recovered = recover.readfile(sys.argv[1])
audit = doc.audit()
out = {'fixes': len(recovered.fixes) + len(audit.fixes), 'errors': len(recovered.errors) + len(audit.errors),
       'messages': [str(e.message) for e in recovered.fixes + recovered.errors + audit.fixes + audit.errors],
       'units': doc.header.get('$INSUNITS', 0), 'meshes': 0, 'faces': 0, 'hidden': 0, 'lines': 0, 'layers': [layer.dxf.name for layer in doc.layers], 'entities': []}
points = set()
for e in doc.modelspace():
    vertices = list(e.vertices) if e.dxftype() == 'POLYLINE' else []
    if e.dxftype() == 'POLYLINE' and e.is_poly_face_mesh:
        out['meshes'] += 1
        records = [v for v in vertices if v.is_face_record]
        out['faces'] += len(records)
        out['hidden'] += sum(1 for v in records for k in ('vtx0', 'vtx1', 'vtx2', 'vtx3') if v.dxf.get(k, 0) < 0)
        points.update(tuple(round(c, 4) for c in v.dxf.location) for v in vertices if v.is_poly_face_mesh_vertex)
    elif e.dxftype() == 'POLYLINE' and e.is_3d_polyline:
        out['lines'] += len(vertices) - (0 if e.is_closed else 1)
        points.update(tuple(round(c, 4) for c in v.dxf.location) for v in vertices)
    elif e.dxftype() == '3DFACE':
        out['faces'] += 1
        continue
    out['entities'].append([e.dxftype(), e.dxf.layer, '%06X' % (e.dxf.get('true_color', 0)), round(e.transparency, 2)])
out['points'] = len(points)
print(json.dumps(out))
