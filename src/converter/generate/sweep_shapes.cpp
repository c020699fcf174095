// The profile's segments are rows of points; a sweep copies them row after
// row (moved or turned) and joins each row to the next by quads. Closed
// segments are first nested (even-odd, seen along the sweep) and turned so
// that outlines run anticlockwise and holes clockwise about the sweep
// direction: then every wall faces out, and the caps, triangulated from the
// first row, keep their holes.
#include "sweep_shapes.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

#include "export_model.h"
#include "ge_container.h"
#include "spline_geometry.h"

namespace c4dgen {

namespace {

using c4dprim::Cross;
using c4dprim::Dot;
using c4dprim::Finite;
using c4dprim::Length;
using c4dprim::operator+;
using c4dprim::operator-;
using c4dprim::operator*;

constexpr double kPi = 3.14159265358979323846;

enum : int32_t {
  EXTRUDE_SUBDIVISIONS = 1001,
  EXTRUDE_MOVEMENT = 1002,
  EXTRUDE_START_CAP = 2000,
  EXTRUDE_END_CAP = 2002,
  EXTRUDE_PHONG_ANGLE = 2012,
  LATHE_ANGLE = 1000,
  LATHE_SUBDIVISIONS = 1001,
  LATHE_MOVEMENT = 1002,
  SWEEP_END_SCALE = 1002,
  SWEEP_END_GROWTH = 1003,
  SWEEP_START_GROWTH = 1004,
  SWEEP_END_ROTATION = 1013,
};

// Nesting compares every closed segment with every other; above this much
// work (segments times points) the caps are left out.
constexpr double kMaxNestingWork = 1e8;
// Ear clipping is quadratic in the corners of a cap; a larger cap is left out.
constexpr size_t kMaxCapCorners = 5000;

struct Loop {
  std::vector<Vector64> points;
  bool closed = false;
  std::vector<size_t> source;  // each point's index in its segment as given
  int depth = 0;    // closed segments around this one
  int parent = -1;  // the innermost of them
};

// A flat frame across the sweep direction: u x v = direction.
struct Plane {
  Vector64 u, v;
  explicit Plane(const Vector64& direction) {
    const Vector64 d = direction * (1.0 / Length(direction));
    const Vector64 other = std::fabs(d.x) < 0.9 ? Vector64{1, 0, 0} : Vector64{0, 1, 0};
    u = Cross(other, d);
    u = u * (1.0 / Length(u));
    v = Cross(d, u);
  }
  std::array<double, 2> At(const Vector64& p) const { return {Dot(p, u), Dot(p, v)}; }
};

double SignedArea(const Loop& loop, const Plane& plane) {
  double twice = 0;
  for (size_t i = 0; i < loop.points.size(); ++i) {
    const auto a = plane.At(loop.points[i]), b = plane.At(loop.points[(i + 1) % loop.points.size()]);
    twice += a[0] * b[1] - a[1] * b[0];
  }
  return twice / 2;
}

bool Inside(const std::array<double, 2>& p, const Loop& loop, const Plane& plane) {
  bool in = false;
  const size_t n = loop.points.size();
  for (size_t i = 0, j = n - 1; i < n; j = i++) {
    const auto a = plane.At(loop.points[i]), b = plane.At(loop.points[j]);
    if ((a[1] > p[1]) != (b[1] > p[1]) && p[0] < (b[0] - a[0]) * (p[1] - a[1]) / (b[1] - a[1]) + a[0]) in = !in;
  }
  return in;
}

// The profile's usable segments; none when a point is not finite.
std::vector<Loop> LoopsOf(const c4dprim::SplineShape& profile, size_t& points, std::vector<std::string>& notes) {
  std::vector<Loop> loops;
  points = 0;
  for (const c4dprim::SplineSegment& segment : profile.segments) {
    if (!std::all_of(segment.points.begin(), segment.points.end(), [](const Vector64& p) { return Finite(p); })) {
      notes.push_back("profile has a point that is not a finite number: nothing built");
      return {};
    }
    if (segment.points.size() < 2) continue;
    loops.push_back({segment.points, segment.closed && segment.points.size() >= 3, {}});
    loops.back().source.resize(segment.points.size());
    std::iota(loops.back().source.begin(), loops.back().source.end(), size_t(0));
    points += segment.points.size();
  }
  if (loops.empty()) notes.push_back("profile has no segment of two points or more: nothing built");
  return loops;
}

// Nests the closed loops seen along `direction` and turns them: outlines
// anticlockwise, holes clockwise. False when there was too much to compare.
bool NestAndTurn(std::vector<Loop>& loops, size_t points, const Vector64& direction) {
  if (!(Length(direction) > 0)) return false;
  if (double(loops.size()) * double(points) > kMaxNestingWork) return false;
  const Plane plane(direction);
  std::vector<double> area(loops.size());
  for (size_t i = 0; i < loops.size(); ++i) area[i] = loops[i].closed ? SignedArea(loops[i], plane) : 0;
  for (size_t i = 0; i < loops.size(); ++i) {
    if (!loops[i].closed) continue;
    const auto probe = plane.At(loops[i].points[0]);
    for (size_t j = 0; j < loops.size(); ++j) {
      if (j == i || !loops[j].closed || !Inside(probe, loops[j], plane)) continue;
      ++loops[i].depth;
      if (loops[i].parent < 0 || std::fabs(area[j]) < std::fabs(area[size_t(loops[i].parent)]))
        loops[i].parent = int(j);
    }
  }
  for (size_t i = 0; i < loops.size(); ++i) {
    const bool hole = loops[i].depth % 2 == 1;
    if (!loops[i].closed || (area[i] < 0) == hole) continue;
    std::reverse(loops[i].points.begin(), loops[i].points.end());
    std::reverse(loops[i].source.begin(), loops[i].source.end());
  }
  return true;
}

// A flat outline all of whose corners turn the same way.
bool Convex(const std::vector<Vector64>& p) {
  const size_t n = p.size();
  const Vector64 first = Cross(p[0] - p[n - 1], p[1] - p[0]);
  for (size_t i = 1; i < n; ++i) {
    if (!(Dot(Cross(p[i] - p[i - 1], p[(i + 1) % n] - p[i]), first) > 0)) return false;
  }
  return true;
}

class SweepBuilder {
 public:
  // A profile point (and its index in its segment as given) in a row.
  using RowPoint = std::function<Vector64(const Vector64&, size_t source, size_t row)>;
  SweepBuilder(const std::vector<Loop>& loops, size_t rows, bool wrap, RowPoint at,
               std::function<bool(const Vector64&)> shared)
      : loops_(loops), rows_(rows), wrap_(wrap) {
    for (const Loop& loop : loops) {
      std::vector<std::vector<uint32_t>> index(rows, std::vector<uint32_t>(loop.points.size()));
      for (size_t r = 0; r < rows; ++r) {
        for (size_t i = 0; i < loop.points.size(); ++i) {
          if (r > 0 && shared(loop.points[i])) {
            index[r][i] = index[0][i];
            continue;
          }
          index[r][i] = uint32_t(mesh_.points.size());
          mesh_.points.push_back(at(loop.points[i], loop.source[i], r));
        }
      }
      index_.push_back(std::move(index));
    }
  }

