// A primitive's parameters, looked up by id in its parameter container.
// Their order in the file varies, and so does the width of a float; the ids
// do not.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ge_container.h"
#include "primitives.h"

namespace c4dprim {

namespace {

// Parameter ids.
enum : int32_t {
  CUBE_SIZE = 1100,
  CUBE_SEGMENTS_X = 1102,  // 1103 y, 1104 z
  CUBE_FILLET = 1107,
  SPHERE_RADIUS = 1110,
  SPHERE_SEGMENTS = 1111,
  SPHERE_TYPE = 1112,
  CONE_TOP_RADIUS = 1130,
  CONE_BOTTOM_RADIUS = 1131,
  CONE_HEIGHT = 1132,
  CONE_HEIGHT_SEGMENTS = 1133,
  CONE_CAP_SEGMENTS = 1134,
  CONE_ROTATION_SEGMENTS = 1135,
  CONE_TOP_FILLET = 1142,
  CONE_BOTTOM_FILLET = 1143,
  CONE_CAPS = 1144,
  DISC_INNER_RADIUS = 1160,
  DISC_OUTER_RADIUS = 1161,
  DISC_RING_SEGMENTS = 1162,
  DISC_ROTATION_SEGMENTS = 1163,
  TUBE_RADIUS_A = 1170,  // the smaller of 1170 and 1171 is the inner radius
  TUBE_RADIUS_B = 1171,
  TUBE_HEIGHT = 1172,
  // 1174 = 1 with 1176 = 72 is a round ring, 1174 = 4 with 1176 = 50 a
  // round disc: 1176 goes around.
  TUBE_HEIGHT_SEGMENTS = 1174,
  TUBE_CAP_SEGMENTS = 1175,
  TUBE_ROTATION_SEGMENTS = 1176,
  TUBE_FILLET = 1177,
  SLICE = 1200,
  PYRAMID_SIZE = 1220,
  PYRAMID_SEGMENTS = 1221,
  PLANE_WIDTH = 1230,
  PLANE_HEIGHT = 1231,
  PLANE_WIDTH_SEGMENTS = 1232,
  PLANE_HEIGHT_SEGMENTS = 1233,
  POLYGON_WIDTH = 1270,
  POLYGON_HEIGHT = 1271,
  POLYGON_SEGMENTS = 1272,
  POLYGON_TRIANGLE = 1273,
  ORIENTATION = 1300,
  CYLINDER_RADIUS = 5000,
  CYLINDER_CAPS = 5001,
  CYLINDER_FILLET = 5002,
  CYLINDER_HEIGHT = 5005,
  CYLINDER_HEIGHT_SEGMENTS = 5006,
  CYLINDER_CAP_SEGMENTS = 5007,
  CYLINDER_ROTATION_SEGMENTS = 5008,
};

enum : int32_t { SPHERE_STANDARD = 0, SPHERE_ICOSAHEDRON = 4 };

// Counts above this are a damaged or hostile file; they are held here so
// that every product of counts fits 64 bits (the polygon limit then says no).
constexpr int32_t kMaxSegments = 1 << 20;

class Parameters {
 public:
  Parameters(const GeContainer& data, PrimitiveRead& read) : data_(data), read_(read) {}

  float Length(int32_t id, float fallback) { return Clamp(data_.FindFloat32(id, fallback)); }
  Vector Size(int32_t id, const Vector& fallback) {
    const Vector v = data_.FindVector(id, fallback);
    return {Clamp(v.x), Clamp(v.y), Clamp(v.z)};
  }
  int32_t Count(int32_t id, int32_t fallback, int32_t least) {
    return std::clamp(data_.FindInt32(id, fallback), least, kMaxSegments);
  }
  int32_t Int(int32_t id, int32_t fallback) { return data_.FindInt32(id, fallback); }
  bool Switch(int32_t id, bool fallback) { return data_.FindInt32(id, fallback ? 1 : 0) != 0; }
  Orientation Axis() {
    const int32_t v = data_.FindInt32(ORIENTATION, int32_t(Orientation::PlusY));
    if (v < 0 || v > 5) {
      read_.notes.push_back("orientation " + std::to_string(v) + " unknown: built along +Y");
      return Orientation::PlusY;
    }
    return Orientation(v);
  }
  // A setting the mesh does not follow.
  void Ignored(int32_t id, const char* what) {
    if (Switch(id, false)) read_.notes.push_back(what);
  }
  bool Finite() const { return finite_; }
  float Largest() const { return largest_; }

