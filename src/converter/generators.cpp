#include "generators.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "c4d_object.h"
#include "c4d_object_data.h"
#include "generate/boole.h"
#include "generate/subdivision.h"
#include "primitives.h"
#include "spline_input.h"
#include "spline_shapes.h"
#include "sweep_shapes.h"
#include "text_outline.h"

namespace c4dgen {

namespace {

constexpr int kMaxDepth = 32;
constexpr int64_t kMaxClones = 100000;

using Pieces = std::vector<Piece>;

Vector64 Add(const Vector64& a, const Vector64& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vector64 Scaled(const Vector64& v, double s) { return {v.x * s, v.y * s, v.z * s}; }
Vector64 Widened(const Vector& v) { return {v.x, v.y, v.z}; }

Vector64 Apply(const Matrix64& m, const Vector64& v) {
  return Add(m.off, Add(Scaled(m.xAxis, v.x), Add(Scaled(m.yAxis, v.y), Scaled(m.zAxis, v.z))));
}

double Determinant(const Matrix64& m) {
  const Vector64 &a = m.xAxis, &b = m.yAxis, &c = m.zAxis;
  return a.x * (b.y * c.z - b.z * c.y) - b.x * (a.y * c.z - a.z * c.y) + c.x * (a.y * b.z - a.z * b.y);
}

// The inverse of an invertible matrix; the identity for a singular one.
Matrix64 Inverse(const Matrix64& m) {
  const double det = Determinant(m);
  if (!std::isfinite(det) || std::abs(det) < 1e-300) return Matrix64();
  const Vector64 &a = m.xAxis, &b = m.yAxis, &c = m.zAxis;
  Matrix64 r;
  // Rows of the inverse are the cross products of the columns, over the determinant.
  const Vector64 r0{(b.y * c.z - b.z * c.y) / det, (b.z * c.x - b.x * c.z) / det, (b.x * c.y - b.y * c.x) / det};
  const Vector64 r1{(c.y * a.z - c.z * a.y) / det, (c.z * a.x - c.x * a.z) / det, (c.x * a.y - c.y * a.x) / det};
  const Vector64 r2{(a.y * b.z - a.z * b.y) / det, (a.z * b.x - a.x * b.z) / det, (a.x * b.y - a.y * b.x) / det};
  r.xAxis = {r0.x, r1.x, r2.x};
  r.yAxis = {r0.y, r1.y, r2.y};
  r.zAxis = {r0.z, r1.z, r2.z};
  r.off = Scaled(Add(Scaled(r.xAxis, m.off.x), Add(Scaled(r.yAxis, m.off.y), Scaled(r.zAxis, m.off.z))), -1);
  return r;
}

// The rotation of heading, pitch and bank as the scene program composes them.
Matrix64 Rotation(const Vector64& hpb) {
  const double ch = std::cos(hpb.x), sh = std::sin(hpb.x), cp = std::cos(hpb.y), sp = std::sin(hpb.y);
  const double cb = std::cos(hpb.z), sb = std::sin(hpb.z);
  Matrix64 h, p, b;
  h.xAxis = {ch, 0, sh}, h.zAxis = {-sh, 0, ch};
  p.yAxis = {0, cp, -sp}, p.zAxis = {0, sp, cp};
  b.xAxis = {cb, -sb, 0}, b.yAxis = {sb, cb, 0};
  return MatrixMultiply64(h, MatrixMultiply64(p, b));
}

Matrix64 Translation(const Vector64& v) {
  Matrix64 m;
  m.off = v;
  return m;
}

Matrix64 Scaling(const Vector64& s) {
  Matrix64 m;
  m.xAxis = {s.x, 0, 0}, m.yAxis = {0, s.y, 0}, m.zAxis = {0, 0, s.z};
  return m;
}

// Whether two clones stand at one point (turned or not).
bool SamePlace(const Matrix64& a, const Matrix64& b) {
  return std::abs(a.off.x - b.off.x) < 1e-9 && std::abs(a.off.y - b.off.y) < 1e-9 && std::abs(a.off.z - b.off.z) < 1e-9;
}

void Reverse(Piece& piece) {
  for (CPolygon& p : piece.polygons) p = p.c == p.d ? CPolygon{p.c, p.b, p.a, p.a} : CPolygon{p.d, p.c, p.b, p.a};
}

// Moves pieces by `m`; a mirroring matrix turns the polygons round, so that
// they keep facing out.
void Transform(Pieces& pieces, const Matrix64& m) {
  for (Piece& piece : pieces) {
    for (Vector64& p : piece.points) p = Apply(m, p);
    if (Determinant(m) < 0) Reverse(piece);
  }
}

int32_t DataTypeOf(const C4DBaseObject& object) {
  const auto* plugin = dynamic_cast<const C4DPluginObject*>(&object);
  return plugin ? plugin->GetDataTypeId() : object.typeId;
}

bool IsKnownGenerator(int32_t dataType) {
  switch (dataType) {
    case GENERATOR_EXTRUDE: case GENERATOR_LATHE: case GENERATOR_SWEEP: case GENERATOR_LOFT: case GENERATOR_SYMMETRY: case GENERATOR_BOOLE:
    case GENERATOR_ARRAY:
    case GENERATOR_SUBDIVISION: case GENERATOR_CLONER:
      return true;
    default:
      return false;
  }
}

double Real(const C4DBaseObject& o, int32_t id, double fallback) {
  const double v = o.data.FindFloat32(id, float(fallback));
  return std::isfinite(v) ? v : fallback;
}

Vector64 Vec(const C4DBaseObject& o, int32_t id, const Vector64& fallback) {
  const Vector64 v = Widened(o.data.FindVector(id, Narrow(fallback)));
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) ? v : fallback;
}

}  // namespace

bool IsUnknownObject(const C4DBaseObject& object) {
  const auto* plugin = dynamic_cast<const C4DPluginObject*>(&object);
  if (!plugin) return false;
  const int32_t type = plugin->GetDataTypeId();
  return !plugin->GetObjectData() && type != DEFORMER_BEND && type != TEXT_SPLINE && !IsKnownGenerator(type) &&
         !c4dprim::IsRebuildablePrimitive(type) && !c4dprim::IsSplinePrimitive(type) && !IsSplineObject(plugin);
}

Role RoleOf(const C4DBaseObject& object) {
  const auto* plugin = dynamic_cast<const C4DPluginObject*>(&object);
  if (!plugin) return Role::Plain;
  const int32_t type = plugin->GetDataTypeId();
  if (type == DEFORMER_BEND) return Role::Deformer;
  if (IsKnownGenerator(type)) return Role::Generator;
  return IsUnknownObject(object) && object.GetFirstChild() ? Role::Generator : Role::Plain;
}

std::string UnknownBelowNote(const C4DBaseObject& object) {
  const auto* plugin = dynamic_cast<const C4DPluginObject*>(&object);
  return "\"" + object.GetNameString() + "\", an object of data type " +
         std::to_string(plugin ? plugin->GetDataTypeId() : object.typeId) +
         " the converter does not know: if it deforms its parent, that is not applied";
}

std::string GeneratorName(int32_t dataType) {
  switch (dataType) {
    case GENERATOR_EXTRUDE: return "extrude";
    case GENERATOR_LATHE: return "lathe";
    case GENERATOR_SWEEP: return "sweep";
    case GENERATOR_LOFT: return "loft";
    case GENERATOR_ARRAY: return "array";
    case GENERATOR_INSTANCE: return "instance";
    case DEFORMER_BEND: return "bend";
    case GENERATOR_SYMMETRY: return "symmetry";
    case GENERATOR_BOOLE: return "boole";
    case GENERATOR_SUBDIVISION: return "subdivision surface";
    case GENERATOR_CLONER: return "cloner";
    default: return "generator of data type " + std::to_string(dataType);
  }
}

bool HasDeformer(const C4DBaseObject& object) {
  if (!object.childList) return false;
  for (const C4DBaseObject* child : object.childList->Objects()) {
    if (!child->disabled && RoleOf(*child) == Role::Deformer) return true;
  }
  return false;
}

// The steps of one evaluation: every object's result in its own frame.
class EvaluationSteps {
 public:
  explicit EvaluationSteps(Evaluator& evaluator) : m_evaluator(evaluator) {}

