#include "corner_vertices.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace c4dexport {

namespace {

// A vertex as its point, normal and texture coordinates, compared bit for bit.
struct VertexKey {
  uint32_t point;
  std::array<double, 5> attributes;  // normal, uv; zero where absent
  bool operator==(const VertexKey& other) const {
    return point == other.point && std::memcmp(attributes.data(), other.attributes.data(), sizeof attributes) == 0;
  }
};

struct VertexKeyHash {
  size_t operator()(const VertexKey& key) const {
    size_t hash = std::hash<uint32_t>()(key.point);
    for (const double v : key.attributes) {
      uint64_t bits = 0;
      std::memcpy(&bits, &v, sizeof bits);
      hash ^= std::hash<uint64_t>()(bits) + 0x9e3779b97f4a7c15ull + (hash << 6) + (hash >> 2);
    }
    return hash;
  }
};

size_t CornerCount(const ExportMesh& mesh) {
  size_t corners = 0;
  for (const auto& polygon : mesh.polygons) corners += polygon.size();
  return corners;
}

}  // namespace

std::vector<uint32_t> MaterialsInOrder(const ExportMesh& mesh) {
  if (mesh.polygonMaterials.size() != mesh.polygons.size()) return {uint32_t(mesh.material)};
  std::vector<uint32_t> order;
  std::vector<bool> seen;
  for (const uint32_t material : mesh.polygonMaterials) {
    if (material >= seen.size()) seen.resize(material + 1, false);
    if (!seen[material]) order.push_back(material);
    seen[material] = true;
  }
  return order;
}

CornerMesh SplitCorners(const ExportMesh& mesh, const std::vector<Point3>& points,
                        const std::vector<Point3>& cornerNormals, uint32_t material) {
  const size_t corners = CornerCount(mesh);
  const bool normals = cornerNormals.size() == corners && corners > 0;
  const bool uvs = mesh.cornerUVs.size() == corners && corners > 0;
  const bool byPolygon = mesh.polygonMaterials.size() == mesh.polygons.size();
  CornerMesh out;
  std::unordered_map<VertexKey, uint32_t, VertexKeyHash> vertexOf;
  size_t corner = 0;
  for (size_t p = 0; p < mesh.polygons.size(); ++p) {
    const auto& polygon = mesh.polygons[p];
    if (byPolygon && mesh.polygonMaterials[p] != material) {
      corner += polygon.size();
      continue;
    }
    std::vector<uint32_t>& face = out.faces.emplace_back();
    for (const uint32_t point : polygon) {
      VertexKey key{point, {}};
      if (normals) std::copy(cornerNormals[corner].begin(), cornerNormals[corner].end(), key.attributes.begin());
      if (uvs) std::copy(mesh.cornerUVs[corner].begin(), mesh.cornerUVs[corner].end(), key.attributes.begin() + 3);
      const auto [at, added] = vertexOf.emplace(key, uint32_t(out.points.size()));
      if (added) {
        out.points.push_back(points[point]);
        if (normals) out.normals.push_back(cornerNormals[corner]);
        if (uvs) out.uvs.push_back(mesh.cornerUVs[corner]);
      }
      face.push_back(at->second);
      ++corner;
    }
  }
  return out;
}

}  // namespace c4dexport
