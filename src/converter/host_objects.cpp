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

namespace {

// The host mesh of host points and polygons (indices into `scenePoints`, which
// only decide which polygons are degenerate); false when no face results.
bool AppendHostMesh(const C4DBaseObject& look, PointList points, const Vector* scenePoints, int32_t pointCount,
                    const CPolygon* polygons, int32_t polygonCount, HostObjects& hostObjects,
                    const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table) {
  EdgeList edges;
  FaceList faces;
  BuildPolygonTopology(polygons, polygonCount, scenePoints, pointCount, edges, faces);
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
  Append(look, geometry, true, hostObjects, table);
  return true;
}

}  // namespace

bool AppendMesh(const C4DBaseObject& object, const c4dprim::PrimitiveMesh& mesh, HostObjects& hostObjects,
                const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table) {
  const int32_t pointCount = int32_t(mesh.points.size());
  PointList points;
  {
    FloatExceptionMask masked;
    ConvertObjectPoints(mesh.points.data(), pointCount, object.GetMg(), points);
  }
  return AppendHostMesh(object, std::move(points), mesh.points.data(), pointCount, mesh.polygons.data(),
                        int32_t(mesh.polygons.size()), hostObjects, table);
}

bool AppendMesh(const C4DBaseObject& look, const Matrix64& mg, const std::vector<Vector64>& points,
                const std::vector<CPolygon>& polygons, HostObjects& hostObjects,
                const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table) {
  const int32_t pointCount = int32_t(points.size());
  PointList hostPoints;
  std::vector<Vector> narrow;
  narrow.reserve(points.size());
  {
    FloatExceptionMask masked;
    ConvertObjectPoints64(points.data(), pointCount, mg, hostPoints);
    for (const Vector64& p : points) narrow.push_back(Narrow(p));
  }
  return AppendHostMesh(look, std::move(hostPoints), narrow.data(), pointCount, polygons.data(),
                        int32_t(polygons.size()), hostObjects, table);
}

bool AppendPolyline(const C4DBaseObject& object, const std::vector<Vector64>& points, bool closed,
                    HostObjects& hostObjects, const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table) {
  return AppendPolyline(object, object.GetMg64(), points, closed, hostObjects, table);
}

bool AppendPolyline(const C4DBaseObject& look, const Matrix64& mg, const std::vector<Vector64>& points, bool closed,
                    HostObjects& hostObjects, const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table) {
  if (points.size() < 2) return false;
  PointList hostPoints;
  {
    FloatExceptionMask masked;
    ConvertObjectPoints64(points.data(), int32_t(points.size()), mg, hostPoints);
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
  Append(look, geometry, false, hostObjects, table);
  return true;
}

}  // namespace c4dhost
