#include "left_out.h"

#include "c4d_document.h"
#include "c4d_object.h"
#include "c4d_object_data.h"
#include "ge_chunk_file.h"
#include "polygon_topology.h"

namespace c4dimport {

namespace {

constexpr uint32_t kLargeObjectLimit = 500000;
constexpr const char* kResave = "re-save the scene with polygon caches";
// Files of the newer variant store no caches: what a generator makes is not
// in the file unless the object was made editable before saving.
constexpr const char* kNotStored = "files of the newer variant do not store its geometry: make it editable before saving";

// What the import's Execute makes of one object.
struct Judgement {
  bool dealtWith = true;  // false: the traversal goes on into the fallback cache
  std::string reason;     // "" when the object is converted or needs no word
  bool counted = false;
};

const char* SkippedKind(int32_t dataType) {
  switch (dataType) {
    case DATA_LIGHT: return "a light";
    case DATA_CAMERA: return "a camera";
    case DATA_FLOOR: return "a floor";
    case DATA_SKY: return "a sky";
    case DATA_ENVIRONMENT: return "an environment";
    case DATA_FOREGROUND: return "a foreground";
    case DATA_BACKGROUND: return "a background";
    default: return nullptr;
  }
}

Judgement JudgeMesh(const C4DPolygonObjectData& data, const LeftOutOptions& options) {
  const int32_t pointCount = data.GetPointCount();
  const int32_t polygonCount = data.GetPolygonCount();
  const Vector* points = data.GetPoints();
  const CPolygon* polygons = data.GetPolygons();
  if (pointCount == 0 && polygonCount == 0) return {};
  if (!points) return {false, "a mesh with polygons but no points"};
  if (!polygons && polygonCount > 0) return {false, "a mesh whose polygons could not be read"};
  if (uint32_t(polygonCount) > kLargeObjectLimit && !options.convertLarge) {
    return {true,
            "a mesh of " + std::to_string(uint32_t(polygonCount)) +
                " polygons, over the large-object limit of 500000: answer yes to the question about large "
                "objects (--large yes) to convert it",
            true};
  }
  if (polygonCount <= 0) return {true, "a mesh of points without polygons", true};
  EdgeList edges;
  FaceList faces;
  BuildPolygonTopology(polygons, polygonCount, points, pointCount, edges, faces);
  if (faces.empty()) return {true, "a mesh whose polygons are all degenerate (corners repeated)", true};
  return {true, "", true};
}

Judgement JudgeSpline(const C4DSplineObject& spline, bool newer) {
  const auto* data = dynamic_cast<const C4DPointObjectData*>(spline.GetObjectData());
  if (!data) return {false, "a spline without its point data"};
  if (data->GetPointCount() == 0) return {};
  const int32_t mode = spline.GetSplineSetting(SPLINE_SETTING_MODE);
  if (mode != 0) {
    return {false,
            "a spline whose setting 1001 is " + std::to_string(mode) +
                " (only 0 is converted): " +
                (newer ? "files of the newer variant store only its control points" : "re-save the scene with caches"),
            true};
  }
  return {true, "", true};
}

Judgement Judge(const C4DBaseObject& object, const LeftOutOptions& options, bool newer) {
  if (const auto* spline = dynamic_cast<const C4DSplineObject*>(&object)) return JudgeSpline(*spline, newer);
  const std::string missing = newer ? kNotStored : kResave;
  const auto* plugin = dynamic_cast<const C4DPluginObject*>(&object);
  if (!plugin) return {false, "an object the import does not know"};
  const int32_t dataType = plugin->GetDataTypeId();
  const C4DPluginObjectData* data = plugin->GetObjectData();
  if (!data) {
    return {false, "an object of data type " + std::to_string(dataType) +
                       " that the import does not convert, without a polygon cache: " + missing};
  }
  if (const auto* mesh = dynamic_cast<const C4DPolygonObjectData*>(data)) return JudgeMesh(*mesh, options);
  if (IsPrimitiveDataType(dataType)) {
    return {false, "a primitive (data type " + std::to_string(dataType) + ") without a polygon cache: " + missing,
            true};
  }
  if (dataType == DATA_INSTANCE) return {false, "an instance without a polygon cache: " + missing, true};
  if (const char* kind = SkippedKind(dataType)) return {true, std::string(kind) + ", which the import leaves out"};
  return {};  // a null: a group for its children
}

class Walker {
 public:
  Walker(const C4DBaseDocument& document, const LeftOutOptions& options) : m_document(document), m_options(options) {}

  void Objects(const C4DRootObject* list, const std::string& above) {
    if (!list) return;
    for (const C4DBaseObject* object : list->Objects()) Object(*object, above, "");
  }

  std::vector<LeftOutObject> Take() { return std::move(m_left); }

 private:
  // As the traversal: an override cache stands for the object; marked
  // caches pass to the fallback cache's override; otherwise the object is
  // judged and, when not dealt with, its fallback cache's first object is.
  void Object(const C4DBaseObject& object, const std::string& above, const char* via) {
    const std::string path = (above.empty() ? "" : above + " / ") + via + object.GetNameString();
    if (const C4DBaseObject* first = object.GetFirstOverride()) {
      Object(*first, path, "cache: ");
    } else if (Marked(object)) {
      const C4DBaseObject* fallback = object.GetFirstFallback();
      if (fallback && fallback->GetFirstOverride()) Object(*fallback, path, "cache: ");
    } else {
      const Judgement judgement = Judge(object, m_options, m_document.IsNewerVariant());
      const C4DBaseObject* fallback = judgement.dealtWith ? nullptr : object.GetFirstFallback();
      if (fallback) {
        Object(*fallback, path, "cache: ");
      } else if (!judgement.reason.empty()) {
        m_left.push_back({&object, path, judgement.reason, judgement.counted});
      }
    }
    if (object.childList) {
      for (const C4DBaseObject* child : object.childList->Objects()) Object(*child, path, "");
    }
  }

  bool Marked(const C4DBaseObject& object) const {
    return m_document.useMarkedCaches != 0 && (object.nodeBits & kNodeBitCacheMarked) != 0 &&
           (object.typeId == OBJECT_PLUGIN || object.typeId == OBJECT_PLUGIN_POLYGON) &&
           m_document.CacheChainMarked(&object);
  }

  const C4DBaseDocument& m_document;
  const LeftOutOptions& m_options;
  std::vector<LeftOutObject> m_left;
};

}  // namespace

std::vector<LeftOutObject> FindLeftOutObjects(const C4DBaseDocument& document, const LeftOutOptions& options) {
  Walker walker(document, options);
  walker.Objects(document.GetObjects(), "");
  return walker.Take();
}

std::map<const C4DBaseObject*, std::string> LeftOutReasons(const C4DBaseDocument& document,
                                                           const LeftOutOptions& options) {
  std::map<const C4DBaseObject*, std::string> reasons;
  for (const LeftOutObject& left : FindLeftOutObjects(document, options)) reasons[left.object] = left.reason;
  return reasons;
}

std::vector<LeftOutObject> FindLeftOutObjects(const std::string& path, const LeftOutOptions& options) {
  C4DBaseDocument document;  // before the file: it installs the link support
  GeChunkFile file;
  if (!file.Open(path.c_str()) || !document.Load(file)) return {};
  file.Close();
  std::vector<LeftOutObject> left = FindLeftOutObjects(document, options);
  // The objects die with the document.
  for (LeftOutObject& object : left) object.object = nullptr;
  return left;
}

}  // namespace c4dimport