  bool Result(const C4DBaseObject& object, Pieces& out, int depth) {
    if (depth > kMaxDepth) return Fail("generators nested more than " + std::to_string(kMaxDepth) + " deep");
    if (m_evaluator.m_objectsLeft == 0) {
      return Fail("more than " + std::to_string(kMaxEvaluatedObjects) + " objects evaluated in this file");
    }
    --m_evaluator.m_objectsLeft;
    if (object.disabled) return true;
    switch (RoleOf(object)) {
      case Role::Deformer: return true;  // applied by its parent
      case Role::Generator:
        if (!Generate(object, out, depth)) return false;
        break;
      case Role::Plain:
        if (!Own(object, out, depth) || !Inputs(object, out, depth, true)) return false;
        break;
    }
    return Deform(object, out);
  }

  std::vector<std::string> notes;
  std::string reason;

 private:
  bool Fail(std::string why) {
    if (reason.empty()) reason = std::move(why);
    return false;
  }
  void Note(std::string note) {
    for (const std::string& n : notes) {
      if (n == note) return;
    }
    notes.push_back(std::move(note));
  }
  bool Charge(size_t points) {
    if (points > m_evaluator.m_pointsLeft) {
      return Fail("more than " + std::to_string(kMaxGeneratedPoints) + " points generated in this file");
    }
    m_evaluator.m_pointsLeft -= points;
    return true;
  }
  bool Add(Pieces& out, Piece piece) {
    // A piece costs at least a point: pieces without points are not free either.
    if (!Charge(piece.points.size() + 1)) return false;
    out.push_back(std::move(piece));
    return true;
  }

