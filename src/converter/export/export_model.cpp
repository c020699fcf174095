#include "export_model.h"

#include "import_run.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <tuple>

namespace c4dexport {

namespace {

constexpr size_t kFileNodeNameLength = 28;

Point3 PointOf(const CQEL_SmartPtr<CQEL_GeoPoint3D>& point) {
  if (!point) return {0.0, 0.0, 0.0};
  return {point->X(), point->Y(), point->Z()};
}

std::vector<Point3> PointsOf(const CQEL_GeoPolyhedron3D::PointList& list) {
  std::vector<Point3> points;
  points.reserve(list.size());
  for (const auto& point : list) points.push_back(PointOf(point));
  return points;
}

// Why an object with these points cannot be written, or null. No format
// holds a coordinate that is not a finite number, and most keep floats: one
// beyond a float would come out infinite. Every point counts, also one that
// no face uses (every point is written).
const char* Unwritable(const std::vector<Point3>& points) {
  for (const Point3& point : points) {
    for (const double v : point) {
      if (!std::isfinite(v)) return "a point that is not a finite number";
      if (std::fabs(v) > double(FLT_MAX)) return "a point beyond what a float holds";
    }
  }
  return nullptr;
}

// The corners of a face: the start of each edge as the face walks it. Empty
// when an edge number names no edge or the edges do not join up.
std::vector<uint32_t> FaceCorners(const std::vector<int>& face, const CQEL_GeoPolyhedron3D::EdgeList& edges,
                                  size_t pointCount) {
  std::vector<uint32_t> corners;
  corners.reserve(face.size());
  unsigned previousEnd = 0;
  unsigned firstStart = 0;
  for (const int entry : face) {
    const uint64_t number = entry < 0 ? -int64_t(entry) : int64_t(entry);
    if (number == 0 || number > edges.size()) return {};
    auto [from, to] = edges[number - 1];
    if (entry < 0) std::swap(from, to);
    if (from == 0 || from > pointCount || to == 0 || to > pointCount) return {};
    if (corners.empty()) {
      firstStart = from;
    } else if (from != previousEnd) {
      return {};
    }
    corners.push_back(from - 1);
    previousEnd = to;
  }
  if (corners.size() < 3 || previousEnd != firstStart) return {};
  return corners;
}

struct MaterialKey {
  unsigned char argb[4];
  std::string surface;
  bool operator<(const MaterialKey& other) const {
    return std::tie(argb[0], argb[1], argb[2], argb[3], surface) <
           std::tie(other.argb[0], other.argb[1], other.argb[2], other.argb[3], other.surface);
  }
};

std::string SurfaceStem(const std::string& surface) {
  const size_t slash = surface.find_last_of("/\\");
  std::string stem = slash == std::string::npos ? surface : surface.substr(slash + 1);
  const size_t dot = stem.rfind('.');
  if (dot != std::string::npos && dot > 0) stem.erase(dot);
  return stem;
}

// "col06_trans050" after the surface file; "Colour_CC1919" or
// "Colour_FF0000_T50" after colour and transparency otherwise.
std::string MaterialBaseName(const MaterialKey& key) {
  if (!key.surface.empty()) {
    const std::string stem = SurfaceStem(key.surface);
    if (!stem.empty()) return stem;
  }
  char name[40];
  std::snprintf(name, sizeof name, "Colour_%02X%02X%02X", key.argb[1], key.argb[2], key.argb[3]);
  std::string text = name;
  if (key.argb[0]) text += "_T" + std::to_string(key.argb[0]);
  return text;
}

class SceneBuilder {
 public:
  SceneBuilder(const std::vector<ExportLayer>& layers, const std::string& fileNodeName) : m_layers(layers) {
    m_scene.fileNode = fileNodeName;
    m_scene.groups.push_back({fileNodeName, {"Cinema4D"}, 0});
    const std::vector<std::string> filePath = {"Cinema4D", fileNodeName};
    for (size_t i = 0; i < layers.size(); ++i) {
      m_leafById.emplace(layers[i].id, i);
      if (layers[i].path == filePath) GroupOfLeaf(i);
    }
  }

