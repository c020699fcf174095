// Primitives rebuilt from their parameters: a cube, sphere, cylinder, cone,
// tube, disc, plane, pyramid or polygon object turned into a mesh of points
// and polygons in the object's own coordinates, in the same form as a polygon
// object's point and polygon tags (a polygon whose c equals d is a triangle).
//
// A scene that was saved without polygon caches carries only a primitive's
// parameters; this is what lets a converter bring such objects in anyway.
//
//   PrimitiveRead read = ReadPrimitive(plugin->GetDataTypeId(), plugin->data);
//   if (read.shape) {
//     PrimitiveMesh mesh = BuildPrimitiveMesh(*read.shape);   // local points
//     ... read.notes says what was built only approximately
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
#include <variant>
#include <vector>

#include "c4d_types.h"

class GeContainer;

namespace c4dprim {

// Data type ids of the primitives that can be rebuilt.
enum PrimitiveType : int32_t {
  PRIMITIVE_CUBE = 5159,
  PRIMITIVE_SPHERE = 5160,
  PRIMITIVE_CONE = 5162,
  PRIMITIVE_DISC = 5164,
  PRIMITIVE_TUBE = 5165,
  PRIMITIVE_PYRAMID = 5167,
  PRIMITIVE_PLANE = 5168,
  PRIMITIVE_CYLINDER = 5170,
  PRIMITIVE_POLYGON = 5174,
};

bool IsRebuildablePrimitive(int32_t dataTypeId);
// "cube", "sphere", ...; "primitive" for other ids.
const char* PrimitiveName(int32_t dataTypeId);

// The axis that a primitive's height (or a flat one's normal) points along;
// the numbers are the values of parameter 1300. Meshes are built along +Y
// and turned onto the axis.
enum class Orientation : int32_t { PlusX = 0, MinusX = 1, PlusY = 2, MinusY = 3, PlusZ = 4, MinusZ = 5 };

// Full edge lengths; segments along x, y and z.
struct CubeShape {
  Vector size{200.0f, 200.0f, 200.0f};
  int32_t segments[3] = {1, 1, 1};
};

// Standard: `segments` around, half as many from pole to pole (poles on the
// y axis). Icosahedron: an icosahedron whose edges are cut into segments / 5
// parts, its points on the sphere.
struct SphereShape {
  float radius = 100.0f;
  int32_t segments = 24;
  bool icosahedron = false;
};

// Centred: from -height/2 to +height/2 along its axis; rotation segments
// start on +X (for +Y), caps are fans around a centre point sharing the rim.
struct CylinderShape {
  float radius = 50.0f;
  float height = 200.0f;
  int32_t heightSegments = 4;
  int32_t capSegments = 1;
  int32_t rotationSegments = 36;
  bool caps = true;
  Orientation orientation = Orientation::PlusY;
};

// A cylinder with two radii; a radius of 0 ends the cone in a point.
struct ConeShape {
  float topRadius = 0.0f;
  float bottomRadius = 100.0f;
  float height = 200.0f;
  int32_t heightSegments = 8;
  int32_t capSegments = 1;
  int32_t rotationSegments = 36;
  bool caps = true;
  Orientation orientation = Orientation::PlusY;
};

// A thick-walled pipe: outer and inner walls, rings on top and bottom.
struct TubeShape {
  float innerRadius = 50.0f;
  float outerRadius = 100.0f;
  float height = 100.0f;
  int32_t rotationSegments = 36;
  int32_t capSegments = 1;
  int32_t heightSegments = 1;
  Orientation orientation = Orientation::PlusY;
};

// A flat ring (or a full disc when the inner radius is 0) facing its axis.
struct DiscShape {
  float innerRadius = 0.0f;
  float outerRadius = 100.0f;
  int32_t ringSegments = 1;
  int32_t rotationSegments = 36;
  Orientation orientation = Orientation::PlusY;
};

// A flat rectangle facing its axis: width along x, height along z (for +Y).
struct PlaneShape {
  float width = 400.0f;
  float height = 400.0f;
  int32_t widthSegments = 20;
  int32_t heightSegments = 20;
  Orientation orientation = Orientation::PlusY;
};

// A square-based pyramid: base size.x by size.z, height size.y, centred;
// each face cut into `segments` rows.
struct PyramidShape {
  Vector size{200.0f, 200.0f, 200.0f};
  int32_t segments = 1;
  Orientation orientation = Orientation::PlusY;
};

// One flat polygon facing its axis: a rectangle of width by height, or a
// triangle of that base and height, each side cut into `segments`.
struct PolygonShape {
  float width = 200.0f;
  float height = 200.0f;
  int32_t segments = 1;
  bool triangle = false;
  Orientation orientation = Orientation::PlusY;
};

using PrimitiveShape = std::variant<CubeShape, SphereShape, CylinderShape, ConeShape, TubeShape, DiscShape,
                                    PlaneShape, PyramidShape, PolygonShape>;

// Points in the primitive's own coordinates; polygons of four point indices,
// c == d for a triangle, their points in the order that makes the normal
// (b - a) x (c - a) point out of a solid.
struct PrimitiveMesh {
  std::vector<Vector> points;
  std::vector<CPolygon> polygons;
};

// The polygons the shape's mesh will have, counted before anything is built.
uint64_t PolygonCount(const PrimitiveShape& shape);

// A rebuilt mesh never has more polygons than this: a file whose segments ask
// for more is not rebuilt (the scene program itself stops far below).
constexpr uint64_t kMaxPrimitivePolygons = 4000000;

// Nor is a length above this (in scene units) rebuilt: finite as it is, ten
// times it in millimetres, placed by a scaling matrix, would pass what a
// float holds (3.4e38), and no output format holds more; this leaves eight
// orders of magnitude for placement.
constexpr float kMaxPrimitiveLength = 1e30f;

PrimitiveMesh BuildPrimitiveMesh(const PrimitiveShape& shape);

// A primitive's parameters read from its parameter container.
struct PrimitiveRead {
  std::optional<PrimitiveShape> shape;  // none: not rebuilt, see `reason`
  std::string reason;
  // What the mesh leaves out or only approximates (fillets, slices, ...).
  std::vector<std::string> notes;
};

// Missing parameters take the scene program's defaults; counts are held to
// their smallest sensible value; negative lengths count as 0. Lengths that
// are not finite, or above kMaxPrimitiveLength, refuse the primitive.
PrimitiveRead ReadPrimitive(int32_t dataTypeId, const GeContainer& parameters);

}  // namespace c4dprim
