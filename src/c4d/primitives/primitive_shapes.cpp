// The meshes of the primitives. Solids of revolution (sphere, cylinder,
// cone, tube, disc) sweep a profile around the y axis; the others are made of
// lattices of quadrangles or triangles whose shared points are welded by
// their lattice position, so that neighbouring faces share their edge points
// exactly as a modeller's mesh does.
#include <array>
#include <cmath>
#include <numbers>
#include <unordered_map>

#include "primitives.h"

namespace c4dprim {

namespace {

constexpr double kPi = std::numbers::pi;

// Appends points and polygons; points with a key are made once.
class MeshBuilder {
 public:
  explicit MeshBuilder(uint64_t polygons) { mesh_.polygons.reserve(size_t(polygons)); }

  int32_t Add(double x, double y, double z) {
    mesh_.points.push_back({float(x), float(y), float(z)});
    return int32_t(mesh_.points.size() - 1);
  }
  // The point at a lattice position; three numbers below 2^21 each.
  template <class MakePoint>
  int32_t Welded(uint32_t i, uint32_t j, uint32_t k, MakePoint make) {
    const uint64_t key = (uint64_t(i) << 42) | (uint64_t(j) << 21) | uint64_t(k);
    const auto found = welded_.find(key);
    if (found != welded_.end()) return found->second;
    const std::array<double, 3> p = make();
    const int32_t index = Add(p[0], p[1], p[2]);
    welded_.emplace(key, index);
    return index;
  }
  void Quad(int32_t a, int32_t b, int32_t c, int32_t d) { mesh_.polygons.push_back({a, b, c, d}); }
  void Triangle(int32_t a, int32_t b, int32_t c) { mesh_.polygons.push_back({a, b, c, c}); }

  // Reverses every polygon whose normal points against `outward` of its
  // centre: lattices of convex solids and flat shapes are wound by this
  // rather than by hand, face by face.
  template <class Outward>
  void OrientPolygons(size_t from, Outward outward) {
    for (size_t n = from; n < mesh_.polygons.size(); ++n) {
      CPolygon& p = mesh_.polygons[n];
      const Vector& a = mesh_.points[size_t(p.a)];
      const Vector& b = mesh_.points[size_t(p.b)];
      const Vector& c = mesh_.points[size_t(p.c)];
      const Vector& d = mesh_.points[size_t(p.d)];
      const bool triangle = p.c == p.d;
      // Triangle: (b - a) x (c - a); quadrangle: (c - a) x (d - b).
      const double ux = triangle ? b.x - a.x : c.x - a.x, uy = triangle ? b.y - a.y : c.y - a.y,
                   uz = triangle ? b.z - a.z : c.z - a.z;
      const double vx = triangle ? c.x - a.x : d.x - b.x, vy = triangle ? c.y - a.y : d.y - b.y,
                   vz = triangle ? c.z - a.z : d.z - b.z;
      const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
      const double corners = triangle ? 3.0 : 4.0;
      const std::array<double, 3> o =
          outward((a.x + b.x + c.x + (triangle ? 0.0 : d.x)) / corners,
                  (a.y + b.y + c.y + (triangle ? 0.0 : d.y)) / corners,
                  (a.z + b.z + c.z + (triangle ? 0.0 : d.z)) / corners);
      if (nx * o[0] + ny * o[1] + nz * o[2] >= 0.0) continue;
      if (triangle) {
        std::swap(p.b, p.c);
        p.d = p.c;
      } else {
        std::swap(p.b, p.d);
      }
    }
  }
  template <class Outward>
  void OrientAll(Outward outward) { OrientPolygons(0, outward); }

  size_t PolygonsSoFar() const { return mesh_.polygons.size(); }
  PrimitiveMesh Take() { return std::move(mesh_); }