  void Add(size_t number, const CQEL_SmartPtr<CQEL_Object>& object) {
    // Read back from the host as every front end of the converter reads it.
    const c4dimport::ObjectView view = c4dimport::ViewObject(object);
    if (!view.basis) return Skip(number, "not a polyhedron");
    const CQEL_GeoPolyhedron3D* polyhedron = view.geometry;
    if (!polyhedron) return Skip(number, "no geometry");
    const unsigned layer = view.layer;
    MaterialKey key{{view.argb[0], view.argb[1], view.argb[2], view.argb[3]}, view.surface};

    switch (polyhedron->GetDimension()) {
      case QEL_DIMENSION_3D: return AddMesh(number, *polyhedron, GroupOfLayer(layer), MaterialOf(key));
      case QEL_DIMENSION_1D: return AddPolyline(number, *polyhedron, GroupOfLayer(layer), MaterialOf(key));
      default: return Skip(number, "a polyhedron of dimension " + std::to_string(int(polyhedron->GetDimension())));
    }
  }

  ExportScene Take() { return std::move(m_scene); }

 private:
  void Skip(size_t number, const std::string& reason) { m_scene.skipped.push_back({number, reason}); }

  void AddMesh(size_t number, const CQEL_GeoPolyhedron3D& polyhedron, size_t group, size_t material) {
    ExportMesh mesh;
    mesh.objectNumber = number;
    mesh.group = group;
    mesh.material = material;
    mesh.points = PointsOf(polyhedron.GetPoints());
    if (const char* reason = Unwritable(mesh.points)) return Skip(number, reason);
    const auto& faces = polyhedron.GetFaces();
    mesh.polygons.reserve(faces.size());
    for (const std::vector<int>& face : faces) {
      std::vector<uint32_t> corners = FaceCorners(face, polyhedron.GetEdges(), mesh.points.size());
      if (corners.empty()) {
        ++m_scene.brokenFaces;
      } else {
        mesh.polygons.push_back(std::move(corners));
      }
    }
    if (mesh.polygons.empty()) return Skip(number, "a mesh without faces");
    m_scene.meshes.push_back(std::move(mesh));
  }

  void AddPolyline(size_t number, const CQEL_GeoPolyhedron3D& polyhedron, size_t group, size_t material) {
    const auto& list = polyhedron.GetPoints();
    ExportPolyline line;
    line.objectNumber = number;
    line.group = group;
    line.material = material;
    // A closed polyline repeats its first point object at the end.
    line.closed = list.size() > 1 && list.front().Get() == list.back().Get();
    line.points = PointsOf(list);
    if (const char* reason = Unwritable(line.points)) return Skip(number, reason);
    if (line.closed) line.points.pop_back();
    if (line.points.size() < 2) return Skip(number, "a polyline of one point");
    m_scene.polylines.push_back(std::move(line));
  }

  size_t GroupOfLayer(unsigned id) {
    const auto leaf = m_leafById.find(id);
    return leaf == m_leafById.end() ? 0 : GroupOfLeaf(leaf->second);
  }

  size_t GroupOfLeaf(size_t leaf) {
    const auto found = m_groupOfLeaf.find(leaf);
    if (found != m_groupOfLeaf.end()) return found->second;
    const ExportLayer& layer = m_layers[leaf];
    m_scene.groups.push_back({layer.name, layer.path, layer.id});
    return m_groupOfLeaf[leaf] = m_scene.groups.size() - 1;
  }

  size_t MaterialOf(const MaterialKey& key) {
    const auto found = m_materialOfKey.find(key);
    if (found != m_materialOfKey.end()) return found->second;
    ExportMaterial material;
    std::copy(std::begin(key.argb), std::end(key.argb), material.argb);
    material.surface = key.surface;
    const std::string base = MaterialBaseName(key);
    material.name = base;
    for (int n = 2; !m_materialNames.insert(material.name).second; ++n) material.name = base + "_" + std::to_string(n);
    m_scene.materials.push_back(std::move(material));
    return m_materialOfKey[key] = m_scene.materials.size() - 1;
  }

