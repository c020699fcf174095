// The Boole generator's solid operations through CGAL's corefinement: each
// input welded into one triangle mesh, checked to bound a volume, combined.
#include "boole.h"

#include <array>
#include <cmath>
#include <exception>
#include <map>
#include <tuple>

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Polygon_mesh_processing/corefinement.h>
#include <CGAL/Polygon_mesh_processing/orientation.h>
#include <CGAL/Polygon_mesh_processing/self_intersections.h>
#include <CGAL/Surface_mesh.h>
#include <CGAL/boost/graph/helpers.h>

namespace c4dgen {

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Mesh = CGAL::Surface_mesh<Kernel::Point_3>;
namespace PMP = CGAL::Polygon_mesh_processing;

double Distance2(const Vector64& p, const Vector64& q) {
  const double x = p.x - q.x, y = p.y - q.y, z = p.z - q.z;
  return x * x + y * y + z * z;
}

// The triangles of a polygon: a quadrangle split along its shorter diagonal;
// corners that repeat a point give none.
void Triangles(const Piece& piece, const CPolygon& p, std::vector<std::array<int32_t, 3>>& out) {
  const auto add = [&](int32_t a, int32_t b, int32_t c) {
    if (a != b && b != c && a != c) out.push_back({a, b, c});
  };
  if (p.c == p.d) return add(p.a, p.b, p.c);
  const std::vector<Vector64>& v = piece.points;
  if (Distance2(v[p.a], v[p.c]) <= Distance2(v[p.b], v[p.d])) {
    add(p.a, p.b, p.c), add(p.a, p.c, p.d);
  } else {
    add(p.a, p.b, p.d), add(p.b, p.c, p.d);
  }
}

size_t TriangleCount(const std::vector<Piece>& pieces) {
  size_t n = 0;
  for (const Piece& piece : pieces) {
    for (const CPolygon& p : piece.polygons) n += p.c == p.d ? 1 : 2;
  }
  return n;
}

// The mesh pieces merged into one surface, points at one place welded; why
// they cannot be, or empty.
std::string Merged(const std::vector<Piece>& pieces, Mesh& mesh) {
  std::map<std::tuple<double, double, double>, Mesh::Vertex_index> welded;
  std::vector<std::array<int32_t, 3>> triangles;
  for (const Piece& piece : pieces) {
    std::vector<Mesh::Vertex_index> vertices;
    vertices.reserve(piece.points.size());
    for (const Vector64& p : piece.points) {
      if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return "has a point that is not finite";
      auto [at, added] = welded.try_emplace({p.x, p.y, p.z});
      if (added) at->second = mesh.add_vertex(Kernel::Point_3(p.x, p.y, p.z));
      vertices.push_back(at->second);
    }
    triangles.clear();
    for (const CPolygon& p : piece.polygons) Triangles(piece, p, triangles);
    for (const auto& t : triangles) {
      const Mesh::Vertex_index a = vertices[size_t(t[0])], b = vertices[size_t(t[1])], c = vertices[size_t(t[2])];
      if (a == b || b == c || a == c) continue;  // corners welded together
      if (mesh.add_face(a, b, c) == Mesh::null_face()) return "is not a manifold surface (an edge joins more than two polygons)";
    }
  }
  return {};
}

// Why `mesh` (the `which` input) bounds no volume, or empty when it does;
// a closed solid turned inside out is turned round.
std::string Solid(const std::vector<Piece>& pieces, Mesh& mesh, const char* which) {
  const std::string input = std::string("the ") + which + " input ";
  if (std::string why = Merged(pieces, mesh); !why.empty()) return input + why;
  if (!CGAL::is_closed(mesh)) return input + "is not a closed solid (it has open edges)";
  if (PMP::does_self_intersect(mesh)) return input + "intersects itself";
  if (!PMP::does_bound_a_volume(mesh)) PMP::orient_to_bound_a_volume(mesh);
  return {};
}

void Written(const Mesh& mesh, Piece& result) {
  std::vector<int32_t> index(mesh.num_vertices());  // by vertex index, removed ones too
  for (Mesh::Vertex_index v : mesh.vertices()) {
    const Kernel::Point_3& p = mesh.point(v);
    index[v.idx()] = int32_t(result.points.size());
    result.points.push_back({p.x(), p.y(), p.z()});
  }
  for (Mesh::Face_index f : mesh.faces()) {
    std::array<int32_t, 3> corner{};
    size_t i = 0;
    for (Mesh::Vertex_index v : CGAL::vertices_around_face(mesh.halfedge(f), mesh)) {
      if (i < 3) corner[i++] = index[v.idx()];
    }
    result.polygons.push_back({corner[0], corner[1], corner[2], corner[2]});
  }
}

const Piece* FirstMesh(const std::vector<Piece>& pieces) {
  for (const Piece& piece : pieces) {
    if (!piece.polygons.empty()) return &piece;
  }
  return nullptr;
}

bool Combined(int mode, Mesh& a, Mesh& b, Mesh& out) {
  switch (mode) {
    case BOOLE_UNION: return PMP::corefine_and_compute_union(a, b, out);
    case BOOLE_INTERSECT: return PMP::corefine_and_compute_intersection(a, b, out);
    default: return PMP::corefine_and_compute_difference(a, b, out);
  }
}

}  // namespace

bool BooleMeshes(int mode, const std::vector<Piece>& a, const std::vector<Piece>& b, Piece& result, std::string& reason) {
  if (mode < BOOLE_UNION || mode > BOOLE_WITHOUT) {
    reason = "mode " + std::to_string(mode) + " unknown";
    return false;
  }
  const size_t triangles = TriangleCount(a) + TriangleCount(b);
  if (triangles > kMaxBooleTriangles) {
    reason = std::to_string(triangles) + " triangles (at most " + std::to_string(kMaxBooleTriangles) + ")";
    return false;
  }
  const Piece* first = FirstMesh(a);
  if (!first || !FirstMesh(b)) {
    reason = std::string("the ") + (first ? "second" : "first") + " input has no polygons";
    return false;
  }
  try {
    Mesh meshA, meshB, out;
    reason = Solid(a, meshA, "first");
    if (reason.empty()) reason = Solid(b, meshB, "second");
    if (!reason.empty()) return false;
    if (!Combined(mode, meshA, meshB, out)) {
      reason = "the boolean operation failed (its result would not be a manifold solid)";
      return false;
    }
    result = Piece{first->look, {}, {}, false};
    Written(out, result);
    return true;
  } catch (const std::exception& e) {
    reason = std::string("the boolean operation failed: ") + e.what();
    return false;
  }
}

}  // namespace c4dgen
