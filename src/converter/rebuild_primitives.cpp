#include "rebuild_primitives.h"

#include "c4d_layer.h"
#include "c4d_object.h"
#include "c4d_object_data.h"
#include "float_exception_mask.h"
#include "ge_alloc.h"
#include "host_assembly.h"
#include "not_converted.h"
#include "object_colour.h"
#include "polygon_conversion.h"
#include "polygon_topology.h"
#include "qel_Exceptions.h"
#include "primitives.h"

namespace c4drebuild {

namespace {

using HostObjects = std::vector<CQEL_SmartPtr<CQEL_Object>>;

// The module's layer id for an object: the leaf of its layer's name, else
// the host's active layer.
uint32_t LayerIdOf(const C4DBaseObject& object, const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table) {
  if (const C4DBaseLayer* layer = object.GetLayer(); layer && table) {
    if (const auto leaf = table->GetLayerLeafByLongName(layer->GetNameString())) return leaf->Id();
  }
  return CQEL_Service_LayerResources::GetActiveLayer();
}

// Builds the host mesh as the module builds one of a polygon object; false
// when no face results.
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
  Vector colour{0.0f, 0.0f, 0.0f};
  float transparency = 0.0f;
  ResolveObjectColour(&object, colour, transparency);

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
  CQEL_SmartPtr<CQEL_BasisPolyhedron3D> basis = CQEL_BasisPolyhedron3D::CreateObj();
  basis->SetGeometry(CQEL_SmartPtr<CQEL_Geometry>(geometry));
  AssignTransparencySurface(basis, colour, transparency);
  ApplyCommonStyle(basis, LayerIdOf(object, table), colour, transparency);
  hostObjects.push_back(CQEL_SmartPtr<CQEL_Object>(basis));
  return true;
}

std::string Joined(const std::vector<std::string>& notes) {
  std::string text;
  for (const std::string& note : notes) text += (text.empty() ? "" : "; ") + note;
  return text;
}

RebuiltPrimitive Rebuild(const C4DPluginObject& object, const std::string& path, HostObjects& hostObjects,
                         const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table, uint64_t polygonLimit,
                         GeAllocMeter& budget) {
  RebuiltPrimitive found;
  found.object = &object;
  found.path = path;
  found.dataType = object.GetDataTypeId();
  found.kind = c4dprim::PrimitiveName(found.dataType);
  const c4dprim::PrimitiveRead read = c4dprim::ReadPrimitive(found.dataType, object.data);
  try {
    if (!read.shape) {
      found.reason = read.reason;
    } else if (const uint64_t polygons = c4dprim::PolygonCount(*read.shape); polygons > polygonLimit) {
      found.reason = "a mesh of " + std::to_string(polygons) + " polygons, over the large-object limit of " +
                     std::to_string(polygonLimit) +
                     ": answer yes to the question about large objects (--large yes) to rebuild it";
    } else if (!budget.Charge(polygons * kHostBytesPerPolygon)) {
      found.reason = "a mesh of " + std::to_string(polygons) + " polygons, over what this file may rebuild (" +
                     std::to_string(budget.limit >> 20) + " MiB of host objects, " +
                     std::to_string(budget.used >> 20) + " MiB taken)";
    } else if (AppendMesh(object, c4dprim::BuildPrimitiveMesh(*read.shape), hostObjects, table)) {
      found.rebuilt = true;
      found.objectIndex = hostObjects.size() - 1;
      found.reason = Joined(read.notes);
    } else {
      found.reason = "its parameters give no face (a size of 0)";
    }
  } catch (CQEL_AppException* exception) {
    found.reason = "the host could not make it: " + std::string(exception->PrintReport());
    delete exception;
  } catch (const std::exception& error) {
    // Out of memory, say: this one is left out, the others are still tried.
    found.reason = std::string("it could not be rebuilt: ") + error.what();
  }
  return found;
}

}  // namespace

std::vector<RebuiltPrimitive> RebuildPrimitives(std::vector<c4dimport::LeftOutObject>& leftOut,
                                                HostObjects& hostObjects,
                                                const CQEL_SmartPtr<CQEL_ResourceLayerTable>& layerTable,
                                                uint64_t polygonLimit, uint64_t budgetBytes) {
  GeAllocMeter budget;
  budget.limit = budgetBytes;
  std::vector<RebuiltPrimitive> found;
  for (c4dimport::LeftOutObject& left : leftOut) {
    // The module knows some primitives only as data types it does not convert.
    const LeftOutReason reason = left.judgement.reason;
    if (reason != LeftOutReason::PrimitiveWithoutCache && reason != LeftOutReason::UnknownDataWithoutCache) continue;
    const auto* plugin = dynamic_cast<const C4DPluginObject*>(left.object);
    if (!plugin || !c4dprim::IsRebuildablePrimitive(plugin->GetDataTypeId())) continue;
    found.push_back(Rebuild(*plugin, left.path, hostObjects, layerTable, polygonLimit, budget));
    left.rebuilt = found.back().rebuilt;
  }
  return found;
}

}  // namespace c4drebuild