  const std::vector<ExportLayer>& m_layers;
  ExportScene m_scene;
  std::map<unsigned, size_t> m_leafById;
  std::map<size_t, size_t> m_groupOfLeaf;
  std::map<MaterialKey, size_t> m_materialOfKey;
  std::set<std::string> m_materialNames;
};

// ---- triangulation ------------------------------------------------------------------

// The axis that the polygon's normal stands most upright on: the one to drop
// when projecting it flat.
int DroppedAxis(const std::vector<Point3>& points, const std::vector<uint32_t>& polygon) {
  // Newell's normal: robust for any simple polygon.
  double normal[3] = {0, 0, 0};
  for (size_t i = 0; i < polygon.size(); ++i) {
    const Point3& a = points[polygon[i]];
    const Point3& b = points[polygon[(i + 1) % polygon.size()]];
    normal[0] += (a[1] - b[1]) * (a[2] + b[2]);
    normal[1] += (a[2] - b[2]) * (a[0] + b[0]);
    normal[2] += (a[0] - b[0]) * (a[1] + b[1]);
  }
  if (std::fabs(normal[0]) >= std::fabs(normal[1]) && std::fabs(normal[0]) >= std::fabs(normal[2])) return 0;
  return std::fabs(normal[1]) >= std::fabs(normal[2]) ? 1 : 2;
}

std::array<double, 2> Flat(const Point3& p, int drop) { return {p[drop == 0 ? 1 : 0], p[drop == 2 ? 1 : 2]}; }

// The polygon's corners projected onto the plane its normal stands most
// upright on, as 2D points.
std::vector<std::array<double, 2>> Projected(const std::vector<Point3>& points, const std::vector<uint32_t>& polygon) {
  const int drop = DroppedAxis(points, polygon);
  std::vector<std::array<double, 2>> flat;
  flat.reserve(polygon.size());
  for (uint32_t index : polygon) flat.push_back(Flat(points[index], drop));
  return flat;
}

double Cross(const std::array<double, 2>& a, const std::array<double, 2>& b, const std::array<double, 2>& c) {
  return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
}

// Ears cut from the polygon, as corner positions; `resume` looks for the next
// ear where the last one was cut rather than from the first corner.
std::vector<std::array<uint32_t, 3>> ClipEars(const std::vector<Point3>& points, const std::vector<uint32_t>& polygon,
                                              bool resume);

}  // namespace

Transform IdentityTransform() {
  Transform t{};
  for (int i = 0; i < 4; ++i) t[i][i] = 1.0;
  return t;
}

Transform Multiply(const Transform& a, const Transform& b) {
  Transform t{};
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      for (int k = 0; k < 4; ++k) t[r][c] += a[r][k] * b[k][c];
    }
  }
  return t;
}

Transform Inverse(const Transform& t) {
  // The linear part by its adjugate, then the offset moved back.
  const auto& m = t;
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  if (!std::isfinite(det) || std::fabs(det) < 1e-300) return IdentityTransform();
  Transform inv = IdentityTransform();
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
      inv[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
    }
  }
  for (int r = 0; r < 3; ++r) inv[r][3] = -(inv[r][0] * m[0][3] + inv[r][1] * m[1][3] + inv[r][2] * m[2][3]);
  return inv;
}

Point3 Apply(const Transform& t, const Point3& p) {
  Point3 q{};
  for (int r = 0; r < 3; ++r) q[r] = t[r][0] * p[0] + t[r][1] * p[1] + t[r][2] * p[2] + t[r][3];
  return q;
}

Point3 ApplyToDirection(const Transform& t, const Point3& d) {
  Point3 q{};
  for (int r = 0; r < 3; ++r) q[r] = t[r][0] * d[0] + t[r][1] * d[1] + t[r][2] * d[2];
  return q;
}

double ExportSceneCamera::HorizontalFov() const {
  if (!(focalLength > 0.0) || !(filmWidth > 0.0)) return 0.927;
  return 2.0 * std::atan(filmWidth / (2.0 * focalLength));
}

namespace {

std::vector<Point3> ToNode(const ExportScene& scene, int node, const std::vector<Point3>& points) {
  if (node < 0 || size_t(node) >= scene.nodes.size()) return points;
  const Transform toLocal = Inverse(scene.nodes[size_t(node)].global);
  std::vector<Point3> local;
  local.reserve(points.size());
  for (const Point3& p : points) local.push_back(Apply(toLocal, p));
  return local;
}

}  // namespace

std::vector<Point3> LocalPoints(const ExportScene& scene, const ExportMesh& mesh) {
  return ToNode(scene, mesh.node, mesh.points);
}

std::vector<Point3> LocalPoints(const ExportScene& scene, const ExportPolyline& polyline) {
  return ToNode(scene, polyline.node, polyline.points);
}