  // The children's results (deformers aside) in `object`'s frame. A
  // generator uses its children whether they show or not; an object that
  // only groups them leaves out those hidden in the editor, as the scene does.
  bool Inputs(const C4DBaseObject& object, Pieces& out, int depth, bool shownOnly = false) {
    if (!object.childList) return true;
    for (const C4DBaseObject* child : object.childList->Objects()) {
      if (shownOnly && child->editorVisibility == C4DBaseObject::VISIBILITY_OFF) continue;
      if (!Placed(*child, child->GetMl64(), out, depth)) return false;
    }
    return true;
  }

  // `object`'s result moved by `ml` into its parent's frame.
  bool Placed(const C4DBaseObject& object, const Matrix64& ml, Pieces& out, int depth) {
    Pieces result;
    if (!Result(object, result, depth + 1)) return false;
    Transform(result, ml);
    for (Piece& piece : result) out.push_back(std::move(piece));
    return true;
  }

  // What the object itself shows, in its own frame.
  bool Own(const C4DBaseObject& object, Pieces& out, int depth) {
    if (object.GetFirstFallback()) {
      for (const C4DBaseObject* cached : object.fallbackCache->Objects()) {
        if (!Placed(*cached, cached->GetMl64(), out, depth)) return false;
      }
      return true;
    }
    const int32_t type = DataTypeOf(object);
    if (type == TEXT_SPLINE) return Lines(object, TextOutline(object.data), out);
    if (type == DATA_POLYGON) return Mesh(object, out);
    if (IsSplineObject(&object)) return Lines(object, DrawnSpline(object), out);
    if (c4dprim::IsSplinePrimitive(type)) return Lines(object, c4dprim::ReadSplinePrimitive(type, object.data), out);
    if (c4dprim::IsRebuildablePrimitive(type)) return Primitive(object, type, out);
    if (type == GENERATOR_INSTANCE) return Instance(object, out, depth);
    return true;
  }

  bool Mesh(const C4DBaseObject& object, Pieces& out) {
    const auto* pointTag = static_cast<const PrivateC4DPointTag*>(object.GetTag(TAG_TYPE_POINT));
    const auto* polygonTag = static_cast<const PrivateC4DPolygonTag*>(object.GetTag(TAG_TYPE_POLYGON));
    if (!pointTag || !polygonTag || !pointTag->points || !polygonTag->polygons) return true;
    Piece piece;
    piece.look = &object;
    piece.points.reserve(size_t(pointTag->pointCount));
    for (int32_t i = 0; i < pointTag->pointCount; ++i) {
      piece.points.push_back(pointTag->points64 ? pointTag->points64[i] : Widened(pointTag->points[i]));
    }
    for (int32_t i = 0; i < polygonTag->polygonCount; ++i) {
      const CPolygon& p = polygonTag->polygons[i];
      const auto inside = [&](int32_t k) { return k >= 0 && k < pointTag->pointCount; };
      if (inside(p.a) && inside(p.b) && inside(p.c) && inside(p.d)) piece.polygons.push_back(p);
    }
    return Add(out, std::move(piece));
  }