 private:
  float Clamp(float v) {
    if (!std::isfinite(v)) finite_ = false;
    largest_ = std::max(largest_, v);
    return v > 0.0f ? v : 0.0f;
  }
  const GeContainer& data_;
  PrimitiveRead& read_;
  bool finite_ = true;
  float largest_ = 0.0f;
};

constexpr const char* kFillet = "fillet left out: edges are sharp";
constexpr const char* kSlice = "slice left out: the whole primitive is built";

PrimitiveShape ReadShape(int32_t type, Parameters& p, PrimitiveRead& read) {
  if (type != PRIMITIVE_CUBE && type != PRIMITIVE_SPHERE) p.Ignored(SLICE, kSlice);
  switch (type) {
    case PRIMITIVE_CUBE: {
      CubeShape s;
      s.size = p.Size(CUBE_SIZE, s.size);
      for (int axis = 0; axis < 3; ++axis) s.segments[axis] = p.Count(CUBE_SEGMENTS_X + axis, 1, 1);
      p.Ignored(CUBE_FILLET, kFillet);
      return s;
    }
    case PRIMITIVE_SPHERE: {
      SphereShape s;
      s.radius = p.Length(SPHERE_RADIUS, s.radius);
      s.segments = p.Count(SPHERE_SEGMENTS, s.segments, 4);
      const int32_t value = p.Int(SPHERE_TYPE, SPHERE_STANDARD);
      s.icosahedron = value == SPHERE_ICOSAHEDRON;
      if (value != SPHERE_STANDARD && value != SPHERE_ICOSAHEDRON) {
        read.notes.push_back("sphere type " + std::to_string(value) + " built as a standard sphere");
      }
      return s;
    }
    case PRIMITIVE_CYLINDER: {
      CylinderShape s;
      s.radius = p.Length(CYLINDER_RADIUS, s.radius);
      s.height = p.Length(CYLINDER_HEIGHT, s.height);
      s.heightSegments = p.Count(CYLINDER_HEIGHT_SEGMENTS, s.heightSegments, 1);
      s.capSegments = p.Count(CYLINDER_CAP_SEGMENTS, s.capSegments, 1);
      s.rotationSegments = p.Count(CYLINDER_ROTATION_SEGMENTS, s.rotationSegments, 3);
      s.caps = p.Switch(CYLINDER_CAPS, true);
      if (s.caps) p.Ignored(CYLINDER_FILLET, kFillet);
      s.orientation = p.Axis();
      return s;
    }
    case PRIMITIVE_CONE: {
      ConeShape s;
      s.topRadius = p.Length(CONE_TOP_RADIUS, s.topRadius);
      s.bottomRadius = p.Length(CONE_BOTTOM_RADIUS, s.bottomRadius);
      s.height = p.Length(CONE_HEIGHT, s.height);
      s.heightSegments = p.Count(CONE_HEIGHT_SEGMENTS, s.heightSegments, 1);
      s.capSegments = p.Count(CONE_CAP_SEGMENTS, s.capSegments, 1);
      s.rotationSegments = p.Count(CONE_ROTATION_SEGMENTS, s.rotationSegments, 3);
      s.caps = p.Switch(CONE_CAPS, true);
      if (s.caps && (p.Switch(CONE_TOP_FILLET, false) || p.Switch(CONE_BOTTOM_FILLET, false))) {
        read.notes.push_back(kFillet);
      }
      s.orientation = p.Axis();
      return s;
    }
    case PRIMITIVE_TUBE: {
      TubeShape s;
      const float a = p.Length(TUBE_RADIUS_A, s.innerRadius), b = p.Length(TUBE_RADIUS_B, s.outerRadius);
      s.innerRadius = std::min(a, b);
      s.outerRadius = std::max(a, b);
      s.height = p.Length(TUBE_HEIGHT, s.height);
      s.rotationSegments = p.Count(TUBE_ROTATION_SEGMENTS, s.rotationSegments, 3);
      s.capSegments = p.Count(TUBE_CAP_SEGMENTS, s.capSegments, 1);
      s.heightSegments = p.Count(TUBE_HEIGHT_SEGMENTS, s.heightSegments, 1);
      p.Ignored(TUBE_FILLET, kFillet);
      s.orientation = p.Axis();
      return s;
    }
    case PRIMITIVE_DISC: {
      DiscShape s;
      const float a = p.Length(DISC_INNER_RADIUS, s.innerRadius), b = p.Length(DISC_OUTER_RADIUS, s.outerRadius);
      s.innerRadius = std::min(a, b);
      s.outerRadius = std::max(a, b);
      s.ringSegments = p.Count(DISC_RING_SEGMENTS, s.ringSegments, 1);
      s.rotationSegments = p.Count(DISC_ROTATION_SEGMENTS, s.rotationSegments, 3);
      s.orientation = p.Axis();
      return s;
    }
    case PRIMITIVE_PLANE: {
      PlaneShape s;
      s.width = p.Length(PLANE_WIDTH, s.width);
      s.height = p.Length(PLANE_HEIGHT, s.height);
      s.widthSegments = p.Count(PLANE_WIDTH_SEGMENTS, s.widthSegments, 1);
      s.heightSegments = p.Count(PLANE_HEIGHT_SEGMENTS, s.heightSegments, 1);
      s.orientation = p.Axis();
      return s;
    }
    case PRIMITIVE_PYRAMID: {
      PyramidShape s;
      s.size = p.Size(PYRAMID_SIZE, s.size);
      s.segments = p.Count(PYRAMID_SEGMENTS, s.segments, 1);
      s.orientation = p.Axis();
      return s;
    }
    default: {  // PRIMITIVE_POLYGON
      PolygonShape s;
      s.width = p.Length(POLYGON_WIDTH, s.width);
      s.height = p.Length(POLYGON_HEIGHT, s.height);
      s.segments = p.Count(POLYGON_SEGMENTS, s.segments, 1);
      s.triangle = p.Switch(POLYGON_TRIANGLE, false);
      s.orientation = p.Axis();
      return s;
    }
  }
}

}  // namespace

bool IsRebuildablePrimitive(int32_t dataTypeId) {
  switch (dataTypeId) {
    case PRIMITIVE_CUBE: case PRIMITIVE_SPHERE: case PRIMITIVE_CONE: case PRIMITIVE_DISC: case PRIMITIVE_TUBE:
    case PRIMITIVE_PYRAMID: case PRIMITIVE_PLANE: case PRIMITIVE_CYLINDER: case PRIMITIVE_POLYGON:
      return true;
    default:
      return false;
  }
}

const char* PrimitiveName(int32_t dataTypeId) {
  switch (dataTypeId) {
    case PRIMITIVE_CUBE: return "cube";
    case PRIMITIVE_SPHERE: return "sphere";
    case PRIMITIVE_CONE: return "cone";
    case PRIMITIVE_DISC: return "disc";
    case PRIMITIVE_TUBE: return "tube";
    case PRIMITIVE_PYRAMID: return "pyramid";
    case PRIMITIVE_PLANE: return "plane";
    case PRIMITIVE_CYLINDER: return "cylinder";
    case PRIMITIVE_POLYGON: return "polygon";
    default: return "primitive";
  }
}

PrimitiveRead ReadPrimitive(int32_t dataTypeId, const GeContainer& parameters) {
  PrimitiveRead read;
  if (!IsRebuildablePrimitive(dataTypeId)) {
    read.reason = "data type " + std::to_string(dataTypeId) + " is no primitive that can be rebuilt";
    return read;
  }
  Parameters p(parameters, read);
  PrimitiveShape shape = ReadShape(dataTypeId, p, read);
  if (!p.Finite()) {
    read.reason = "a length that is not a finite number";
    read.notes.clear();
    return read;
  }
  if (p.Largest() > kMaxPrimitiveLength) {
    char length[32];
    std::snprintf(length, sizeof length, "%g", double(p.Largest()));
    read.reason = std::string("a length of ") + length + " that no output can hold";
    read.notes.clear();
    return read;
  }
  const uint64_t polygons = PolygonCount(shape);
  if (polygons > kMaxPrimitivePolygons) {
    read.reason = "its segments ask for " + std::to_string(polygons) + " polygons, more than the " +
                  std::to_string(kMaxPrimitivePolygons) + " a rebuilt mesh may have";
    read.notes.clear();
    return read;
  }
  read.shape = std::move(shape);
  return read;
}

}  // namespace c4dprim
