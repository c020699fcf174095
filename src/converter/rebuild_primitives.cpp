#include "rebuild_primitives.h"

#include "c4d_document.h"
#include "c4d_layer.h"
#include "c4d_object.h"
#include "c4d_object_data.h"
#include "float_exception_mask.h"
#include "ge_chunk_file.h"
#include "host_assembly.h"
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

// Whether the import's Execute leaves the object to its fallback cache.
bool LeftToFallback(const C4DBaseObject& object) {
  if (const auto* spline = dynamic_cast<const C4DSplineObject*>(&object)) {
    return spline->GetSplineSetting(SPLINE_SETTING_MODE) != 0 || !spline->GetObjectData();
  }
  const auto* plugin = dynamic_cast<const C4DPluginObject*>(&object);
  if (!plugin) return true;
  return !plugin->GetObjectData() || plugin->GetDataTypeId() == DATA_INSTANCE ||
         IsPrimitiveDataType(plugin->GetDataTypeId());
}

class Walker {
 public:
  Walker(const C4DBaseDocument& document, HostObjects& hostObjects,
         const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table, uint64_t polygonLimit)
      : m_document(document), m_hostObjects(hostObjects), m_table(table), m_polygonLimit(polygonLimit) {}

  void Objects(const C4DRootObject* list, const std::string& above) {
    if (!list) return;
    for (const C4DBaseObject* object : list->Objects()) Object(*object, above, "");
  }
  std::vector<RebuiltPrimitive> Take() { return std::move(m_found); }

 private:
  void Object(const C4DBaseObject& object, const std::string& above, const char* via) {
    const std::string path = (above.empty() ? "" : above + " / ") + via + object.GetNameString();
    const C4DBaseObject* fallback = object.GetFirstFallback();
    if (const C4DBaseObject* first = object.GetFirstOverride()) {
      Object(*first, path, "cache: ");
    } else if (Marked(object)) {
      if (fallback && fallback->GetFirstOverride()) Object(*fallback, path, "cache: ");
    } else if (LeftToFallback(object)) {
      const auto* plugin = dynamic_cast<const C4DPluginObject*>(&object);
      if (fallback) {
        Object(*fallback, path, "cache: ");
      } else if (plugin && c4dprim::IsRebuildablePrimitive(plugin->GetDataTypeId())) {
        Rebuild(*plugin, path);
      }
    }
    if (object.childList) {
      for (const C4DBaseObject* child : object.childList->Objects()) Object(*child, path, "");
    }
  }

  void Rebuild(const C4DPluginObject& object, const std::string& path) {
    RebuiltPrimitive found;
    found.object = &object;
    found.path = path;
    found.dataType = object.GetDataTypeId();
    found.kind = c4dprim::PrimitiveName(found.dataType);
    const c4dprim::PrimitiveRead read = c4dprim::ReadPrimitive(found.dataType, object.data);
    try {
      if (!read.shape) {
        found.reason = read.reason;
      } else if (const uint64_t polygons = c4dprim::PolygonCount(*read.shape); polygons > m_polygonLimit) {
        found.reason = "a mesh of " + std::to_string(polygons) + " polygons, over the large-object limit of " +
                       std::to_string(m_polygonLimit) +
                       ": answer yes to the question about large objects (--large yes) to rebuild it";
      } else if (AppendMesh(object, c4dprim::BuildPrimitiveMesh(*read.shape), m_hostObjects, m_table)) {
        found.rebuilt = true;
        found.objectIndex = m_hostObjects.size() - 1;
        found.reason = Joined(read.notes);
      } else {
        found.reason = "its parameters give no face (a size of 0)";
      }
    } catch (CQEL_AppException* exception) {
      found.reason = "the host could not make it: " + std::string(exception->PrintReport());
      delete exception;
    }
    m_found.push_back(std::move(found));
  }

  bool Marked(const C4DBaseObject& object) const {
    return m_document.useMarkedCaches != 0 && (object.nodeBits & kNodeBitCacheMarked) != 0 &&
           (object.typeId == OBJECT_PLUGIN || object.typeId == OBJECT_PLUGIN_POLYGON) &&
           m_document.CacheChainMarked(&object);
  }

  const C4DBaseDocument& m_document;
  HostObjects& m_hostObjects;
  const CQEL_SmartPtr<CQEL_ResourceLayerTable>& m_table;
  uint64_t m_polygonLimit;
  std::vector<RebuiltPrimitive> m_found;
};

}  // namespace

std::vector<RebuiltPrimitive> RebuildPrimitives(const C4DBaseDocument& document, HostObjects& hostObjects,
                                                const CQEL_SmartPtr<CQEL_ResourceLayerTable>& layerTable,
                                                uint64_t polygonLimit) {
  Walker walker(document, hostObjects, layerTable, polygonLimit);
  walker.Objects(document.GetObjects(), "");
  return walker.Take();
}

std::vector<RebuiltPrimitive> RebuildPrimitives(const std::string& path, HostObjects& hostObjects,
                                                const CQEL_SmartPtr<CQEL_ResourceLayerTable>& layerTable,
                                                uint64_t polygonLimit) {
  C4DBaseDocument document;  // before the file: it installs the link support
  GeChunkFile file;
  if (!file.Open(path.c_str()) || !document.Load(file)) return {};
  file.Close();
  std::vector<RebuiltPrimitive> found = RebuildPrimitives(document, hostObjects, layerTable, polygonLimit);
  for (RebuiltPrimitive& primitive : found) primitive.object = nullptr;
  return found;
}

}  // namespace c4drebuild