  bool Lines(const C4DBaseObject& object, const c4dprim::SplineRead& read, Pieces& out) {
    if (!read.shape) return Fail("\"" + object.GetNameString() + "\": " + read.reason);
    for (const std::string& note : read.shape->notes) Note(note);
    for (const c4dprim::SplineSegment& segment : read.shape->segments) {
      if (!Add(out, Piece{&object, segment.points, {}, segment.closed})) return false;
    }
    return true;
  }

  bool Primitive(const C4DBaseObject& object, int32_t type, Pieces& out) {
    const c4dprim::PrimitiveRead read = c4dprim::ReadPrimitive(type, object.data);
    if (!read.shape) return Fail("\"" + object.GetNameString() + "\": " + read.reason);
    if (c4dprim::PolygonCount(*read.shape) > 2 * kMaxGeneratedPoints) return Charge(kMaxGeneratedPoints + 1);
    for (const std::string& note : read.notes) Note(note);
    c4dprim::PrimitiveMesh mesh = c4dprim::BuildPrimitiveMesh(*read.shape);
    Piece piece;
    piece.look = &object;
    piece.points.reserve(mesh.points.size());
    for (const Vector& p : mesh.points) piece.points.push_back(Widened(p));
    piece.polygons = std::move(mesh.polygons);
    return Add(out, std::move(piece));
  }

  // The target's result, placed by the Instance's own matrix (its parent's).
  bool Instance(const C4DBaseObject& object, Pieces& out, int depth) {
    const auto* target = dynamic_cast<const C4DBaseObject*>(object.data.FindValue(1001).AsLinkTarget());
    if (!target) return Fail("instance \"" + object.GetNameString() + "\" links to no object");
    Pieces result;
    // A hidden or disabled target is still evaluated for its instances.
    if (!Result(*target, result, depth + 1)) return false;
    for (Piece& piece : result) out.push_back(std::move(piece));
    return true;
  }

  bool Generate(const C4DBaseObject& object, Pieces& out, int depth) {
    const int32_t type = DataTypeOf(object);
    switch (type) {
      case GENERATOR_SYMMETRY: return Symmetry(object, out, depth);
      case GENERATOR_CLONER: return Cloner(object, out, depth);
      case GENERATOR_EXTRUDE:
      case GENERATOR_LATHE: return Sweep(object, type, out, depth);
      case GENERATOR_SWEEP: return SweepAlong(object, out, depth);
      case GENERATOR_LOFT: return Loft(object, out, depth);
      case GENERATOR_SUBDIVISION: return Subdivision(object, out, depth);
      case GENERATOR_BOOLE: return Boole(object, out, depth);
      case GENERATOR_ARRAY: return Array(object, out, depth);
      default:
        return Fail(GeneratorName(type) + ": not evaluated by the converter yet");
    }
  }

  // The children's meshes subdivided at the editor's level, or the render's
  // when asked; polylines pass through.
  bool Subdivision(const C4DBaseObject& object, Pieces& out, int depth) {
    Pieces cage;
    if (!Inputs(object, cage, depth)) return false;
    const int level = m_evaluator.renderLevel ? object.data.FindInt32(1001, 3) : object.data.FindInt32(1000, 2);
    for (Piece& piece : cage) {
      if (!piece.polygons.empty()) {
        const size_t before = piece.points.size();
        std::string why;
        if (!Subdivide(piece.points, piece.polygons, level, why)) {
          Note("not subdivided (level " + std::to_string(level) + "): " + why);
        } else if (piece.points.size() > before && !Charge(piece.points.size() - before)) {
          return false;
        }
      }
      out.push_back(std::move(piece));
    }
    return true;
  }

  // The children and their mirror image across the Symmetry's plane.
  bool Symmetry(const C4DBaseObject& object, Pieces& out, int depth) {
    Pieces halves;
    if (!Inputs(object, halves, depth)) return false;
    const int32_t plane = object.data.FindInt32(1000, 1);
    const Vector64 mirror = plane == 0 ? Vector64{1, 1, -1} : plane == 2 ? Vector64{1, -1, 1} : Vector64{-1, 1, 1};
    if (plane < 0 || plane > 2) Note("mirror plane " + std::to_string(plane) + " unknown: mirrored across ZY");
    if (object.data.FindInt32(1001, 0) != 0) Note("points on the plane are not welded");
    Pieces mirrored = halves;
    Transform(mirrored, Scaling(mirror));
    for (Piece& piece : halves) out.push_back(std::move(piece));
    for (Piece& piece : mirrored) {
      if (!Add(out, std::move(piece))) return false;
    }
    return true;
  }