  void Walls() {
    const size_t joins = wrap_ ? rows_ : rows_ - 1;
    for (size_t l = 0; l < loops_.size(); ++l) {
      const auto& index = index_[l];
      const size_t n = loops_[l].points.size(), edges = loops_[l].closed ? n : n - 1;
      for (size_t r = 0; r < joins; ++r) {
        const size_t s = (r + 1) % rows_;
        for (size_t i = 0; i < edges; ++i) {
          const size_t j = (i + 1) % n;
          Add({index[r][i], index[r][j], index[s][j], index[s][i]});
        }
      }
    }
  }

  // Caps on the first and the last row of every outline with its holes.
  void Caps(bool start, bool end, std::vector<std::string>& notes) {
    if (wrap_ || (!start && !end)) return;
    for (size_t l = 0; l < loops_.size(); ++l) {
      if (!loops_[l].closed || loops_[l].depth % 2 == 1) continue;
      std::vector<c4dexport::Point3> flat;
      auto loopIndices = [&](size_t which) {
        std::vector<uint32_t> indices;
        for (const Vector64& p : loops_[which].points) {
          indices.push_back(uint32_t(flat.size()));
          flat.push_back({p.x, p.y, p.z});
          corner_.push_back({which, indices.size() - 1});
        }
        return indices;
      };
      corner_.clear();
      const std::vector<uint32_t> outer = loopIndices(l);
      std::vector<std::vector<uint32_t>> holes;
      for (size_t h = 0; h < loops_.size(); ++h) {
        if (loops_[h].closed && loops_[h].parent == int(l) && loops_[h].depth == loops_[l].depth + 1) {
          holes.push_back(loopIndices(h));
        }
      }
      if (flat.size() > kMaxCapCorners) {
        notes.push_back("cap of " + std::to_string(flat.size()) + " corners left out: too many to triangulate");
        continue;
      }
      if (holes.empty() && outer.size() == 4 && Convex(loops_[l].points)) {
        if (start) Add({Row(3, 0), Row(2, 0), Row(1, 0), Row(0, 0)});
        if (end) Add({Row(0, rows_ - 1), Row(1, rows_ - 1), Row(2, rows_ - 1), Row(3, rows_ - 1)});
        continue;
      }
      for (const auto& t : c4dexport::TriangulateWithHoles(flat, outer, holes)) {
        if (start) Add({Row(t[2], 0), Row(t[1], 0), Row(t[0], 0)});
        if (end) Add({Row(t[0], rows_ - 1), Row(t[1], rows_ - 1), Row(t[2], rows_ - 1)});
      }
    }
  }

