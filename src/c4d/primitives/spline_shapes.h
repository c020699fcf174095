// Splines as the scene program draws them: a spline object's control points
// (with its Bezier handles and segments) evaluated into polylines, and the
// spline primitives (circle, rectangle, star, ...) rebuilt from their
// parameters, each as polylines in the object's own coordinates.
//
//   SplineRead read = EvaluateSpline(points, tangents, segments, ReadSplineSettings(object->data));
//   SplineRead read = ReadSplinePrimitive(plugin->GetDataTypeId(), plugin->data);
//   if (read.shape) {
//     for (const SplineSegment& s : read.shape->segments) ... s.points, s.closed
//     ... read.shape->notes says what was built only approximately
//   } else {
//     ... read.reason says why nothing was built
//   }
//
// Standard library only; parameters come from the object's parameter
// container (GeContainer), looked up by id. Lengths are scene units, angles
// radians.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "c4d_types.h"

class GeContainer;

namespace c4dprim {

// One polyline; a closed one runs from its last point back to its first.
struct SplineSegment {
  std::vector<Vector64> points;
  bool closed = false;
};

struct SplineShape {
  std::vector<SplineSegment> segments;
  std::vector<std::string> notes;  // what is only approximated
};

struct SplineRead {
  std::optional<SplineShape> shape;  // none: not built, see `reason`
  std::string reason;

  static SplineRead Refused(std::string why) { return {std::nullopt, std::move(why)}; }
};
using SplinePrimitiveRead = SplineRead;

// Values of setting 1000.
enum class SplineType : int32_t { Linear = 0, Cubic = 1, Akima = 2, BSpline = 3, Bezier = 4 };
// Values of setting 1001: the points put between control points.
enum class Intermediate : int32_t { None = 0, Natural = 1, Uniform = 2, Adaptive = 3, Subdivided = 4 };

// Settings 1000-1005 of a spline object or spline primitive.
struct SplineSettings {
  SplineType type = SplineType::Linear;
  Intermediate intermediate = Intermediate::Adaptive;
  bool closed = false;            // 1002: closes every segment
  int32_t number = 8;             // 1003: points per span (natural, uniform)
  double angle = 5.0 / 180.0 * 3.14159265358979323846;  // 1004: 5 degrees (adaptive, subdivided)
  double maxLength = 5.0;         // 1005: longest chord (subdivided)
};

// Missing ids take the defaults above; an angle that is not above 0, or not
// finite, takes 5 degrees, a maximum length likewise 5.
SplineSettings ReadSplineSettings(const GeContainer& data);

// A segment tag entry: this many control points, closed or not.
struct SplineSegmentInfo {
  int32_t pointCount = 0;
  bool closed = false;
};

// A spline evaluates into no more points than this; one that asks for more
// is refused.
constexpr size_t kMaxSplinePoints = 2000000;

// `tangents`: left and right handle of each point, relative to it (two per
// point), or empty. `segments`: empty for one segment of all points; their
// counts must add up to at most the points. A segment is closed when its
// entry or settings.closed says so. Points or handles that are not finite
// refuse the spline.
SplineRead EvaluateSpline(const std::vector<Vector64>& points, const std::vector<Vector64>& tangents,
                          const std::vector<SplineSegmentInfo>& segments, const SplineSettings& settings);

// Data type ids of the spline primitives that can be rebuilt.
enum SplinePrimitiveType : int32_t {
  SPLINE_FLOWER = 5176,
  SPLINE_NSIDE = 5179,
  SPLINE_FOURSIDE = 5180,
  SPLINE_CIRCLE = 5181,
  SPLINE_ARC = 5182,
  SPLINE_RECTANGLE = 5186,
  SPLINE_STAR = 5187,
  SPLINE_COGWHEEL = 5188,
};

bool IsSplinePrimitive(int32_t dataTypeId);
// "circle", "rectangle", ...; "spline primitive" for other ids.
const char* SplinePrimitiveName(int32_t dataTypeId);

// The primitive's polylines in its own coordinates, in the plane of setting
// 2300 (0 XY, 1 ZY, 2 XZ), reversed when 2301 is set; its curves are
// subdivided by its own settings 1001-1005. Missing ids take the scene
// program's defaults.
SplineRead ReadSplinePrimitive(int32_t dataTypeId, const GeContainer& data);

}  // namespace c4dprim