  // The lines of the first `most` children that give lines, one shape each,
  // in `object`'s frame.
  bool ChildLines(const C4DBaseObject& object, size_t most, std::vector<c4dprim::SplineShape>& shapes, int depth) {
    for (const C4DBaseObject* child = object.GetFirstChild(); child && shapes.size() < most; child = child->GetNext()) {
      if (child->disabled || RoleOf(*child) == Role::Deformer) continue;
      Pieces result;
      if (!Placed(*child, child->GetMl64(), result, depth)) return false;
      c4dprim::SplineShape shape;
      for (Piece& piece : result) {
        if (piece.polygons.empty()) shape.segments.push_back({std::move(piece.points), piece.closed});
      }
      if (!shape.segments.empty()) shapes.push_back(std::move(shape));
    }
    return true;
  }

  // An Extrude or Lathe of its profile: the first child that gives lines.
  bool Sweep(const C4DBaseObject& object, int32_t type, Pieces& out, int depth) {
    std::vector<c4dprim::SplineShape> profile;
    if (!ChildLines(object, 1, profile, depth)) return false;
    if (profile.empty()) return Fail("a " + GeneratorName(type) + " without a profile spline");
    std::vector<std::string> notes;
    const GenMesh mesh = type == GENERATOR_EXTRUDE ? Extrude(profile[0], ReadExtrudeParams(object.data, notes), notes)
                                                   : Lathe(profile[0], ReadLatheParams(object.data, notes), notes);
    return Made(object, type, mesh, notes, out);
  }

  // A Sweep: the first child that gives lines is the profile, the second the path.
  bool SweepAlong(const C4DBaseObject& object, Pieces& out, int depth) {
    std::vector<c4dprim::SplineShape> shapes;
    if (!ChildLines(object, 2, shapes, depth)) return false;
    if (shapes.size() < 2) return Fail("a sweep without a profile and a path spline");
    std::vector<std::string> notes;
    const GenMesh mesh = c4dgen::SweepAlong(shapes[0], shapes[1], ReadSweepParams(object.data, notes), notes);
    return Made(object, GENERATOR_SWEEP, mesh, notes, out);
  }

  // A Loft over every child that gives lines, in order.
  bool Loft(const C4DBaseObject& object, Pieces& out, int depth) {
    std::vector<c4dprim::SplineShape> shapes;
    if (!ChildLines(object, SIZE_MAX, shapes, depth)) return false;
    std::vector<std::string> notes;
    const GenMesh mesh = c4dgen::Loft(shapes, notes);
    return Made(object, GENERATOR_LOFT, mesh, notes, out);
  }

  bool Made(const C4DBaseObject& object, int32_t type, const GenMesh& mesh, std::vector<std::string>& notes,
            Pieces& out) {
    for (std::string& note : notes) Note(std::move(note));
    if (mesh.faces.empty()) return Fail(GeneratorName(type) + " made nothing");
    Piece piece;
    piece.look = &object;
    piece.points = mesh.points;
    piece.polygons.reserve(mesh.faces.size());
    for (const std::vector<uint32_t>& f : mesh.faces) {
      if (f.size() == 3) piece.polygons.push_back({int32_t(f[0]), int32_t(f[1]), int32_t(f[2]), int32_t(f[2])});
      if (f.size() == 4) piece.polygons.push_back({int32_t(f[0]), int32_t(f[1]), int32_t(f[2]), int32_t(f[3])});
    }
    return Add(out, std::move(piece));
  }

  // The first two enabled children combined as solids.
  bool Boole(const C4DBaseObject& object, Pieces& out, int depth) {
    std::vector<Pieces> inputs;
    for (const C4DBaseObject* child = object.GetFirstChild(); child && inputs.size() < 2; child = child->GetNext()) {
      if (child->disabled || RoleOf(*child) == Role::Deformer) continue;
      if (!Placed(*child, child->GetMl64(), inputs.emplace_back(), depth)) return false;
    }
    if (inputs.size() < 2) return Fail("a boole of fewer than two children");
    const int32_t mode = object.data.FindInt32(1000, BOOLE_SUBTRACT);
    if (mode == BOOLE_WITHOUT) Note("boole mode 3 taken as the first child minus the second (a guess)");
    Piece result;
    std::string why;
    if (!BooleMeshes(mode, inputs[0], inputs[1], result, why)) return Fail("boole: " + why);
    return Add(out, std::move(result));
  }

