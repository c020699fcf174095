// A spline object's control points evaluated into polylines the way the
// scene program draws them. Every kind is turned into cubic spans (four
// control points each) first; the intermediate-point setting then decides
// which points of each span are kept.
#include <algorithm>
#include <array>
#include <cmath>

#include "ge_container.h"
#include "spline_geometry.h"
#include "spline_shapes.h"

namespace c4dprim {

namespace {

enum : int32_t {
  SPLINE_TYPE = 1000,
  SPLINE_INTERMEDIATE = 1001,
  SPLINE_CLOSED = 1002,
  SPLINE_NUMBER = 1003,
  SPLINE_ANGLE = 1004,
  SPLINE_MAX_LENGTH = 1005,
};

// The grid the scene program's adaptive mode walks each span on.
constexpr int32_t kAdaptiveGrid = 50;
// The handle of a point reaches this far times its tangent: the inner control
// points of the cubic from P_i to P_i+1 are P_i + k*R_i and P_i+1 + k*L_i+1.
constexpr double kHandleReach = 4.0 / 3.0;

using Span = std::array<Vector64, 4>;

Vector64 Lerp(const Vector64& a, const Vector64& b, double t) { return a + (b - a) * t; }

Vector64 At(const Span& s, double t) {
  const double u = 1.0 - t;
  return s[0] * (u * u * u) + s[1] * (3 * u * u * t) + s[2] * (3 * u * t * t) + s[3] * (t * t * t);
}

Vector64 Direction(const Span& s, double t) {
  const double u = 1.0 - t;
  return (s[1] - s[0]) * (u * u) + (s[2] - s[1]) * (2 * u * t) + (s[3] - s[2]) * (t * t);
}

bool Straight(const Span& s) {
  const Vector64 chord = s[3] - s[0];
  return Length(Cross(s[1] - s[0], chord)) == 0.0 && Length(Cross(s[2] - s[3], chord)) == 0.0;
}

// The parameters of the points kept inside one span (0 < t < 1).
class SpanSampler {
 public:
  SpanSampler(const SplineSettings& settings, size_t& budget) : settings_(settings), budget_(budget) {}

  bool Sample(const Span& span, std::vector<double>& ts) {
    ts.clear();
    if (Straight(span)) return true;  // a straight span keeps its ends only
    switch (settings_.intermediate) {
      case Intermediate::None: return true;
      case Intermediate::Natural:
      case Intermediate::Uniform:
        if (size_t(settings_.number) > budget_) return false;
        for (int32_t k = 1; k <= settings_.number; ++k) ts.push_back(double(k) / (settings_.number + 1));
        return Spend(ts.size());
      case Intermediate::Subdivided: return Subdivide(span, ts);
      case Intermediate::Adaptive: break;
    }
    // Every grid point where the direction has turned more than the angle
    // since the last kept one; the last kept one then moves half way
    // between its predecessor and the span's end, on the grid.
    std::vector<int32_t> steps;
    Vector64 last = Direction(span, 0.0);
    for (int32_t k = 1; k < kAdaptiveGrid; ++k) {
      const Vector64 d = Direction(span, double(k) / kAdaptiveGrid);
      if (Angle(last, d) > settings_.angle) steps.push_back(k), last = d;
    }
    if (!steps.empty()) {
      const int32_t before = steps.size() > 1 ? steps[steps.size() - 2] : 0;
      steps.back() = (before + kAdaptiveGrid) / 2;
    }
    for (int32_t k : steps) ts.push_back(double(k) / kAdaptiveGrid);
    return Spend(ts.size());
  }

 private:
  bool Spend(size_t n) {
    if (n > budget_) return false;
    budget_ -= n;
    return true;
  }

  // A fine walk that keeps a point where the direction has turned more than
  // the angle, or where the chord from the last kept point would pass the
  // maximum length.
  bool Subdivide(const Span& span, std::vector<double>& ts) {
    const double length = Distance(span[0], span[1]) + Distance(span[1], span[2]) + Distance(span[2], span[3]);
    const double steps = std::max(double(kAdaptiveGrid), 4.0 * std::ceil(length / settings_.maxLength));
    if (!std::isfinite(steps) || steps > double(budget_) * 4.0 + kAdaptiveGrid) return false;
    const int64_t n = int64_t(steps);
    Vector64 lastPoint = span[0], lastDirection = Direction(span, 0.0);
    for (int64_t k = 1; k < n; ++k) {
      const double t = double(k) / double(n);
      const Vector64 d = Direction(span, t);
      const bool turned = Angle(lastDirection, d) > settings_.angle;
      if (turned || Distance(lastPoint, At(span, double(k + 1) / double(n))) > settings_.maxLength) {
        ts.push_back(t), lastPoint = At(span, t), lastDirection = d;
        if (!Spend(1)) return false;
      }
    }
    return true;
  }