  GenMesh Take() { return std::move(mesh_); }

 private:
  uint32_t Row(uint32_t corner, size_t row) const { return index_[corner_[corner].first][row][corner_[corner].second]; }
  // Points shared on the axis make some quads triangles and some nothing.
  void Add(std::vector<uint32_t> face) {
    face.erase(std::unique(face.begin(), face.end()), face.end());
    while (face.size() > 1 && face.back() == face.front()) face.pop_back();
    if (face.size() >= 3) mesh_.faces.push_back(std::move(face));
  }

  const std::vector<Loop>& loops_;
  size_t rows_;
  bool wrap_;
  std::vector<std::vector<std::vector<uint32_t>>> index_;  // loop, row, point
  std::vector<std::pair<size_t, size_t>> corner_;          // cap corner: loop, point
  GenMesh mesh_;
};

bool Affordable(size_t rows, size_t points, std::vector<std::string>& notes) {
  if (double(rows) * double(points) <= double(kMaxSweepPoints)) return true;
  notes.push_back("sweep of " + std::to_string(rows) + " rows of " + std::to_string(points) +
                  " points refused: more than " + std::to_string(kMaxSweepPoints) + " points");
  return false;
}

bool SubdivisionsFit(int32_t subdivisions, std::vector<std::string>& notes) {
  if (subdivisions >= 1 && subdivisions <= kMaxSweepSubdivisions) return true;
  notes.push_back(std::to_string(subdivisions) + " subdivisions refused: from 1 to " +
                  std::to_string(kMaxSweepSubdivisions) + " are built");
  return false;
}

// The mean step from the first row to the second over the closed loops.
Vector64 SweepDirection(const std::vector<Loop>& loops, const SweepBuilder::RowPoint& at) {
  Vector64 sum{0, 0, 0};
  for (const Loop& loop : loops) {
    if (!loop.closed) continue;
    for (size_t i = 0; i < loop.points.size(); ++i)
      sum = sum + (at(loop.points[i], loop.source[i], 1) - at(loop.points[i], loop.source[i], 0));
  }
  return sum;
}

// `direction`: the way the sweep leaves the profile, as the profile's points see it.
GenMesh Sweep(std::vector<Loop> loops, size_t points, size_t rows, bool wrap, const SweepBuilder::RowPoint& at,
              const Vector64& direction, std::function<bool(const Vector64&)> shared, bool startCap, bool endCap,
              std::vector<std::string>& notes) {
  const bool nested = NestAndTurn(loops, points, direction);
  const bool anyClosed = std::any_of(loops.begin(), loops.end(), [](const Loop& l) { return l.closed; });
  if (!nested && anyClosed) notes.push_back("closed segments not nested: walls as drawn, caps left out");
  SweepBuilder builder(loops, rows, wrap, at, std::move(shared));
  builder.Walls();
  if (nested) builder.Caps(startCap, endCap, notes);
  return builder.Take();
}

bool NotShared(const Vector64&) { return false; }

bool CapOf(const GeContainer& data, int32_t id, const char* which, std::vector<std::string>& notes) {
  const int32_t type = data.FindInt32(id, 1);
  if (type == 0) return false;
  if (type == 2 || type == 3)
    notes.push_back(std::string(which) + " fillet cap left out: built as a plain cap");
  else if (type != 1)
    notes.push_back(std::string(which) + " cap type " + std::to_string(type) + " built as a plain cap");
  return true;
}

}  // namespace

ExtrudeParams ReadExtrudeParams(const GeContainer& data, std::vector<std::string>& notes) {
  ExtrudeParams p;
  p.movement = Widen(data.FindVector(EXTRUDE_MOVEMENT, Narrow(p.movement)));
  p.subdivisions = data.FindInt32(EXTRUDE_SUBDIVISIONS, p.subdivisions);
  p.startCap = CapOf(data, EXTRUDE_START_CAP, "start", notes);
  p.endCap = CapOf(data, EXTRUDE_END_CAP, "end", notes);
  if (data.FindValue(EXTRUDE_PHONG_ANGLE).GetType() != GEVALUE_EMPTY)
    p.phongAngle = data.FindFloat32(EXTRUDE_PHONG_ANGLE, 0);
  return p;
}

GenMesh Extrude(const c4dprim::SplineShape& profile, const ExtrudeParams& params, std::vector<std::string>& notes) {
  if (!Finite(params.movement) || !(Length(params.movement) > 0)) {
    notes.push_back("an extrusion of no movement (flat caps only) or of a movement that is not finite is not built");
    return {};
  }
  size_t points = 0;
  std::vector<Loop> loops = LoopsOf(profile, points, notes);
  if (loops.empty() || !SubdivisionsFit(params.subdivisions, notes)) return {};
  const size_t rows = size_t(params.subdivisions) + 1;
  if (!Affordable(rows, points, notes)) return {};
  const Vector64 step = params.movement * (1.0 / params.subdivisions);
  auto at = [step](const Vector64& p, size_t, size_t row) { return p + step * double(row); };
  return Sweep(std::move(loops), points, rows, false, at, step, NotShared, params.startCap, params.endCap, notes);
}

LatheParams ReadLatheParams(const GeContainer& data, std::vector<std::string>& notes) {
  LatheParams p;
  p.angle = data.FindFloat32(LATHE_ANGLE, float(p.angle));
  p.subdivisions = data.FindInt32(LATHE_SUBDIVISIONS, p.subdivisions);
  p.movement = data.FindFloat32(LATHE_MOVEMENT, float(p.movement));
  if (data.FindValue(1003).GetType() != GEVALUE_EMPTY) notes.push_back("lathe scale left out");
  return p;
}

GenMesh Lathe(const c4dprim::SplineShape& profile, const LatheParams& params, std::vector<std::string>& notes) {
  if (!std::isfinite(params.angle) || !std::isfinite(params.movement) || params.angle == 0) {
    notes.push_back("lathe angle is zero or not finite, or its movement not finite: nothing built");
    return {};
  }
  size_t points = 0;
  std::vector<Loop> loops = LoopsOf(profile, points, notes);
  if (loops.empty() || !SubdivisionsFit(params.subdivisions, notes)) return {};
  // A float holds 2 pi a little above it: within a millionth is a whole turn.
  double angle = params.angle;
  const bool beyond = std::fabs(angle) >= 2 * kPi * (1 - 1e-6);
  if (beyond && params.movement == 0) {
    if (std::fabs(angle) > 2 * kPi * (1 + 1e-6))
      notes.push_back("lathe of more than a turn without movement: one turn built");
    angle = std::copysign(2 * kPi, angle);
  }
  const bool wrap = beyond && params.movement == 0;
  const size_t rows = size_t(params.subdivisions) + (wrap ? 0 : 1);
  if (!Affordable(rows, points, notes)) return {};
  const double step = angle / params.subdivisions, rise = params.movement / (2 * kPi);
  auto at = [step, rise](const Vector64& p, size_t, size_t row) {
    const double a = step * double(row), c = std::cos(a), s = std::sin(a);
    return Vector64{p.x * c - p.z * s, p.y + rise * a, p.x * s + p.z * c};
  };
  // Points on the axis stay put while there is no movement: one point serves every row.
  auto shared = [rise](const Vector64& p) { return rise == 0 && std::hypot(p.x, p.z) <= 1e-9; };
  const Vector64 direction = SweepDirection(loops, at);
  return Sweep(std::move(loops), points, rows, wrap, at, direction, shared, true, true, notes);
}

namespace {

Vector64 Unit(const Vector64& v) { return v * (1.0 / Length(v)); }

// `v` turned by the least rotation that takes the unit vector `a` to `b`.
Vector64 Turned(const Vector64& v, const Vector64& a, const Vector64& b) {
  const double c = Dot(a, b);
  if (c < -1 + 1e-12) {  // a half turn, about any axis across `a`
    const Vector64 k = Unit(Cross(a, std::fabs(a.x) < 0.9 ? Vector64{1, 0, 0} : Vector64{0, 1, 0}));
    return k * (2 * Dot(k, v)) - v;
  }
  const Vector64 axis = Cross(a, b);
  return v * c + Cross(axis, v) + axis * (Dot(axis, v) / (1 + c));
}

// The path's first segment without repeated points; a closed one ends where it starts.
std::vector<Vector64> PathPoints(const c4dprim::SplineShape& path, std::vector<std::string>& notes) {
  std::vector<Vector64> points;
  if (!path.segments.empty()) {
    const c4dprim::SplineSegment& first = path.segments[0];
    for (const Vector64& p : first.points) {
      if (!Finite(p)) {
        notes.push_back("path has a point that is not a finite number: nothing built");
        return {};
      }
      if (points.empty() || Length(p - points.back()) > 0) points.push_back(p);
    }
    if (first.closed && points.size() > 2 && Length(points.front() - points.back()) > 0) points.push_back(points[0]);
  }
  if (path.segments.size() > 1) notes.push_back("swept along the path's first segment only");
  if (points.size() < 2) notes.push_back("path has no two distinct points: nothing built");
  return points;
}

// Where a row stands: the path point, the frame across the path (u x v = t),
// the scale and the turn.
struct RowFrame {
  Vector64 at, u, v, t;
  double scale, cos, sin;
};

std::vector<RowFrame> PathFrames(const std::vector<Vector64>& path, const SweepParams& params) {
  const size_t n = path.size();
  std::vector<double> travelled(n, 0.0);
  for (size_t i = 1; i < n; ++i) travelled[i] = travelled[i - 1] + Length(path[i] - path[i - 1]);
  std::vector<RowFrame> frames(n);
  for (size_t i = 0; i < n; ++i) {
    const Vector64 in = i > 0 ? Unit(path[i] - path[i - 1]) : Vector64{0, 0, 0};
    const Vector64 out = i + 1 < n ? Unit(path[i + 1] - path[i]) : Vector64{0, 0, 0};
    const Vector64 t = Length(in + out) > 1e-9 ? Unit(in + out) : i + 1 < n ? out : in;
    Vector64 u = i == 0 ? Turned({1, 0, 0}, {0, 0, 1}, t) : Turned(frames[i - 1].u, frames[i - 1].t, t);
    u = Unit(u - t * Dot(u, t));  // keeps rounding from piling up along the path
    const double f = travelled[i] / travelled[n - 1], turn = params.endRotation * f;
    frames[i] = {path[i], u, Cross(t, u), t, 1 + (params.endScale - 1) * f, std::cos(turn), std::sin(turn)};
  }
  return frames;
}

// Fractions of the length of `points` (round to the first again when closed) at each point.
std::vector<double> Fractions(const std::vector<Vector64>& points, bool closed) {
  const size_t n = points.size();
  std::vector<double> at(n, 0.0);
  for (size_t i = 1; i < n; ++i) at[i] = at[i - 1] + Length(points[i] - points[i - 1]);
  const double total = at[n - 1] + (closed ? Length(points[0] - points[n - 1]) : 0.0);
  for (size_t i = 0; i < n; ++i) at[i] = total > 0 ? at[i] / total : double(i) / double(closed ? n : n - 1);
  return at;
}

// `points` sampled at rising fractions of their length.
std::vector<Vector64> Resampled(std::vector<Vector64> points, bool closed, const std::vector<double>& fractions) {
  if (closed) points.push_back(points[0]);
  std::vector<double> length(points.size(), 0.0);
  for (size_t i = 1; i < points.size(); ++i) length[i] = length[i - 1] + Length(points[i] - points[i - 1]);
  std::vector<Vector64> out;
  out.reserve(fractions.size());
  size_t k = 0;
  for (const double f : fractions) {
    const double d = f * length.back();
    while (k + 2 < points.size() && length[k + 1] < d) ++k;
    const double span = length[k + 1] - length[k];
    const double t = span > 0 ? std::clamp((d - length[k]) / span, 0.0, 1.0) : 0.0;
    out.push_back(points[k] + (points[k + 1] - points[k]) * t);
  }
  return out;
}

// The first segment of each shape that has one of two points or more.
std::vector<c4dprim::SplineSegment> LoftRows(const std::vector<c4dprim::SplineShape>& shapes,
                                             std::vector<std::string>& notes) {
  std::vector<c4dprim::SplineSegment> rows;
  for (const c4dprim::SplineShape& shape : shapes) {
    if (shape.segments.size() > 1) notes.push_back("a loft takes the first segment of each spline only");
    if (shape.segments.empty() || shape.segments[0].points.size() < 2) continue;
    const auto& points = shape.segments[0].points;
    if (!std::all_of(points.begin(), points.end(), [](const Vector64& p) { return Finite(p); })) {
      notes.push_back("loft spline has a point that is not a finite number: nothing built");
      return {};
    }
    rows.push_back(shape.segments[0]);
  }
  return rows;
}

}  // namespace

SweepParams ReadSweepParams(const GeContainer& data, std::vector<std::string>& notes) {
  SweepParams p;
  p.endScale = data.FindFloat32(SWEEP_END_SCALE, float(p.endScale));
  p.endRotation = data.FindFloat32(SWEEP_END_ROTATION, float(p.endRotation));
  p.startCap = CapOf(data, EXTRUDE_START_CAP, "start", notes);
  p.endCap = CapOf(data, EXTRUDE_END_CAP, "end", notes);
  if (data.FindFloat32(SWEEP_START_GROWTH, 0) != 0 || data.FindFloat32(SWEEP_END_GROWTH, 1) != 1)
    notes.push_back("sweep growth left out: the whole path swept");
  return p;
}

GenMesh SweepAlong(const c4dprim::SplineShape& profile, const c4dprim::SplineShape& path, const SweepParams& params,
                   std::vector<std::string>& notes) {
  if (!std::isfinite(params.endScale) || params.endScale < 0 || !std::isfinite(params.endRotation)) {
    notes.push_back("sweep end scale negative or not finite, or end rotation not finite: nothing built");
    return {};
  }
  size_t points = 0;
  std::vector<Loop> loops = LoopsOf(profile, points, notes);
  if (loops.empty()) return {};
  const std::vector<Vector64> track = PathPoints(path, notes);
  if (track.size() < 2) return {};
  const size_t rows = track.size();
  if (!SubdivisionsFit(int32_t(std::min<size_t>(rows - 1, size_t(kMaxSweepSubdivisions) + 1)), notes) ||
      !Affordable(rows, points, notes))
    return {};
  const std::vector<RowFrame> frames = PathFrames(track, params);
  auto at = [&frames](const Vector64& p, size_t, size_t row) {
    const RowFrame& f = frames[row];
    const Vector64 across = f.u * (p.x * f.cos - p.y * f.sin) + f.v * (p.x * f.sin + p.y * f.cos);
    return f.at + (across + f.t * p.z) * f.scale;
  };
  // The frame keeps its hand, so the profile's own Z is the way the sweep leaves it.
  return Sweep(std::move(loops), points, rows, false, at, {0, 0, 1}, NotShared, params.startCap, params.endCap, notes);
}

GenMesh Loft(const std::vector<c4dprim::SplineShape>& shapes, std::vector<std::string>& notes) {
  const std::vector<c4dprim::SplineSegment> rows = LoftRows(shapes, notes);
  if (rows.size() < 2) {
    notes.push_back("a loft of fewer than two splines of two points or more: nothing built");
    return {};
  }
  const size_t n = rows[0].points.size();
  if (!SubdivisionsFit(int32_t(std::min<size_t>(rows.size() - 1, size_t(kMaxSweepSubdivisions) + 1)), notes) ||
      !Affordable(rows.size(), n, notes))
    return {};
  const bool closed = n >= 3 && std::all_of(rows.begin(), rows.end(), [](const auto& r) { return r.closed; });
  const std::vector<double> fractions = Fractions(rows[0].points, closed);
  std::vector<std::vector<Vector64>> grid;
  grid.reserve(rows.size());
  for (const c4dprim::SplineSegment& row : rows) grid.push_back(Resampled(row.points, closed, fractions));
  std::vector<Loop> loops{{grid[0], closed, std::vector<size_t>(n)}};
  std::iota(loops[0].source.begin(), loops[0].source.end(), size_t(0));
  auto at = [&grid](const Vector64&, size_t i, size_t row) { return grid[row][i]; };
  const Vector64 direction = SweepDirection(loops, at);
  return Sweep(std::move(loops), n, rows.size(), false, at, direction, NotShared, true, true, notes);
}

}  // namespace c4dgen
