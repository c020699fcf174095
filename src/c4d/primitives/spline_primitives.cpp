// Spline primitives rebuilt from their parameters: outlines built in the xy
// plane, their curves cut by the primitive's own intermediate-point
// settings, then laid into the plane of setting 2300.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "ge_container.h"
#include "primitives.h"
#include "spline_geometry.h"
#include "spline_shapes.h"

namespace c4dprim {

namespace {

// Parameter ids.
enum : int32_t {
  ARC_TYPE = 2000,
  ARC_RADIUS = 2001,
  ARC_INNER_RADIUS = 2002,
  ARC_START = 2005,
  ARC_END = 2006,
  CIRCLE_ELLIPSE = 2010,
  CIRCLE_RING = 2011,
  CIRCLE_RADIUS = 2012,
  CIRCLE_SECOND_RADIUS = 2013,
  CIRCLE_INNER_RADIUS = 2014,
  RECTANGLE_WIDTH = 2060,
  RECTANGLE_HEIGHT = 2061,
  RECTANGLE_ROUNDING = 2062,
  RECTANGLE_ROUNDING_RADIUS = 2063,
  STAR_INNER_RADIUS = 2070,
  STAR_OUTER_RADIUS = 2071,
  STAR_TWIST = 2072,
  STAR_POINTS = 2073,
  COG_TEETH = 2080,
  COG_INNER_RADIUS = 2082,
  COG_MIDDLE_RADIUS = 2083,
  COG_OUTER_RADIUS = 2084,
  COG_BEVEL = 2085,
  FLOWER_INNER_RADIUS = 2090,
  FLOWER_OUTER_RADIUS = 2091,
  FLOWER_PETALS = 2092,
  FOURSIDE_TYPE = 2120,
  FOURSIDE_A = 2121,
  FOURSIDE_B = 2122,
  FOURSIDE_ANGLE = 2123,
  NSIDE_RADIUS = 2130,
  NSIDE_SIDES = 2131,
  NSIDE_ROUNDING = 2132,
  NSIDE_ROUNDING_RADIUS = 2133,
  PLANE = 2300,
  REVERSE = 2301,
};

constexpr double kPi = std::numbers::pi;
// More corners than this (sides, star points, petals, teeth) are a damaged file.
constexpr int32_t kMaxCorners = 100000;

struct Point2 {
  double x = 0, y = 0;
};

// Reads parameters and builds outlines, counting the points it makes.
class Outline {
 public:
  Outline(const GeContainer& data, SplineShape& shape)
      : data_(data), shape_(shape), settings_(ReadSplineSettings(data)) {}

  double Length(int32_t id, double fallback) {
    const double v = data_.FindFloat32(id, float(fallback));
    if (!std::isfinite(v) || std::fabs(v) > kMaxPrimitiveLength) ok_ = false;
    return ok_ ? std::max(v, 0.0) : 0.0;
  }
  double Real(int32_t id, double fallback) {
    const double v = data_.FindFloat32(id, float(fallback));
    if (!std::isfinite(v) || std::fabs(v) > 1e6) ok_ = false;
    return ok_ ? v : 0.0;
  }
  int32_t Count(int32_t id, int32_t fallback, int32_t least) {
    const int32_t v = data_.FindInt32(id, fallback);
    if (v > kMaxCorners) ok_ = false;
    return std::clamp(v, least, kMaxCorners);
  }
  int32_t Int(int32_t id, int32_t fallback) { return data_.FindInt32(id, fallback); }
  bool Switch(int32_t id) { return data_.FindInt32(id, 0) != 0; }
  void Note(std::string note) { shape_.notes.push_back(std::move(note)); }
  bool Ok() const { return ok_; }
  void Refuse() { ok_ = false; }

  // The pieces an arc of `sweep` radians and `radius` is cut into; an angle
  // stored as a float (5 degrees a hair off) still cuts a circle into 72.
  int64_t Pieces(double sweep, double radius) {
    const auto up = [](double x) { return std::ceil(x * (1 - 1e-6)); };
    const double quarters = std::max(1.0, up(std::fabs(sweep) / (kPi / 2)));
    double pieces = quarters;
    switch (settings_.intermediate) {
      case Intermediate::None: break;
      case Intermediate::Natural:
      case Intermediate::Uniform: pieces = quarters * (double(settings_.number) + 1); break;
      case Intermediate::Subdivided:
        pieces = std::max(pieces, up(std::fabs(sweep) * radius / settings_.maxLength));
        [[fallthrough]];
      case Intermediate::Adaptive:
        pieces = std::max(pieces, up(std::fabs(sweep) / settings_.angle));
        break;
    }
    if (!(pieces <= double(budget_))) ok_ = false;
    return ok_ ? int64_t(pieces) : 1;
  }

