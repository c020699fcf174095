#include "large_scenes.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "scene_writer.h"

#ifndef C4D_BENCH_SCENE_DIR
#define C4D_BENCH_SCENE_DIR "bench-scenes"
#endif

namespace bench {

namespace {

constexpr uint64_t kLayerGoalBase = 0x4C00000000ull;     // "L" ...
constexpr uint64_t kMaterialGoalBase = 0x4D00000000ull;  // "M" ...

uint64_t LayerGoal(int32_t k) { return kLayerGoalBase + static_cast<uint64_t>(k) + 1; }
uint64_t MaterialGoal(int32_t k) { return kMaterialGoalBase + static_cast<uint64_t>(k) + 1; }

int32_t GridIndex(int32_t i, int32_t j) { return j * (kGridSize + 1) + i; }

std::string Numbered(const char* prefix, int64_t n) { return prefix + std::to_string(n); }

bool Save(const SceneSpec& scene, const std::string& path) { return C4DWriter().Bytes(WriteScene(scene)).SaveTo(path); }

// The materials and layers that the boxes of the many-objects scenes link.
void AddMaterialsAndLayers(SceneSpec& scene, int32_t layerCount) {
  for (int32_t k = 0; k < kMaterialCount; ++k) {
    const Vector rgb{float(k % 10) / 9.0f, float(k / 10 % 10) / 9.0f, float(k / 100 % 10) / 9.0f};
    const std::string name = Numbered("Material ", k + 1);
    scene.materials.push_back(k % 4 == 3 ? MaterialSpec::Transparent(name, MaterialGoal(k), rgb, 0.5f)
                                         : MaterialSpec::Colored(name, MaterialGoal(k), rgb));
  }
  for (int32_t k = 0; k < layerCount; ++k) scene.layers.push_back(LayerSpec::Named(Numbered("Layer ", k + 1), LayerGoal(k)));
}

}  // namespace

std::vector<Vector> GridPoints() {
  std::vector<Vector> points;
  points.reserve(static_cast<size_t>(kGridPoints));
  for (int32_t j = 0; j <= kGridSize; ++j) {
    for (int32_t i = 0; i <= kGridSize; ++i) {
      // Rows above the middle alternate between two heights.
      const float z = (j > kGridSize / 2 && (i + j) % 2 == 1) ? 0.25f : 0.0f;
      points.push_back(Vector{float(i), float(j), z});
    }
  }
  return points;
}

std::vector<CPolygon> GridPolygons() {
  std::vector<CPolygon> polygons;
  polygons.reserve(static_cast<size_t>(kGridPolygons));
  for (int32_t j = 0; j < kGridSize; ++j) {
    for (int32_t i = 0; i < kGridSize; ++i) {
      polygons.push_back(CPolygon{GridIndex(i, j), GridIndex(i + 1, j), GridIndex(i + 1, j + 1), GridIndex(i, j + 1)});
    }
  }
  return polygons;
}

bool WriteGridMesh(const std::string& path) {
  return Save(SceneOf({ObjectSpec::Polygon("Grid", GridPoints(), GridPolygons())}), path);
}

namespace {

// Boxes in chains, box k on layer k % layerCount.
bool WriteBoxChains(const std::string& path, int32_t objectCount, int32_t layerCount) {
  SceneSpec scene;
  AddMaterialsAndLayers(scene, layerCount);
  for (int32_t first = 0, chain = 0; first < objectCount; first += kChainDepth, ++chain) {
    // One chain: each box the child of the one before, a step further on;
    // odd boxes have one top corner raised, which bends three of their faces.
    const int32_t last = std::min(first + kChainDepth, objectCount) - 1;
    ObjectSpec child;
    for (int32_t index = last; index >= first; --index) {
      ObjectSpec box = Box(Numbered("Box ", index + 1))
                           .At(index == first ? Vector{0.0f, 2.0f * float(chain), 0.0f} : Vector{1.5f, 0.0f, 0.0f})
                           .OnLayer(LayerGoal(index % layerCount))
                           .WithTexture(MaterialGoal(index * 7 % kMaterialCount));
      if (index % 2 == 1) box.tags[0].points[6].z = 1.25f;
      if (index < last) box.Child(std::move(child));
      child = std::move(box);
    }
    scene.objects.push_back(std::move(child));
  }
  return Save(scene, path);
}

}  // namespace

bool WriteManyObjects(const std::string& path, int32_t objectCount) {
  return WriteBoxChains(path, objectCount, kLayerCount);
}

bool WriteObjectsOnLayers(const std::string& path, int32_t layerCount) {
  return WriteBoxChains(path, layerCount, layerCount);
}

bool WriteLongSpline(const std::string& path) {
  std::vector<Vector> points;
  points.reserve(kSplinePoints);
  for (int32_t k = 0; k < kSplinePoints; ++k) {
    // A zig-zag that climbs slowly.
    points.push_back(Vector{float(k % 1000), float(k / 1000 % 2 == 0 ? 0 : 10), float(k) * 0.001f});
  }
  return Save(SceneOf({ObjectSpec::Spline("Path", std::move(points), false)}), path);
}

bool WriteGridPly(const std::string& path) {
  const std::vector<Vector> points = GridPoints();
  const std::vector<CPolygon> polygons = GridPolygons();
  const std::string header = "ply\nformat binary_little_endian 1.0\nelement vertex " + std::to_string(points.size()) +
                             "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
                             std::to_string(polygons.size()) +
                             "\nproperty list uchar int vertex_indices\nend_header\n";
  std::vector<uint8_t> bytes(header.begin(), header.end());
  bytes.reserve(bytes.size() + points.size() * 12 + polygons.size() * 17);
  auto put = [&bytes](const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    bytes.insert(bytes.end(), b, b + n);
  };
  static_assert(std::endian::native == std::endian::little, "PLY is written in the machine's byte order");
  for (const Vector& p : points) put(&p, 12);
  for (const CPolygon& q : polygons) {
    const uint8_t corners = 4;
    put(&corners, 1);
    put(&q, 16);
  }
  return C4DWriter().Bytes(bytes).SaveTo(path);
}

const char* SceneFileName(SceneKind kind) {
  switch (kind) {
    case SceneKind::Mesh1M: return "mesh_1m.c4d";
    case SceneKind::Objects100k: return "objects_100k.c4d";
    case SceneKind::Objects10k: return "objects_10k.c4d";
    case SceneKind::Spline1M: return "spline_1m.c4d";
    case SceneKind::MeshPly: return "mesh_1m.ply";
    case SceneKind::Layers10k: return "layers_10k.c4d";
    case SceneKind::Layers20k: return "layers_20k.c4d";
  }
  return "unknown";
}

std::string BenchSceneFolder() {
  const char* folder = std::getenv("C4D_BENCH_SCENES");
  return folder && *folder ? folder : C4D_BENCH_SCENE_DIR;
}

std::string EnsureScene(SceneKind kind) {
  const std::filesystem::path folder = BenchSceneFolder();
  const std::filesystem::path path = folder / SceneFileName(kind);
  std::error_code code;
  if (std::filesystem::exists(path, code)) return path.string();
  std::filesystem::create_directories(folder, code);
  // Written under another name first: an interrupted run leaves no half file.
  const std::string partial = path.string() + ".partial";
  bool written = false;
  switch (kind) {
    case SceneKind::Mesh1M: written = WriteGridMesh(partial); break;
    case SceneKind::Objects100k: written = WriteManyObjects(partial, 100000); break;
    case SceneKind::Objects10k: written = WriteManyObjects(partial, 10000); break;
    case SceneKind::Spline1M: written = WriteLongSpline(partial); break;
    case SceneKind::MeshPly: written = WriteGridPly(partial); break;
    case SceneKind::Layers10k: written = WriteObjectsOnLayers(partial, 10000); break;
    case SceneKind::Layers20k: written = WriteObjectsOnLayers(partial, 20000); break;
  }
  if (!written) return "";
  std::filesystem::rename(partial, path, code);
  return code ? "" : path.string();
}

}  // namespace bench
