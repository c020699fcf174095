#include "object_judgement.h"

#include "c4d_object.h"
#include "c4d_object_data.h"
#include "c4d_tag.h"
#include "polygon_topology.h"

namespace {

// What the import reads and leaves out by its kind; null for other kinds.
const char* SkippedKindName(int32_t dataType) {
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

ObjectJudgement LeftToCache(LeftOutReason reason, bool counted = false) {
  ObjectJudgement judgement;
  judgement.dealtWith = false;
  judgement.counted = counted;
  judgement.reason = reason;
  return judgement;
}

ObjectJudgement JudgeMesh(const C4DBaseObject& object, const ObjectJudgementOptions& options) {
  const auto* pointTag = static_cast<const PrivateC4DPointTag*>(object.GetTag(TAG_TYPE_POINT));
  const auto* polygonTag = static_cast<const PrivateC4DPolygonTag*>(object.GetTag(TAG_TYPE_POLYGON));
  const Vector* points = pointTag ? pointTag->points : nullptr;
  const int32_t pointCount = pointTag ? pointTag->pointCount : 0;
  const CPolygon* polygons = polygonTag ? polygonTag->polygons : nullptr;
  const int32_t polygonCount = polygonTag ? polygonTag->polygonCount : 0;

  ObjectJudgement judgement;
  if (pointCount == 0 && polygonCount == 0) return judgement;
  if (!points) return LeftToCache(LeftOutReason::MeshWithoutPoints);
  if (!polygons && polygonCount > 0) return LeftToCache(LeftOutReason::MeshPolygonsUnreadable);
  judgement.counted = true;
  judgement.polygons = static_cast<uint32_t>(polygonCount);
  if (judgement.polygons > kLargeObjectPolygonLimit && !options.convertLarge) {
    judgement.reason = LeftOutReason::MeshOverLargeLimit;
  } else if (polygonCount <= 0) {
    judgement.reason = LeftOutReason::MeshWithoutPolygons;
  } else if (options.checkFaces) {
    EdgeList edges;
    FaceList faces;
    BuildPolygonTopology(polygons, polygonCount, points, pointCount, edges, faces);
    if (faces.empty()) judgement.reason = LeftOutReason::MeshDegenerate;
  }
  judgement.converts = judgement.reason == LeftOutReason::None;
  return judgement;
}

ObjectJudgement JudgeSpline(const C4DSplineObject& spline) {
  const C4DPluginObjectData* data = spline.GetObjectData();
  if (!data) return LeftToCache(LeftOutReason::SplineWithoutData);
  // The points are those of the object that holds the data: the spline.
  const C4DBaseObject* holder = data->owner ? data->owner : &spline;
  const auto* pointTag = static_cast<const PrivateC4DPointTag*>(holder->GetTag(TAG_TYPE_POINT));
  // No points (or a count that no array can have) is nothing to convert.
  if (!pointTag || pointTag->pointCount <= 0 || !pointTag->points) return {};
  const int32_t mode = spline.GetSplineSetting(SPLINE_SETTING_MODE);
  if (mode != 0) {
    ObjectJudgement judgement = LeftToCache(LeftOutReason::SplineNotLinear, true);
    judgement.setting = mode;
    return judgement;
  }
  ObjectJudgement judgement;
  judgement.counted = judgement.converts = true;
  return judgement;
}

}  // namespace

ObjectJudgement JudgeObject(const C4DBaseObject& object, const ObjectJudgementOptions& options) {
  if (const auto* spline = dynamic_cast<const C4DSplineObject*>(&object)) {
    ObjectJudgement judgement = JudgeSpline(*spline);
    judgement.dataType = spline->GetDataTypeId();
    return judgement;
  }
  const auto* plugin = dynamic_cast<const C4DPluginObject*>(&object);
  if (!plugin) return LeftToCache(LeftOutReason::UnknownObject);
  const int32_t dataType = plugin->GetDataTypeId();
  const C4DPluginObjectData* data = plugin->GetObjectData();
  ObjectJudgement judgement;
  if (!data) {
    judgement = LeftToCache(LeftOutReason::UnknownDataWithoutCache);
  } else if (dynamic_cast<const C4DPolygonObjectData*>(data)) {
    judgement = JudgeMesh(object, options);
  } else if (IsPrimitiveDataType(dataType)) {
    judgement = LeftToCache(LeftOutReason::PrimitiveWithoutCache, true);
  } else if (dataType == DATA_INSTANCE) {
    judgement = LeftToCache(LeftOutReason::InstanceWithoutCache, true);
  } else if (SkippedKindName(dataType)) {
    judgement.reason = LeftOutReason::SkippedKind;
  }
  // Anything else is a null: a group for its children.
  judgement.dataType = dataType;
  return judgement;
}

std::string LeftOutReasonText(const ObjectJudgement& judgement, bool newerVariant) {
  // Files of the newer variant store no caches: what a generator makes is
  // not in the file unless the object was made editable before saving.
  const std::string missing = newerVariant
                                  ? "files of the newer variant do not store its geometry: make it editable before saving"
                                  : "re-save the scene with polygon caches";
  const std::string dataType = std::to_string(judgement.dataType);
  switch (judgement.reason) {
    case LeftOutReason::None: return "";
    case LeftOutReason::SkippedKind: {
      const char* kind = SkippedKindName(judgement.dataType);
      return std::string(kind ? kind : "an object") + ", which the import leaves out";
    }
    case LeftOutReason::MeshWithoutPoints: return "a mesh with polygons but no points";
    case LeftOutReason::MeshPolygonsUnreadable: return "a mesh whose polygons could not be read";
    case LeftOutReason::MeshOverLargeLimit:
      return "a mesh of " + std::to_string(judgement.polygons) + " polygons, over the large-object limit of " +
             std::to_string(kLargeObjectPolygonLimit) +
             ": answer yes to the question about large objects (--large yes) to convert it";
    case LeftOutReason::MeshWithoutPolygons: return "a mesh of points without polygons";
    case LeftOutReason::MeshDegenerate: return "a mesh whose polygons are all degenerate (corners repeated)";
    case LeftOutReason::SplineWithoutData: return "a spline without its point data";
    case LeftOutReason::SplineNotLinear:
      return "a spline whose setting 1001 is " + std::to_string(judgement.setting) + " (only 0 is converted): " +
             (newerVariant ? "files of the newer variant store only its control points" : "re-save the scene with caches");
    case LeftOutReason::UnknownObject: return "an object the import does not know";
    case LeftOutReason::UnknownDataWithoutCache:
      return "an object of data type " + dataType + " that the import does not convert, without a polygon cache: " +
             missing;
    case LeftOutReason::PrimitiveWithoutCache:
      return "a primitive (data type " + dataType + ") without a polygon cache: " + missing;
    case LeftOutReason::InstanceWithoutCache: return "an instance without a polygon cache: " + missing;
  }
  return "";
}