  // Copies of the children round the Array's Y axis, as a modeller expects
  // one (no file seen holds an Array: the ids are guesses).
  bool Array(const C4DBaseObject& object, Pieces& out, int depth) {
    const int64_t copies = object.data.FindInt32(1001, 7);
    if (copies < 0 || copies >= kMaxClones) return Fail("an array of " + std::to_string(copies) + " copies");
    const double radius = Real(object, 1000, 250);
    Note("array: 1000 radius and 1001 copies are guesses, laid round the Y axis");
    Pieces children;
    if (!Inputs(object, children, depth)) return false;
    for (int64_t i = 0; i <= copies; ++i) {
      const double a = 2 * std::numbers::pi * double(i) / double(copies + 1);
      Pieces copy = children;
      Transform(copy, MatrixMultiply64(Rotation({-a, 0, 0}), Translation({0, 0, radius})));
      for (Piece& piece : copy) {
        if (!Add(out, std::move(piece))) return false;
      }
    }
    return true;
  }

  // The placement of each clone in the Cloner's frame; empty when refused.
  std::vector<Matrix64> ClonePlaces(const C4DBaseObject& object) {
    std::vector<Matrix64> places;
    const int32_t mode = object.data.FindInt32(2010, 1);
    if (mode == 1) {
      const int64_t count = object.data.FindInt32(1270, 3), start = object.data.FindInt32(1279, 0);
      if (count < 0 || count > kMaxClones) return Refused(count);
      const Vector64 step = Vec(object, 1273, {0, 50, 0}), turn = Vec(object, 1277, {0, 0, 0});
      for (int64_t i = 0; i < count; ++i) {
        places.push_back(MatrixMultiply64(Translation(Scaled(step, double(start + i))), Rotation(Scaled(turn, double(i)))));
      }
    } else if (mode == 2) {
      const int64_t count = object.data.FindInt32(1240, 6);
      if (count < 0 || count > kMaxClones) return Refused(count);
      const double from = Real(object, 1241, 0), to = Real(object, 1242, 2 * std::numbers::pi);
      const double radius = Real(object, 1246, 200);
      const int32_t plane = object.data.FindInt32(1247, 2);
      if (plane != 2) Note("radial plane " + std::to_string(plane) + " laid as XZ");
      for (int64_t i = 0; i < count; ++i) {
        const double a = from + double(i) * (to - from) / double(count);
        Matrix64 place = Translation({radius * std::sin(a), 0, radius * std::cos(a)});
        if (object.data.FindInt32(1248, 1) != 0) place = MatrixMultiply64(place, Rotation({-a, 0, 0}));
        places.push_back(place);
      }
    } else if (mode == 3) {
      const Vector64 counts = Vec(object, 1200, {3, 3, 3}), size = Vec(object, 1201, {200, 200, 200});
      const auto axis = [](double n) { return n >= 1 && n <= kMaxClones ? int64_t(n) : int64_t(-1); };
      const int64_t nx = axis(counts.x), ny = axis(counts.y), nz = axis(counts.z);
      if (nx < 0 || ny < 0 || nz < 0 || nx * ny * nz > kMaxClones) return Refused(nx * ny * nz);
      const auto at = [](int64_t i, int64_t n, double extent) { return n < 2 ? 0.0 : extent * (double(i) / double(n - 1) - 0.5); };
      for (int64_t x = 0; x < nx; ++x) {
        for (int64_t y = 0; y < ny; ++y) {
          for (int64_t z = 0; z < nz; ++z) places.push_back(Translation({at(x, nx, size.x), at(y, ny, size.y), at(z, nz, size.z)}));
        }
      }
      Note("grid placement from the count and size per axis (likely)");
    } else {
      Fail(mode == 0 ? "a cloner in object mode, which the converter does not evaluate yet"
                     : "a cloner of mode " + std::to_string(mode));
    }
    return places;
  }

  std::vector<Matrix64> Refused(int64_t count) {
    Fail("a cloner of " + std::to_string(count) + " clones (at most " + std::to_string(kMaxClones) + ")");
    return {};
  }