  const SplineSettings& settings_;
  size_t& budget_;
};

// The cubic spans of one segment of control points.
std::vector<Span> Spans(const Vector64* p, const Vector64* tangents, size_t n, bool closed, SplineType type) {
  std::vector<Span> spans;
  const size_t count = closed ? n : n - 1;
  spans.reserve(count);
  const auto point = [&](int64_t i) {
    if (closed) return p[size_t((i % int64_t(n) + int64_t(n)) % int64_t(n))];
    return p[size_t(std::clamp<int64_t>(i, 0, int64_t(n) - 1))];
  };
  for (size_t i = 0; i < count; ++i) {
    const Vector64 a = point(int64_t(i)), b = point(int64_t(i) + 1);
    if (type == SplineType::Bezier) {
      const size_t j = (i + 1) % n;
      const Vector64 right = tangents ? tangents[2 * i + 1] : Vector64{}, left = tangents ? tangents[2 * j] : Vector64{};
      spans.push_back({a, a + right * kHandleReach, b + left * kHandleReach, b});
    } else if (type == SplineType::BSpline) {
      // A uniform cubic B-spline in its Bezier form; open ends repeat their point.
      const Vector64 before = point(int64_t(i) - 1), after = point(int64_t(i) + 2);
      spans.push_back({(before + a * 4.0 + b) / 6.0, Lerp(a, b, 1.0 / 3), Lerp(a, b, 2.0 / 3), (a + b * 4.0 + after) / 6.0});
    } else {
      // Cubic and Akima as a curve through the points with Catmull-Rom tangents.
      const Vector64 before = point(int64_t(i) - 1), after = point(int64_t(i) + 2);
      spans.push_back({a, a + (b - before) / 6.0, b - (after - a) / 6.0, b});
    }
  }
  return spans;
}

bool AllFinite(const std::vector<Vector64>& vs) {
  return std::all_of(vs.begin(), vs.end(), [](const Vector64& v) { return Finite(v); });
}

}  // namespace

SplineSettings ReadSplineSettings(const GeContainer& data) {
  SplineSettings s;
  const int32_t type = data.FindInt32(SPLINE_TYPE, 0), intermediate = data.FindInt32(SPLINE_INTERMEDIATE, 3);
  s.type = type >= 0 && type <= 4 ? SplineType(type) : SplineType::Linear;
  s.intermediate = intermediate >= 0 && intermediate <= 4 ? Intermediate(intermediate) : Intermediate::Adaptive;
  s.closed = data.FindInt32(SPLINE_CLOSED, 0) != 0;
  s.number = std::max(0, data.FindInt32(SPLINE_NUMBER, s.number));
  const double angle = data.FindFloat32(SPLINE_ANGLE, -1.0f), length = data.FindFloat32(SPLINE_MAX_LENGTH, -1.0f);
  if (std::isfinite(angle) && angle > 0.0) s.angle = angle;
  if (std::isfinite(length) && length > 0.0) s.maxLength = length;
  return s;
}

SplineRead EvaluateSpline(const std::vector<Vector64>& points, const std::vector<Vector64>& tangents,
                          const std::vector<SplineSegmentInfo>& segments, const SplineSettings& settings) {
  SplineRead read;
  read.shape.emplace();
  SplineShape& shape = *read.shape;
  if (!AllFinite(points) || !AllFinite(tangents)) return SplineRead::Refused("a point or handle that is not a finite number");
  std::vector<SplineSegmentInfo> parts = segments;
  if (parts.empty()) parts.push_back({int32_t(std::min<size_t>(points.size(), INT32_MAX)), false});
  const bool curved = settings.type != SplineType::Linear;
  if (settings.type == SplineType::Cubic || settings.type == SplineType::Akima) {
    shape.notes.push_back("cubic and Akima interpolation drawn as a Catmull-Rom curve through the points");
  }
  if (settings.type == SplineType::Bezier && !tangents.empty() && tangents.size() != 2 * points.size()) {
    return SplineRead::Refused("its handles are for " + std::to_string(tangents.size() / 2) + " points, it has " +
                             std::to_string(points.size()));
  }
  if (!curved && (settings.intermediate == Intermediate::Uniform || settings.intermediate == Intermediate::Subdivided)) {
    shape.notes.push_back("points along straight lines left out: the line is the same");
  }
  size_t budget = kMaxSplinePoints, first = 0;
  SpanSampler sampler(settings, budget);
  std::vector<double> ts;
  for (const SplineSegmentInfo& part : parts) {
    if (part.pointCount < 0 || size_t(part.pointCount) > points.size() - first) {
      return SplineRead::Refused("its segments count more points than the " + std::to_string(points.size()) + " it has");
    }
    const size_t n = size_t(part.pointCount);
    if (n > budget) return SplineRead::Refused("more than " + std::to_string(kMaxSplinePoints) + " points");
    SplineSegment segment;
    // Two points close into a loop only where curves join them.
    segment.closed = (part.closed || settings.closed) && (n > 2 || (n == 2 && curved));
    const Vector64* p = points.data() + first;
    if (!curved || n < 2) {
      segment.points.assign(p, p + n);
      budget -= n;
    } else {
      const Vector64* handles = tangents.empty() ? nullptr : tangents.data() + 2 * first;
      const std::vector<Span> spans = Spans(p, handles, n, segment.closed, settings.type);
      for (const Span& span : spans) {
        if (!sampler.Sample(span, ts) || budget == 0) {
          return SplineRead::Refused("more than " + std::to_string(kMaxSplinePoints) + " points");
        }
        --budget;
        segment.points.push_back(span[0]);
        for (double t : ts) segment.points.push_back(At(span, t));
      }
      if (!segment.closed) segment.points.push_back(spans.back()[3]);
    }
    first += n;
    if (n) shape.segments.push_back(std::move(segment));
  }
  return read;
}

}  // namespace c4dprim
