#include "spline_input.h"

#include "c4d_object.h"
#include "c4d_tag.h"

bool IsSplineObject(const C4DBaseObject* object) {
  const auto* plugin = dynamic_cast<const C4DPluginObject*>(object);
  return plugin && plugin->GetDataTypeId() == OBJECT_SPLINE;
}

bool ReadSplineInput(const C4DBaseObject* object, C4DSplineInput& input) {
  input = C4DSplineInput{};
  if (!IsSplineObject(object)) return false;
  if (const auto* tag = static_cast<const PrivateC4DPointTag*>(object->GetTag(TAG_TYPE_POINT))) {
    input.points.reserve(size_t(tag->pointCount));
    for (int32_t i = 0; i < tag->pointCount; ++i) {
      input.points.push_back(tag->points64 ? tag->points64[i] : Widen(tag->points[i]));
    }
  }
  if (const auto* tag = static_cast<const C4DTangentTag*>(object->GetTag(TAG_TYPE_TANGENT))) {
    input.tangents.assign(tag->tangents, tag->tangents + 2 * size_t(tag->pointCount));
  }
  if (const auto* tag = static_cast<const PrivateC4DSegmentTag*>(object->GetTag(TAG_TYPE_SEGMENT))) {
    for (int32_t i = 0; i < tag->segmentCount; ++i) {
      input.segments.push_back({tag->segments[i].pointCount, tag->segments[i].closed != 0});
    }
  }
  return true;
}