  bool Cloner(const C4DBaseObject& object, Pieces& out, int depth) {
    const std::vector<Matrix64> places = ClonePlaces(object);
    if (!reason.empty()) return false;
    // Each child is a template; the clones take them in turn.
    std::vector<Pieces> templates;
    const bool keepPosition = object.data.FindInt32(1021, 0) == 0;
    if (object.childList) {
      for (const C4DBaseObject* child : object.childList->Objects()) {
        if (child->disabled || RoleOf(*child) == Role::Deformer) continue;
        Matrix64 ml = child->GetMl64();
        if (!keepPosition) ml.off = {0, 0, 0};
        Pieces result;
        if (!Placed(*child, ml, result, depth)) return false;
        templates.push_back(std::move(result));
      }
    }
    if (templates.empty()) return true;
    if (places.size() > 1 && std::all_of(places.begin(), places.end(), [&](const Matrix64& m) { return SamePlace(m, places[0]); })) {
      return Fail("a cloner whose clones all stand in one place: effectors place them, which the converter does not "
                  "apply");
    }
    // Each clone's own transform, applied in clone space.
    const Matrix64 own = MatrixMultiply64(Translation(Vec(object, 5501, {0, 0, 0})),
                                          MatrixMultiply64(Rotation(Vec(object, 5503, {0, 0, 0})),
                                                           Scaling(Vec(object, 5502, {1, 1, 1}))));
    if (object.data.FindValue(2009).GetType() != GEVALUE_EMPTY) Note("effectors are not applied");
    for (size_t i = 0; i < places.size(); ++i) {
      Pieces clone = templates[i % templates.size()];
      Transform(clone, MatrixMultiply64(places[i], own));
      for (Piece& piece : clone) {
        if (!Add(out, std::move(piece))) return false;
      }
    }
    return true;
  }

  // The enabled deformers among the children, each bending `out` in its own frame.
  bool Deform(const C4DBaseObject& object, Pieces& out) {
    if (!object.childList) return true;
    for (const C4DBaseObject* child : object.childList->Objects()) {
      if (!child->disabled && IsUnknownObject(*child) && !child->GetFirstChild()) Note(UnknownBelowNote(*child));
      if (child->disabled || RoleOf(*child) != Role::Deformer) continue;
      const Matrix64 frame = child->GetMl64(), back = Inverse(frame);
      const Vector64 size = Vec(*child, 1000, {250, 250, 250});
      const double strength = Real(*child, 1002, 0);
      if (child->data.FindInt32(1001, 0) != 0 || Real(*child, 1003, 0) != 0) {
        Note("bend: only the limited mode along its X direction is applied");
      }
      if (std::abs(strength) < 1e-9 || size.y <= 0) continue;
      for (Piece& piece : out) {
        for (Vector64& p : piece.points) p = Apply(frame, Bent(Apply(back, p), size.y, strength));
      }
    }
    return true;
  }

  // A point bent about the deformer's Z axis: the height h rolls up by the
  // angle θ onto a circle of radius h/θ; beyond it the point goes on straight.
  static Vector64 Bent(const Vector64& p, double h, double theta) {
    const double r = h / theta, s = p.y + h / 2;
    if (s <= 0) return p;
    const double phi = theta * std::min(s, h) / h, beyond = std::max(s - h, 0.0);
    return {r - (r - p.x) * std::cos(phi) + beyond * std::sin(phi), -h / 2 + (r - p.x) * std::sin(phi) + beyond * std::cos(phi),
            p.z};
  }

  Evaluator& m_evaluator;
};

c4dprim::SplineRead DrawnSpline(const C4DBaseObject& object) {
  C4DSplineInput input;
  if (!ReadSplineInput(&object, input)) return {std::nullopt, "no spline"};
  std::vector<c4dprim::SplineSegmentInfo> segments;
  segments.reserve(input.segments.size());
  for (const C4DSplineInput::Segment& segment : input.segments) segments.push_back({segment.pointCount, segment.closed});
  return c4dprim::EvaluateSpline(input.points, input.tangents, segments, c4dprim::ReadSplineSettings(object.data));
}

Evaluation Evaluator::Evaluate(const C4DBaseObject& object) {
  EvaluationSteps steps(*this);
  Evaluation done;
  done.evaluated = steps.Result(object, done.pieces, 0);
  if (!done.evaluated) done.pieces.clear();
  done.notes = std::move(steps.notes);
  done.reason = std::move(steps.reason);
  return done;
}

}  // namespace c4dgen