  // Points of an elliptic arc from `start` over `sweep`, its end point
  // left out (the next piece of the outline starts there).
  void Arc(std::vector<Point2>& out, Point2 centre, double rx, double ry, double start, double sweep) {
    const int64_t n = Pieces(sweep, std::max(rx, ry));
    for (int64_t k = 0; k < n && ok_; ++k) {
      const double a = start + sweep * double(k) / double(n);
      out.push_back({centre.x + rx * std::cos(a), centre.y + ry * std::sin(a)});
    }
    Spend(size_t(n));
  }

  // A closed polygon (counter-clockwise) with each corner rounded to
  // `radius`, held to what the shorter side beside it allows.
  std::vector<Point2> Rounded(const std::vector<Point2>& corners, double radius) {
    std::vector<Point2> out;
    const size_t n = corners.size();
    for (size_t i = 0; i < n && ok_; ++i) {
      const Point2 p = corners[(i + n - 1) % n], c = corners[i], q = corners[(i + 1) % n];
      const double lin = std::hypot(c.x - p.x, c.y - p.y), lout = std::hypot(q.x - c.x, q.y - c.y);
      const double turn = std::atan2((c.x - p.x) * (q.y - c.y) - (c.y - p.y) * (q.x - c.x),
                                     (c.x - p.x) * (q.x - c.x) + (c.y - p.y) * (q.y - c.y));
      if (radius <= 0 || lin == 0 || lout == 0 || turn <= 0) {
        out.push_back(c);
        Spend(1);
        continue;
      }
      // The arc touches both sides `cut` from the corner.
      const double cut = std::min({radius * std::tan(turn / 2), lin / 2, lout / 2});
      const double r = cut / std::tan(turn / 2);
      const Point2 in{(c.x - p.x) / lin, (c.y - p.y) / lin};
      const Point2 touch{c.x - in.x * cut, c.y - in.y * cut};
      const Point2 centre{touch.x - in.y * r, touch.y + in.x * r};
      Arc(out, centre, r, r, std::atan2(touch.y - centre.y, touch.x - centre.x), turn);
      const Point2 outDir{(q.x - c.x) / lout, (q.y - c.y) / lout};
      out.push_back({c.x + outDir.x * cut, c.y + outDir.y * cut});
      Spend(1);
    }
    return out;
  }

  void Segment(std::vector<Point2> points, bool closed) { segments_.push_back({std::move(points), closed}); }

  // The outlines laid into the primitive's plane, in the shape.
  void Place() {
    const int32_t plane = Int(PLANE, 0);
    if (plane < 0 || plane > 2) Note("plane " + std::to_string(plane) + " unknown: laid into XY");
    const bool reverse = Switch(REVERSE);
    for (auto& [points, closed] : segments_) {
      if (reverse) std::reverse(points.begin(), points.end());
      SplineSegment segment;
      segment.closed = closed;
      segment.points.reserve(points.size());
      for (const Point2& p : points) {
        if (plane == 1) segment.points.push_back({0, p.y, p.x});
        else if (plane == 2) segment.points.push_back({p.x, 0, p.y});
        else segment.points.push_back({p.x, p.y, 0});
      }
      shape_.segments.push_back(std::move(segment));
    }
  }

 private:
  void Spend(size_t n) {
    if (n > budget_) ok_ = false;
    else budget_ -= n;
  }