std::vector<Point3> LocalNormals(const ExportScene& scene, const ExportMesh& mesh) {
  if (mesh.node < 0 || size_t(mesh.node) >= scene.nodes.size()) return mesh.cornerNormals;
  // Normals turn with the inverse transpose of the node's frame.
  const Transform& g = scene.nodes[size_t(mesh.node)].global;
  std::vector<Point3> local;
  local.reserve(mesh.cornerNormals.size());
  for (const Point3& n : mesh.cornerNormals) {
    Point3 q{g[0][0] * n[0] + g[1][0] * n[1] + g[2][0] * n[2], g[0][1] * n[0] + g[1][1] * n[1] + g[2][1] * n[2],
             g[0][2] * n[0] + g[1][2] * n[1] + g[2][2] * n[2]};
    const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]);
    if (length > 0.0) q = {q[0] / length, q[1] / length, q[2] / length};
    local.push_back(q);
  }
  return local;
}

double ExportMaterial::Opacity() const {
  if (fromScene) return std::clamp(opacity, 0.0, 1.0);
  return std::clamp(1.0 - argb[0] / 100.0, 0.0, 1.0);
}

std::vector<std::array<uint32_t, 2>> ExportPolyline::Segments() const {
  std::vector<std::array<uint32_t, 2>> segments;
  if (points.size() < 2) return segments;
  for (uint32_t i = 0; i + 1 < points.size(); ++i) segments.push_back({i, i + 1});
  if (closed) segments.push_back({uint32_t(points.size() - 1), 0});
  return segments;
}

ExportScene BuildExportScene(const std::vector<CQEL_SmartPtr<CQEL_Object>>& objects,
                             const std::vector<ExportLayer>& layers, const std::string& fileNodeName) {
  SceneBuilder builder(layers, fileNodeName);
  for (size_t i = 0; i < objects.size(); ++i) builder.Add(i + 1, objects[i]);
  return builder.Take();
}

std::string FileNodeName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name.substr(0, kFileNodeNameLength);
}

std::vector<std::array<uint32_t, 3>> TriangulatePolygon(const std::vector<Point3>& points,
                                                        const std::vector<uint32_t>& polygon) {
  return ClipEars(points, polygon, false);
}