 private:
  PrimitiveMesh mesh_;
  std::unordered_map<uint64_t, int32_t> welded_;
};

std::array<double, 3> FromCentre(double x, double y, double z) { return {x, y, z}; }
std::array<double, 3> Up(double, double, double) { return {0.0, 1.0, 0.0}; }

// A grid of nu by nv quadrangles; `point(i, j)` gives the index of the
// point at lattice position (i, j), called once for each.
template <class Point>
void Grid(MeshBuilder& mesh, int32_t nu, int32_t nv, Point point) {
  std::vector<int32_t> index(size_t(nu + 1) * size_t(nv + 1));
  for (int32_t i = 0; i <= nu; ++i) {
    for (int32_t j = 0; j <= nv; ++j) index[size_t(i) * size_t(nv + 1) + size_t(j)] = point(i, j);
  }
  auto at = [&](int32_t i, int32_t j) { return index[size_t(i) * size_t(nv + 1) + size_t(j)]; };
  for (int32_t i = 0; i < nu; ++i) {
    for (int32_t j = 0; j < nv; ++j) mesh.Quad(at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j));
  }
}

// A triangle cut into f * f triangles: lattice position (i, j) with
// i + j <= f lies i steps towards the second corner and j towards the third.
template <class Point>
void TriangleLattice(MeshBuilder& mesh, int32_t f, Point point) {
  std::vector<int32_t> index(size_t(f + 1) * size_t(f + 1), -1);
  for (int32_t i = 0; i <= f; ++i) {
    for (int32_t j = 0; i + j <= f; ++j) index[size_t(i) * size_t(f + 1) + size_t(j)] = point(i, j);
  }
  auto at = [&](int32_t i, int32_t j) { return index[size_t(i) * size_t(f + 1) + size_t(j)]; };
  for (int32_t i = 0; i < f; ++i) {
    for (int32_t j = 0; i + j < f; ++j) {
      mesh.Triangle(at(i, j), at(i + 1, j), at(i, j + 1));
      if (i + j + 1 < f) mesh.Triangle(at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
    }
  }
}

// One point of a profile in the plane of the axis: distance from the y axis
// and height. A distance of 0 is a single point on the axis (pole, centre).
struct ProfilePoint {
  double radius;
  double y;
};

// Sweeps the profile around the y axis in n steps starting on +X. Walking
// the profile from one point to the next, the surface between them faces to
// the walker's right as seen from outside: down the outside of a wall, inward
// along a bottom, up an inner wall and outward along a top.
void Revolve(MeshBuilder& mesh, const std::vector<ProfilePoint>& profile, int32_t n, bool closed) {
  std::vector<int32_t> first(profile.size());
  std::vector<double> cosines(static_cast<size_t>(n)), sines(static_cast<size_t>(n));
  for (int32_t j = 0; j < n; ++j) {
    cosines[size_t(j)] = std::cos(2.0 * kPi * j / n);
    sines[size_t(j)] = std::sin(2.0 * kPi * j / n);
  }
  for (size_t k = 0; k < profile.size(); ++k) {
    const ProfilePoint& p = profile[k];
    if (p.radius == 0.0) {
      first[k] = mesh.Add(0.0, p.y, 0.0);
      continue;
    }
    first[k] = mesh.Add(p.radius * cosines[0], p.y, p.radius * sines[0]);
    for (int32_t j = 1; j < n; ++j) mesh.Add(p.radius * cosines[size_t(j)], p.y, p.radius * sines[size_t(j)]);
  }
  const size_t bands = closed ? profile.size() : profile.size() - 1;
  for (size_t k = 0; k < bands; ++k) {
    const size_t next = (k + 1) % profile.size();
    const bool pole = profile[k].radius == 0.0, nextPole = profile[next].radius == 0.0;
    if (pole && nextPole) continue;
    for (int32_t j = 0; j < n; ++j) {
      const int32_t j1 = (j + 1) % n;
      if (pole) {
        mesh.Triangle(first[k], first[next] + j1, first[next] + j);
      } else if (nextPole) {
        mesh.Triangle(first[k] + j, first[k] + j1, first[next]);
      } else {
        mesh.Quad(first[k] + j, first[k] + j1, first[next] + j1, first[next] + j);
      }
    }
  }
}

// `count` steps from (r0, y0) to (r1, y1), the first point left out.
void Line(std::vector<ProfilePoint>& profile, double r0, double y0, double r1, double y1, int32_t count) {
  for (int32_t k = 1; k <= count; ++k) {
    const double t = double(k) / count;
    profile.push_back({r0 + (r1 - r0) * t, y0 + (y1 - y0) * t});
  }
}

PrimitiveMesh Build(const CubeShape& s, uint64_t polygons) {
  MeshBuilder mesh(polygons);
  const int32_t n[3] = {s.segments[0], s.segments[1], s.segments[2]};
  const double half[3] = {s.size.x / 2.0, s.size.y / 2.0, s.size.z / 2.0};
  // Points by their lattice position (i, j, k) on the box's surface.
  auto lattice = [&](int32_t i, int32_t j, int32_t k) {
    return mesh.Welded(uint32_t(i), uint32_t(j), uint32_t(k), [&] {
      return std::array<double, 3>{-half[0] + 2.0 * half[0] * i / n[0], -half[1] + 2.0 * half[1] * j / n[1],
                                   -half[2] + 2.0 * half[2] * k / n[2]};
    });
  };
  for (int32_t side = 0; side < 2; ++side) {
    Grid(mesh, n[0], n[2], [&](int32_t i, int32_t k) { return lattice(i, side * n[1], k); });
    Grid(mesh, n[1], n[2], [&](int32_t j, int32_t k) { return lattice(side * n[0], j, k); });
    Grid(mesh, n[0], n[1], [&](int32_t i, int32_t j) { return lattice(i, j, side * n[2]); });
  }
  mesh.OrientAll(FromCentre);
  return mesh.Take();
}

// The twelve corners of an icosahedron on the unit sphere, one on each
// pole, and its twenty faces.
void Icosahedron(std::array<std::array<double, 3>, 12>& corners, std::array<std::array<int, 3>, 20>& faces) {
  const double ringY = 1.0 / std::sqrt(5.0), ringR = 2.0 / std::sqrt(5.0);
  corners[0] = {0.0, 1.0, 0.0};
  corners[11] = {0.0, -1.0, 0.0};
  for (int k = 0; k < 5; ++k) {
    const double upper = 2.0 * kPi * k / 5.0, lower = upper + kPi / 5.0;
    corners[size_t(1 + k)] = {ringR * std::cos(upper), ringY, ringR * std::sin(upper)};
    corners[size_t(6 + k)] = {ringR * std::cos(lower), -ringY, ringR * std::sin(lower)};
  }
  for (int k = 0; k < 5; ++k) {
    const int u = 1 + k, u1 = 1 + (k + 1) % 5, l = 6 + k, l1 = 6 + (k + 1) % 5;
    faces[size_t(4 * k)] = {0, u, u1};
    faces[size_t(4 * k + 1)] = {u, l, u1};
    faces[size_t(4 * k + 2)] = {u1, l, l1};
    faces[size_t(4 * k + 3)] = {11, l1, l};
  }
}

PrimitiveMesh BuildIcosahedron(const SphereShape& s, uint64_t polygons) {
  MeshBuilder mesh(polygons);
  const int32_t f = std::max(1, s.segments / 5);
  std::array<std::array<double, 3>, 12> corners;
  std::array<std::array<int, 3>, 20> faces;
  Icosahedron(corners, faces);
  auto onSphere = [&](const int (&ids)[3], const int32_t (&weights)[3]) {
    double p[3] = {0.0, 0.0, 0.0};
    for (int c = 0; c < 3 && weights[c] > 0; ++c) {
      for (int axis = 0; axis < 3; ++axis) p[axis] += corners[size_t(ids[c])][size_t(axis)] * weights[c];
    }
    const double length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    return std::array<double, 3>{s.radius * p[0] / length, s.radius * p[1] / length, s.radius * p[2] / length};
  };
  for (const auto& face : faces) {
    TriangleLattice(mesh, f, [&](int32_t i, int32_t j) {
      const int32_t weights[3] = {f - i - j, i, j};
      // Corners and edge points are welded by the corners they lie between
      // (the lower id first) and the weight of the higher one; a point
      // inside the face belongs to it alone.
      int ids[3] = {-1, -1, -1};
      int32_t w[3] = {0, 0, 0};
      int used = 0;
      for (int c = 0; c < 3; ++c) {
        if (weights[c] == 0) continue;
        ids[used] = face[size_t(c)];
        w[used++] = weights[c];
      }
      if (used == 3) {
        const std::array<double, 3> p = onSphere(ids, w);
        return mesh.Add(p[0], p[1], p[2]);
      }
      if (used == 2 && ids[0] > ids[1]) {
        std::swap(ids[0], ids[1]);
        std::swap(w[0], w[1]);
      }
      const uint32_t low = uint32_t(ids[0]), high = uint32_t(used == 2 ? ids[1] : ids[0]);
      return mesh.Welded(low, high, uint32_t(used == 2 ? w[1] : 0), [&] { return onSphere(ids, w); });
    });
  }
  mesh.OrientAll(FromCentre);
  return mesh.Take();
}

PrimitiveMesh Build(const SphereShape& s, uint64_t polygons) {
  if (s.icosahedron) return BuildIcosahedron(s, polygons);
  MeshBuilder mesh(polygons);
  const int32_t rows = s.segments / 2;
  std::vector<ProfilePoint> profile;
  for (int32_t k = 0; k <= rows; ++k) {
    const double angle = kPi * k / rows;
    // The poles lie exactly on the axis.
    profile.push_back({k == 0 || k == rows ? 0.0 : s.radius * std::sin(angle), s.radius * std::cos(angle)});
  }
  Revolve(mesh, profile, s.segments, false);
  return mesh.Take();
}

// The profile of a capped body from the top centre round to the bottom
// centre: top cap outward, the wall down, bottom cap inward.
std::vector<ProfilePoint> CappedProfile(double top, double bottom, double height, int32_t heightSegments,
                                        int32_t capSegments, bool caps) {
  const double y = height / 2.0;
  std::vector<ProfilePoint> profile;
  if (caps && top > 0.0) {
    profile.push_back({0.0, y});
    Line(profile, 0.0, y, top, y, capSegments);
  } else {
    profile.push_back({top, y});
  }
  Line(profile, top, y, bottom, -y, heightSegments);
  if (caps && bottom > 0.0) Line(profile, bottom, -y, 0.0, -y, capSegments);
  return profile;
}

PrimitiveMesh Build(const CylinderShape& s, uint64_t polygons) {
  MeshBuilder mesh(polygons);
  Revolve(mesh, CappedProfile(s.radius, s.radius, s.height, s.heightSegments, s.capSegments, s.caps),
          s.rotationSegments, false);
  return mesh.Take();
}

PrimitiveMesh Build(const ConeShape& s, uint64_t polygons) {
  MeshBuilder mesh(polygons);
  Revolve(mesh, CappedProfile(s.topRadius, s.bottomRadius, s.height, s.heightSegments, s.capSegments, s.caps),
          s.rotationSegments, false);
  return mesh.Take();
}

PrimitiveMesh Build(const TubeShape& s, uint64_t polygons) {
  MeshBuilder mesh(polygons);
  const double y = s.height / 2.0, outer = s.outerRadius, inner = s.innerRadius;
  std::vector<ProfilePoint> profile{{outer, y}};
  Line(profile, outer, y, outer, -y, s.heightSegments);
  Line(profile, outer, -y, inner, -y, s.capSegments);
  Line(profile, inner, -y, inner, y, s.heightSegments);
  // The top ring outward; its last point is the profile's first.
  for (int32_t k = 1; k < s.capSegments; ++k) profile.push_back({inner + (outer - inner) * k / s.capSegments, y});
  Revolve(mesh, profile, s.rotationSegments, true);
  return mesh.Take();
}

PrimitiveMesh Build(const DiscShape& s, uint64_t polygons) {
  MeshBuilder mesh(polygons);
  std::vector<ProfilePoint> profile{{s.innerRadius, 0.0}};
  Line(profile, s.innerRadius, 0.0, s.outerRadius, 0.0, s.ringSegments);
  Revolve(mesh, profile, s.rotationSegments, false);
  return mesh.Take();
}

PrimitiveMesh Build(const PlaneShape& s, uint64_t polygons) {
  MeshBuilder mesh(polygons);
  Grid(mesh, s.widthSegments, s.heightSegments, [&](int32_t i, int32_t j) {
    return mesh.Add(s.width * (double(i) / s.widthSegments - 0.5), 0.0,
                    s.height * (double(j) / s.heightSegments - 0.5));
  });
  mesh.OrientAll(Up);
  return mesh.Take();
}

PrimitiveMesh Build(const PyramidShape& s, uint64_t polygons) {
  MeshBuilder mesh(polygons);
  const int32_t n = s.segments;
  // Row k (0 at the apex, n at the base) is a square ring; x and z run from
  // -k to k in steps of 2 on it, shifted by n to stay unsigned in the key.
  auto lattice = [&](int32_t k, int32_t x, int32_t z) {
    return mesh.Welded(uint32_t(k), uint32_t(x + n), uint32_t(z + n), [&] {
      return std::array<double, 3>{s.size.x / 2.0 * x / n, s.size.y / 2.0 - double(s.size.y) * k / n,
                                   s.size.z / 2.0 * z / n};
    });
  };
  // The four sides as triangle lattices from the apex: (i, j) is row i + j,
  // j steps along it.
  const int32_t dx[4] = {-1, 1, 1, -1}, dz[4] = {1, 1, -1, -1};
  for (int side = 0; side < 4; ++side) {
    const int next = (side + 1) % 4;
    TriangleLattice(mesh, n, [&](int32_t i, int32_t j) {
      const int32_t k = i + j;
      return lattice(k, dx[side] * i + dx[next] * j, dz[side] * i + dz[next] * j);
    });
  }
  Grid(mesh, n, n, [&](int32_t i, int32_t j) { return lattice(n, 2 * i - n, 2 * j - n); });
  mesh.OrientAll(FromCentre);
  return mesh.Take();
}

PrimitiveMesh Build(const PolygonShape& s, uint64_t polygons) {
  MeshBuilder mesh(polygons);
  const int32_t n = s.segments;
  if (s.triangle) {
    // Base along -z, apex on +z, centred on x.
    TriangleLattice(mesh, n, [&](int32_t i, int32_t j) {
      const double u = double(i) / n, v = double(j) / n;
      return mesh.Add(s.width * (-0.5 + u + 0.5 * v), 0.0, s.height * (-0.5 + v));
    });
  } else {
    Grid(mesh, n, n, [&](int32_t i, int32_t j) {
      return mesh.Add(s.width * (double(i) / n - 0.5), 0.0, s.height * (double(j) / n - 0.5));
    });
  }
  mesh.OrientAll(Up);
  return mesh.Take();
}

// Turns a mesh built along +Y onto its axis: a rotation, so the polygons
// keep facing outward.
void Orient(PrimitiveMesh& mesh, Orientation orientation) {
  for (Vector& p : mesh.points) {
    const Vector q = p;
    switch (orientation) {
      case Orientation::PlusX: p = {q.y, -q.x, q.z}; break;
      case Orientation::MinusX: p = {-q.y, q.x, q.z}; break;
      case Orientation::PlusY: break;
      case Orientation::MinusY: p = {q.x, -q.y, -q.z}; break;
      case Orientation::PlusZ: p = {q.x, -q.z, q.y}; break;
      case Orientation::MinusZ: p = {q.x, q.z, -q.y}; break;
    }
  }
}

uint64_t U(int32_t n) { return uint64_t(n); }

struct Counter {
  uint64_t operator()(const CubeShape& s) const {
    const uint64_t x = U(s.segments[0]), y = U(s.segments[1]), z = U(s.segments[2]);
    return 2 * (x * y + y * z + x * z);
  }
  uint64_t operator()(const SphereShape& s) const {
    if (s.icosahedron) {
      const uint64_t f = U(std::max(1, s.segments / 5));
      return 20 * f * f;
    }
    return U(s.segments) * U(s.segments / 2);
  }
  uint64_t operator()(const CylinderShape& s) const {
    return U(s.rotationSegments) * (U(s.heightSegments) + (s.caps && s.radius > 0.0f ? 2 * U(s.capSegments) : 0));
  }
  uint64_t operator()(const ConeShape& s) const {
    const uint64_t caps = s.caps ? (s.topRadius > 0.0f) + (s.bottomRadius > 0.0f) : 0;
    const uint64_t wall = s.topRadius > 0.0f || s.bottomRadius > 0.0f ? U(s.heightSegments) : 0;
    return U(s.rotationSegments) * (wall + caps * U(s.capSegments));
  }
  uint64_t operator()(const TubeShape& s) const {
    return U(s.rotationSegments) * 2 * (U(s.heightSegments) + U(s.capSegments));
  }
  uint64_t operator()(const DiscShape& s) const { return U(s.rotationSegments) * U(s.ringSegments); }
  uint64_t operator()(const PlaneShape& s) const { return U(s.widthSegments) * U(s.heightSegments); }
  uint64_t operator()(const PyramidShape& s) const { return 5 * U(s.segments) * U(s.segments); }
  uint64_t operator()(const PolygonShape& s) const { return U(s.segments) * U(s.segments); }
};

}  // namespace

uint64_t PolygonCount(const PrimitiveShape& shape) { return std::visit(Counter{}, shape); }

PrimitiveMesh BuildPrimitiveMesh(const PrimitiveShape& shape) {
  const uint64_t polygons = PolygonCount(shape);
  if (polygons > kMaxPrimitivePolygons) return {};
  PrimitiveMesh mesh = std::visit([&](const auto& s) { return Build(s, polygons); }, shape);
  std::visit(
      [&](const auto& s) {
        if constexpr (requires { s.orientation; }) Orient(mesh, s.orientation);
      },
      shape);
  return mesh;
}

}  // namespace c4dprim