  const GeContainer& data_;
  SplineShape& shape_;
  SplineSettings settings_;
  std::vector<std::pair<std::vector<Point2>, bool>> segments_;
  size_t budget_ = kMaxSplinePoints;
  bool ok_ = true;
};

std::vector<Point2> Ellipse(Outline& o, double rx, double ry) {
  std::vector<Point2> points;
  o.Arc(points, {}, rx, ry, 0.0, 2 * kPi);
  return points;
}

// Corners on a circle, the first on +y, counter-clockwise.
std::vector<Point2> RegularCorners(int32_t n, double radius, double offset = 0.0) {
  std::vector<Point2> corners;
  for (int32_t k = 0; k < n; ++k) {
    const double a = kPi / 2 + offset + 2 * kPi * k / n;
    corners.push_back({radius * std::cos(a), radius * std::sin(a)});
  }
  return corners;
}

void Circle(Outline& o) {
  const double r = o.Length(CIRCLE_RADIUS, 200);
  const bool ellipse = o.Switch(CIRCLE_ELLIPSE);
  const double ry = ellipse ? o.Length(CIRCLE_SECOND_RADIUS, 200) : r;
  o.Segment(Ellipse(o, r, ry), true);
  if (o.Switch(CIRCLE_RING)) {
    const double inner = o.Length(CIRCLE_INNER_RADIUS, 100);
    std::vector<Point2> hole = Ellipse(o, inner, r > 0 ? inner * ry / r : inner);
    std::reverse(hole.begin(), hole.end());
    o.Segment(std::move(hole), true);
  }
}

void Rectangle(Outline& o) {
  const double w = o.Length(RECTANGLE_WIDTH, 400) / 2, h = o.Length(RECTANGLE_HEIGHT, 400) / 2;
  const double r = o.Switch(RECTANGLE_ROUNDING) ? o.Length(RECTANGLE_ROUNDING_RADIUS, 50) : 0.0;
  o.Segment(o.Rounded({{w, h}, {-w, h}, {-w, -h}, {w, -h}}, r), true);
}

void NSide(Outline& o) {
  const double radius = o.Length(NSIDE_RADIUS, 200);
  const int32_t sides = o.Count(NSIDE_SIDES, 6, 3);
  const double r = o.Switch(NSIDE_ROUNDING) ? o.Length(NSIDE_ROUNDING_RADIUS, 50) : 0.0;
  o.Note("n-side: the first corner put on +y");
  o.Segment(o.Rounded(RegularCorners(sides, radius), r), true);
}

void Star(Outline& o) {
  const double inner = o.Length(STAR_INNER_RADIUS, 100), outer = o.Length(STAR_OUTER_RADIUS, 200);
  const double twist = o.Real(STAR_TWIST, 0);
  const int32_t n = o.Count(STAR_POINTS, 8, 2);
  const std::vector<Point2> tips = RegularCorners(n, outer), dents = RegularCorners(n, inner, kPi / n + twist);
  std::vector<Point2> points;
  for (int32_t k = 0; k < n; ++k) points.push_back(tips[size_t(k)]), points.push_back(dents[size_t(k)]);
  if (twist != 0) o.Note("star: twist taken as an angle turning the inner points");
  o.Segment(std::move(points), true);
}

void FourSide(Outline& o) {
  const int32_t type = o.Int(FOURSIDE_TYPE, 0);
  const double a = o.Length(FOURSIDE_A, 100), b = o.Length(FOURSIDE_B, 100);
  const double slant = b * std::tan(std::clamp(o.Real(FOURSIDE_ANGLE, 0), -1.5, 1.5));
  switch (type) {
    case 2: o.Segment({{-a - slant, -b}, {a - slant, -b}, {a + slant, b}, {-a + slant, b}}, true); break;
    case 3: o.Segment({{-a, -b}, {a, -b}, {a - 2 * slant, b}, {-a + 2 * slant, b}}, true); break;
    default: o.Segment({{a, 0}, {0, b}, {-a, 0}, {0, -b}}, true); break;
  }
  o.Note(type == 0 ? "4-side: a and b taken as the half diagonals" : "4-side of type " + std::to_string(type) +
                                                                         ": its corners are a guess");
}

void ArcShape(Outline& o) {
  const int32_t type = o.Int(ARC_TYPE, 0);
  const double r = o.Length(ARC_RADIUS, 200), inner = o.Length(ARC_INNER_RADIUS, 100);
  const double start = o.Real(ARC_START, 0), end = o.Real(ARC_END, kPi / 2);
  double sweep = std::fmod(end - start, 2 * kPi);
  if (sweep <= 0) sweep += 2 * kPi;
  std::vector<Point2> points;
  o.Arc(points, {}, r, r, start, sweep);
  points.push_back({r * std::cos(start + sweep), r * std::sin(start + sweep)});
  if (type == 1) points.push_back({0, 0});
  if (type == 3) {
    std::vector<Point2> back;
    o.Arc(back, {}, inner, inner, start, sweep);
    back.push_back({inner * std::cos(start + sweep), inner * std::sin(start + sweep)});
    points.insert(points.end(), back.rbegin(), back.rend());
  }
  o.Segment(std::move(points), type >= 1 && type <= 3);
}

void Flower(Outline& o) {
  const double inner = o.Length(FLOWER_INNER_RADIUS, 50), outer = o.Length(FLOWER_OUTER_RADIUS, 200);
  const int32_t petals = o.Count(FLOWER_PETALS, 6, 1);
  // Each petal a half sine wave from the inner radius out to the outer one.
  const int64_t n = std::max<int64_t>(4, 2 * o.Pieces(2 * kPi / petals, outer));
  std::vector<Point2> points;
  if (o.Ok() && uint64_t(n) * uint64_t(petals) <= kMaxSplinePoints) {
    for (int64_t k = 0; k < n * petals; ++k) {
      const double a = 2 * kPi * double(k) / double(n * petals);
      const double r = inner + (outer - inner) * std::fabs(std::sin(a * petals / 2));
      points.push_back({r * std::cos(a), r * std::sin(a)});
    }
  } else {
    o.Refuse();
  }
  o.Note("flower: petals drawn as half sine waves between the two radii");
  o.Segment(std::move(points), true);
}

void Cogwheel(Outline& o) {
  const int32_t teeth = o.Count(COG_TEETH, 12, 3);
  const double inner = o.Length(COG_INNER_RADIUS, 50), middle = o.Length(COG_MIDDLE_RADIUS, 160);
  const double outer = o.Length(COG_OUTER_RADIUS, 200), bevel = std::clamp(o.Real(COG_BEVEL, 0), 0.0, 1.0);
  // Per tooth: half the pitch on the middle circle, then a flank out to the
  // outer circle, the top (narrowed by the bevel), and a flank back.
  const double pitch = 2 * kPi / teeth, flank = bevel * pitch / 4;
  std::vector<Point2> points;
  for (int32_t k = 0; k < teeth && o.Ok(); ++k) {
    const double a = pitch * k;
    o.Arc(points, {}, middle, middle, a, pitch / 2);
    o.Arc(points, {}, outer, outer, a + pitch / 2 + flank, pitch / 2 - 2 * flank);
    points.push_back({outer * std::cos(a + pitch - flank), outer * std::sin(a + pitch - flank)});
  }
  o.Segment(std::move(points), true);
  if (inner > 0) {
    std::vector<Point2> hole = Ellipse(o, inner, inner);
    std::reverse(hole.begin(), hole.end());
    o.Segment(std::move(hole), true);
  }
  o.Note("cogwheel: teeth drawn with straight flanks; tooth-shape settings of newer versions left out");
}

}  // namespace

bool IsSplinePrimitive(int32_t dataTypeId) {
  switch (dataTypeId) {
    case SPLINE_FLOWER: case SPLINE_NSIDE: case SPLINE_FOURSIDE: case SPLINE_CIRCLE: case SPLINE_ARC:
    case SPLINE_RECTANGLE: case SPLINE_STAR: case SPLINE_COGWHEEL:
      return true;
    default:
      return false;
  }
}

const char* SplinePrimitiveName(int32_t dataTypeId) {
  switch (dataTypeId) {
    case SPLINE_FLOWER: return "flower";
    case SPLINE_NSIDE: return "n-side";
    case SPLINE_FOURSIDE: return "4-side";
    case SPLINE_CIRCLE: return "circle";
    case SPLINE_ARC: return "arc";
    case SPLINE_RECTANGLE: return "rectangle";
    case SPLINE_STAR: return "star";
    case SPLINE_COGWHEEL: return "cogwheel";
    default: return "spline primitive";
  }
}

SplineRead ReadSplinePrimitive(int32_t dataTypeId, const GeContainer& data) {
  SplineRead read;
  if (!IsSplinePrimitive(dataTypeId)) {
    read.reason = "data type " + std::to_string(dataTypeId) + " is no spline primitive that can be rebuilt";
    return read;
  }
  SplineShape shape;
  Outline o(data, shape);
  switch (dataTypeId) {
    case SPLINE_CIRCLE: Circle(o); break;
    case SPLINE_RECTANGLE: Rectangle(o); break;
    case SPLINE_NSIDE: NSide(o); break;
    case SPLINE_STAR: Star(o); break;
    case SPLINE_FOURSIDE: FourSide(o); break;
    case SPLINE_ARC: ArcShape(o); break;
    case SPLINE_FLOWER: Flower(o); break;
    default: Cogwheel(o); break;
  }
  if (!o.Ok()) {
    read.reason = "a length, angle or count that is not finite or asks for more than " +
                  std::to_string(kMaxSplinePoints) + " points";
    return read;
  }
  o.Place();
  read.shape = std::move(shape);
  return read;
}

}  // namespace c4dprim
