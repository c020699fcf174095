#include "polygon_conversion.h"

#include <utility>

#include "host_assembly.h"

void AppendMeshPolyhedron(const Vector& colour, PointList points, EdgeList edges, FaceList faces,
                          uint32_t layerId, float transparency) {
  CQEL_SmartPtr<CQEL_GeoPolyhedron3D> mesh = CQEL_GeoPolyhedron3D::CreateObj();
  mesh->SetDimension(QEL_DIMENSION_3D);
  mesh->SetOrientation(QEL_ORIENTATION_POSITIVE);
  // Each list is handed over, not copied: a large mesh is held once.
  mesh->SetPoints(std::move(points));
  mesh->SetEdges(std::move(edges));
  mesh->SetFaces(std::move(faces));
  AssembleBasisPolyhedron(mesh, colour, transparency, layerId, true);
}
