# Reads a DXF file as strict CAD readers do, with ezdxf's recover and audit,
# and prints what it holds as one JSON line: python3 dxf_audit.py <file>.
# Exits 77 when ezdxf is missing.
import json, sys
try:
    from ezdxf import recover
except ImportError:
    sys.exit(77)

doc, recovered = recover.readfile(sys.argv[1])
audit = doc.audit()
found = recovered.fixes + recovered.errors + audit.fixes + audit.errors
out = {'fixes': len(recovered.fixes + audit.fixes), 'errors': len(recovered.errors + audit.errors),
       'messages': [str(e.message) for e in found], 'units': doc.header.get('$INSUNITS', 0), 'meshes': 0,
       'faces': len(doc.modelspace().query('3DFACE')), 'hidden': 0, 'lines': 0, 'entities': [],
       'layers': [layer.dxf.name for layer in doc.layers if layer.dxf.name != 'Defpoints']}  # ezdxf's own
points = set()
for e in doc.modelspace().query('POLYLINE'):
    vertices, records = list(e.vertices), [v for v in e.vertices if v.is_face_record]
    out['meshes'] += e.is_poly_face_mesh
    out['faces'] += len(records)
    out['hidden'] += sum(1 for v in records for k in ('vtx0', 'vtx1', 'vtx2', 'vtx3') if v.dxf.get(k, 0) < 0)
    out['lines'] += (len(vertices) - (not e.is_closed)) if e.is_3d_polyline else 0
    points.update(tuple(round(c, 4) for c in v.dxf.location) for v in vertices if not v.is_face_record)
    out['entities'].append([e.dxftype(), e.dxf.layer, '%06X' % e.dxf.get('true_color', 0), round(e.transparency, 2)])
print(json.dumps(dict(out, points=len(points))))
