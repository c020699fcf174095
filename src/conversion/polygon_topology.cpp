#include "polygon_topology.h"

#include <cstddef>

namespace {

bool InRange(int32_t index, int32_t pointCount) { return index >= 0 && index < pointCount; }

// Exactly zero means planar; a value that is not a number does not.
bool IsPlanar(const Vector& pa, const Vector& pb, const Vector& pc, const Vector& pd) {
  const float ux = pb.x - pa.x, uy = pb.y - pa.y, uz = pb.z - pa.z;
  const float vx = pc.x - pa.x, vy = pc.y - pa.y, vz = pc.z - pa.z;
  const float wx = pd.x - pa.x, wy = pd.y - pa.y, wz = pd.z - pa.z;
  const float nx = uy * vz - uz * vy;
  const float ny = uz * vx - ux * vz;
  const float nz = ux * vy - uy * vx;
  const float s = (nz * wz + ny * wy) + nx * wx;
  return s == 0.0f;
}

class TopologyBuilder {
 public:
  TopologyBuilder(EdgeList& edges, FaceList& faces) : edges_(edges), faces_(faces) {}

  // Appends the closed edge loop through the given point indices and a face
  // that walks it; returns the number of the loop's last edge.
  template <std::size_t N>
  int Loop(const int32_t (&corners)[N]) {
    std::vector<int> face;
    face.reserve(N);
    for (std::size_t i = 0; i < N; ++i) face.push_back(NewEdge(corners[i], corners[(i + 1) % N]));
    faces_.push_back(std::move(face));
    return static_cast<int>(edges_.size());
  }

  // The second triangle of a split quadrangle: it walks the diagonal (a, c)
  // backwards, then its own edges (c, d) and (d, a).
  void TriangleOnDiagonal(int diagonal, int32_t c, int32_t d, int32_t a) {
    std::vector<int> face;
    face.reserve(3);
    face.push_back(-diagonal);
    face.push_back(NewEdge(c, d));
    face.push_back(NewEdge(d, a));
    faces_.push_back(std::move(face));
  }

 private:
  int NewEdge(int32_t from, int32_t to) {
    edges_.emplace_back(static_cast<unsigned>(from) + 1u, static_cast<unsigned>(to) + 1u);
    return static_cast<int>(edges_.size());
  }
  EdgeList& edges_;
  FaceList& faces_;
};

// What one polygon record becomes.
enum class Shape : uint8_t {
  Skipped,          // out of range or degenerate
  Triangle,         // three edges, one face
  Quadrangle,       // planar: four edges, one face
  SplitQuadrangle,  // two triangles sharing the diagonal: five edges, two faces
  FirstTriangle,    // split, but the second triangle is degenerate: three edges, one face
  SecondTriangle,   // split, only the second triangle, closed on its own: three edges, one face
};

Shape ShapeOf(const CPolygon& polygon, const Vector* points, int32_t pointCount) {
  const int32_t a = polygon.a, b = polygon.b, c = polygon.c, d = polygon.d;
  // An index outside the point array would name a point that does not
  // exist (and reading it would run past the array): skip the record.
  if (!points || !InRange(a, pointCount) || !InRange(b, pointCount) || !InRange(c, pointCount) ||
      !InRange(d, pointCount)) {
    return Shape::Skipped;
  }
  if (c == d) return (a == b || b == c || c == a) ? Shape::Skipped : Shape::Triangle;
  if (IsPlanar(points[a], points[b], points[c], points[d])) {
    return (a == b || b == c || c == d || d == a) ? Shape::Skipped : Shape::Quadrangle;
  }
  const bool firstTriangle = !(a == b || b == c || c == a);
  const bool secondTriangle = !(c == d || d == a);
  if (firstTriangle) return secondTriangle ? Shape::SplitQuadrangle : Shape::FirstTriangle;
  // Only reachable with coordinates that are not numbers: the diagonal of
  // the skipped first triangle does not exist, so the second triangle gets a
  // closed loop of its own instead of naming a missing edge.
  return secondTriangle ? Shape::SecondTriangle : Shape::Skipped;
}

}  // namespace

void BuildPolygonTopology(const CPolygon* polygons, int32_t polygonCount,
                          const Vector* points, int32_t pointCount,
                          EdgeList& edges, FaceList& faces) {
  if (!polygons || polygonCount <= 0) return;
  // The shapes first, so that both lists are made at their final size: a
  // list that outgrows its reserve is copied whole and, for a large mesh,
  // holds twice its memory for a moment.
  std::vector<Shape> shapes(static_cast<std::size_t>(polygonCount));
  std::size_t edgeCount = 0;
  std::size_t faceCount = 0;
  for (int32_t i = 0; i < polygonCount; ++i) {
    const Shape shape = ShapeOf(polygons[i], points, pointCount);
    shapes[static_cast<std::size_t>(i)] = shape;
    switch (shape) {
      case Shape::Skipped: break;
      case Shape::Quadrangle: edgeCount += 4; faceCount += 1; break;
      case Shape::SplitQuadrangle: edgeCount += 5; faceCount += 2; break;
      default: edgeCount += 3; faceCount += 1; break;
    }
  }
  edges.reserve(edges.size() + edgeCount);
  faces.reserve(faces.size() + faceCount);
  TopologyBuilder builder(edges, faces);
  for (int32_t i = 0; i < polygonCount; ++i) {
    const int32_t a = polygons[i].a, b = polygons[i].b, c = polygons[i].c, d = polygons[i].d;
    switch (shapes[static_cast<std::size_t>(i)]) {
      case Shape::Skipped: break;
      case Shape::Triangle: builder.Loop({a, b, c}); break;
      case Shape::Quadrangle: builder.Loop({a, b, c, d}); break;
      case Shape::SplitQuadrangle: builder.TriangleOnDiagonal(builder.Loop({a, b, c}), c, d, a); break;
      case Shape::FirstTriangle: builder.Loop({a, b, c}); break;
      case Shape::SecondTriangle: builder.Loop({c, d, a}); break;
    }
  }
}