namespace {

std::vector<std::array<uint32_t, 3>> ClipEars(const std::vector<Point3>& points, const std::vector<uint32_t>& polygon,
                                              bool resume) {
  std::vector<std::array<uint32_t, 3>> triangles;
  const size_t n = polygon.size();
  if (n < 3) return triangles;
  if (n == 3) return {{0, 1, 2}};
  const std::vector<std::array<double, 2>> flat = Projected(points, polygon);
  double area = 0;
  for (size_t i = 0; i < n; ++i) area += Cross({0, 0}, flat[i], flat[(i + 1) % n]);
  const double sense = area < 0 ? -1.0 : 1.0;

  std::vector<uint32_t> left(n);
  for (uint32_t i = 0; i < n; ++i) left[i] = i;
  auto isEar = [&](size_t at) {
    const size_t m = left.size();
    const auto& a = flat[left[(at + m - 1) % m]];
    const auto& b = flat[left[at]];
    const auto& c = flat[left[(at + 1) % m]];
    if (sense * Cross(a, b, c) <= 0) return false;  // a reflex corner
    for (size_t k = 0; k < m; ++k) {
      if (k == at || k == (at + 1) % m || k == (at + m - 1) % m) continue;
      const auto& p = flat[left[k]];
      if (p == a || p == b || p == c) continue;  // the other end of a bridge to a hole
      if (sense * Cross(a, b, p) >= 0 && sense * Cross(b, c, p) >= 0 && sense * Cross(c, a, p) >= 0) return false;
    }
    return true;
  };
  size_t from = 0;
  while (left.size() > 3) {
    const size_t m = left.size();
    size_t ear = m;
    for (size_t k = 0; k < m && ear == m; ++k) {
      if (isEar((from + k) % m)) ear = (from + k) % m;
    }
    if (ear == m) ear = 0;  // nothing clean is left (a flat or self-touching outline): cut the first corner
    // Resuming where the last ear was cut finds the next one at once on
    // large, mostly convex outlines.
    if (resume) from = ear == 0 ? 0 : ear - 1;
    triangles.push_back({left[(ear + m - 1) % m], left[ear], left[(ear + 1) % m]});
    left.erase(left.begin() + static_cast<std::ptrdiff_t>(ear));
  }
  triangles.push_back({left[0], left[1], left[2]});
  return triangles;
}

bool SegmentsCross(const std::array<double, 2>& a, const std::array<double, 2>& b, const std::array<double, 2>& c,
                   const std::array<double, 2>& d) {
  if (a == c || a == d || b == c || b == d) return false;  // sharing an end is no crossing
  const double d1 = Cross(a, b, c), d2 = Cross(a, b, d), d3 = Cross(c, d, a), d4 = Cross(c, d, b);
  return ((d1 > 0) != (d2 > 0) || d1 == 0 || d2 == 0) && ((d3 > 0) != (d4 > 0) || d3 == 0 || d4 == 0) &&
         !(d1 == 0 && d2 == 0);
}

// Whether the bridge from a to b crosses an edge of one of the loops.
bool BridgeCrosses(const std::array<double, 2>& a, const std::array<double, 2>& b,
                   const std::vector<const std::vector<uint32_t>*>& loops, const std::vector<Point3>& points,
                   int drop) {
  for (const std::vector<uint32_t>* loop : loops) {
    for (size_t i = 0; i < loop->size(); ++i) {
      const auto c = Flat(points[(*loop)[i]], drop), d = Flat(points[(*loop)[(i + 1) % loop->size()]], drop);
      if (SegmentsCross(a, b, c, d)) return true;
    }
  }
  return false;
}

// Joins the hole into the outline by a bridge from its corner furthest along
// the first flat axis to a near outline corner the bridge can see.
void BridgeHole(const std::vector<Point3>& points, int drop, std::vector<uint32_t>& outline,
                const std::vector<uint32_t>& hole, const std::vector<const std::vector<uint32_t>*>& loops) {
  size_t start = 0;
  for (size_t i = 1; i < hole.size(); ++i) {
    if (Flat(points[hole[i]], drop)[0] > Flat(points[hole[start]], drop)[0]) start = i;
  }
  const auto h = Flat(points[hole[start]], drop);
  std::vector<std::pair<double, size_t>> near;
  near.reserve(outline.size());
  for (size_t i = 0; i < outline.size(); ++i) {
    const auto o = Flat(points[outline[i]], drop);
    near.push_back({(o[0] - h[0]) * (o[0] - h[0]) + (o[1] - h[1]) * (o[1] - h[1]), i});
  }
  constexpr size_t kTried = 32;  // nearest corners tried; bounds the work per hole
  const size_t tried = std::min(kTried, near.size());
  std::partial_sort(near.begin(), near.begin() + static_cast<std::ptrdiff_t>(tried), near.end());
  size_t at = near[0].second;
  for (size_t k = 0; k < tried; ++k) {
    if (!BridgeCrosses(h, Flat(points[outline[near[k].second]], drop), loops, points, drop)) {
      at = near[k].second;
      break;
    }
  }
  std::vector<uint32_t> joined(outline.begin(), outline.begin() + static_cast<std::ptrdiff_t>(at) + 1);
  for (size_t k = 0; k <= hole.size(); ++k) joined.push_back(hole[(start + k) % hole.size()]);
  joined.insert(joined.end(), outline.begin() + static_cast<std::ptrdiff_t>(at), outline.end());
  outline = std::move(joined);
}

}  // namespace

std::vector<std::array<uint32_t, 3>> TriangulateWithHoles(const std::vector<Point3>& points,
                                                          const std::vector<uint32_t>& outer,
                                                          const std::vector<std::vector<uint32_t>>& holes) {
  if (outer.size() < 3) return {};
  const int drop = DroppedAxis(points, outer);
  std::vector<const std::vector<uint32_t>*> order;
  for (const auto& hole : holes) {
    if (hole.size() >= 3) order.push_back(&hole);
  }
  auto reach = [&](const std::vector<uint32_t>* loop) {
    double most = -HUGE_VAL;
    for (uint32_t i : *loop) most = std::max(most, Flat(points[i], drop)[0]);
    return most;
  };
  std::vector<std::pair<double, const std::vector<uint32_t>*>> byReach;
  for (const auto* hole : order) byReach.push_back({reach(hole), hole});
  std::sort(byReach.begin(), byReach.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<uint32_t> outline = outer;
  std::vector<const std::vector<uint32_t>*> loops{&outline};
  for (const auto& entry : byReach) loops.push_back(entry.second);
  for (const auto& entry : byReach) BridgeHole(points, drop, outline, *entry.second, loops);
  std::vector<std::array<uint32_t, 3>> triangles = ClipEars(points, outline, true);
  for (auto& t : triangles) {
    for (uint32_t& corner : t) corner = outline[corner];
  }
  return triangles;
}

}  // namespace c4dexport
