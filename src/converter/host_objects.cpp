#include "host_objects.h"

#include "c4d_layer.h"
#include "c4d_object.h"
#include "float_exception_mask.h"
#include "host_assembly.h"
#include "object_colour.h"
#include "polygon_conversion.h"
#include "polygon_topology.h"

namespace c4dhost {

namespace {

// Wraps the geometry as the module's assembly does and appends it.
void Append(const C4DBaseObject& object, const CQEL_SmartPtr<CQEL_GeoPolyhedron3D>& geometry, bool withSurface,
            HostObjects& hostObjects, const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table) {
  Vector colour{0.0f, 0.0f, 0.0f};
  float transparency = 0.0f;
  ResolveObjectColour(&object, colour, transparency);
  CQEL_SmartPtr<CQEL_BasisPolyhedron3D> basis = CQEL_BasisPolyhedron3D::CreateObj();
  basis->SetGeometry(CQEL_SmartPtr<CQEL_Geometry>(geometry));
  if (withSurface) AssignTransparencySurface(basis, colour, transparency);
  ApplyCommonStyle(basis, LayerIdOf(object, table), colour, transparency);
  hostObjects.push_back(CQEL_SmartPtr<CQEL_Object>(basis));
}

}  // namespace

uint32_t LayerIdOf(const C4DBaseObject& object, const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table) {
  if (const C4DBaseLayer* layer = object.GetLayer(); layer && table) {
    if (const auto leaf = table->GetLayerLeafByLongName(layer->GetNameString())) return leaf->Id();
  }
  return CQEL_Service_LayerResources::GetActiveLayer();
}

bool AppendMesh(const C4DBaseObject& object, const c4dprim::PrimitiveMesh& mesh, HostObjects& hostObjects,
                const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table) {
  const int32_t pointCount = int32_t(mesh.points.size()), polygonCount = int32_t(mesh.polygons.size());
  PointList points;
  {
    FloatExceptionMask masked;
    ConvertObjectPoints(mesh.points.data(), pointCount, object.GetMg(), points);
  }
  EdgeList edges;
  FaceList faces;
  BuildPolygonTopology(mesh.polygons.data(), polygonCount, mesh.points.data(), pointCount, edges, faces);
  if (faces.empty()) return false;
  CQEL_SmartPtr<CQEL_GeoPolyhedron3D> geometry = CQEL_GeoPolyhedron3D::CreateObj();
  geometry->SetDimension(QEL_DIMENSION_3D);
  geometry->SetOrientation(QEL_ORIENTATION_POSITIVE);
  // The host copies each list; ours go at once, as the module's do.
  geometry->SetPoints(points);
  PointList().swap(points);
  geometry->SetEdges(edges);
  EdgeList().swap(edges);
  geometry->SetFaces(faces);
  FaceList().swap(faces);
  Append(object, geometry, true, hostObjects, table);
  return true;
}

bool AppendPolyline(const C4DBaseObject& object, const std::vector<Vector64>& points, bool closed,
                    HostObjects& hostObjects, const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table) {
  if (points.size() < 2) return false;
  PointList hostPoints;
  {
    FloatExceptionMask masked;
    ConvertObjectPoints64(points.data(), int32_t(points.size()), object.GetMg64(), hostPoints);
  }
  if (closed) hostPoints.push_back(hostPoints.front());
  EdgeList edges;
  edges.reserve(hostPoints.size() - 1);
  for (size_t i = 1; i < hostPoints.size(); ++i) edges.emplace_back(unsigned(i), unsigned(i + 1));
  CQEL_SmartPtr<CQEL_GeoPolyhedron3D> geometry = CQEL_GeoPolyhedron3D::CreateObj();
  geometry->SetPoints(std::move(hostPoints));
  geometry->SetEdges(std::move(edges));
  geometry->SetDimension(QEL_DIMENSION_1D);
  geometry->SetOrientation(QEL_ORIENTATION_POSITIVE);
  Append(object, geometry, false, hostObjects, table);
  return true;
}

}  // namespace c4dhost
