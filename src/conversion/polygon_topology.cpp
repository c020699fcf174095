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
    std::vector<int> face{-diagonal};
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

}  // namespace

void BuildPolygonTopology(const CPolygon* polygons, int32_t polygonCount,
                          const Vector* points, int32_t pointCount,
                          EdgeList& edges, FaceList& faces) {
  if (!polygons || polygonCount <= 0) return;
  edges.reserve(edges.size() + static_cast<std::size_t>(polygonCount) * 4);
  faces.reserve(faces.size() + static_cast<std::size_t>(polygonCount));
  TopologyBuilder builder(edges, faces);
  for (int32_t i = 0; i < polygonCount; ++i) {
    const int32_t a = polygons[i].a, b = polygons[i].b, c = polygons[i].c, d = polygons[i].d;
    // An index outside the point array would name a point that does not
    // exist (and reading it would run past the array): skip the record.
    if (!points || !InRange(a, pointCount) || !InRange(b, pointCount) || !InRange(c, pointCount) ||
        !InRange(d, pointCount)) {
      continue;
    }
    if (c == d) {
      if (a == b || b == c || c == a) continue;
      builder.Loop({a, b, c});
      continue;
    }
    if (IsPlanar(points[a], points[b], points[c], points[d])) {
      if (a == b || b == c || c == d || d == a) continue;
      builder.Loop({a, b, c, d});
      continue;
    }
    const bool firstTriangle = !(a == b || b == c || c == a);
    const bool secondTriangle = !(c == d || d == a);
    if (firstTriangle) {
      const int diagonal = builder.Loop({a, b, c});
      if (secondTriangle) builder.TriangleOnDiagonal(diagonal, c, d, a);
    } else if (secondTriangle) {
      // Only reachable with coordinates that are not numbers: the diagonal of
      // the skipped first triangle does not exist, so the second triangle
      // gets a closed loop of its own instead of naming a missing edge.
      builder.Loop({c, d, a});
    }
  }
}
