#include "large_scenes.h"

#include <bit>
#include <cstdio>
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

// The document around the three lists: header, then materials, layers and
// objects, each list written by the caller between Open and Close.
class DocumentWriter {
 public:
  DocumentWriter() : scene_(w_, kSceneVersionCurrent) {
    w_.Header();
    w_.StartChunk(scene_chunk::kDocument, 0);
    scene_.DocumentHeader(kSceneVersionCurrent, false);
  }
  C4DWriter& Raw() { return w_; }
  SceneWriter& Scene() { return scene_; }
  void OpenList(int32_t chunkId) { w_.StartChunk(chunkId, 0); }
  void CloseList() { w_.EndChunk(); }
  bool Save(const std::string& path) {
    w_.EndChunk();
    return w_.SaveTo(path);
  }

 private:
  C4DWriter w_;
  SceneWriter scene_;
};

// A unit box; odd boxes have one top corner raised, which bends three of
// their faces.
std::vector<Vector> BoxPoints(bool bent) {
  const float top = bent ? 1.25f : 1.0f;
  return {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, top}, {0, 1, 1}};
}

std::vector<CPolygon> BoxPolygons() {
  return {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
}

std::string Numbered(const char* prefix, int64_t n) { return prefix + std::to_string(n); }

// An object chunk without its end marker, so that children can follow.
void OpenObject(SceneWriter& s, const ObjectSpec& o) {
  C4DWriter& w = s.Raw();
  w.StartChunk(o.typeId, 0);
  s.BaseList(o.node);
  s.ObjectChunk(o);
  if (o.dataTypeId != 0) s.DataChunk(o);
  w.StartChunk(scene_chunk::kTags, 0);
  for (const TagSpec& t : o.tags) s.Tag(t);
  w.EndChunk();
}

void WriteMaterials(DocumentWriter& doc) {
  doc.OpenList(scene_chunk::kMaterials);
  for (int32_t k = 0; k < kMaterialCount; ++k) {
    const Vector rgb{float(k % 10) / 9.0f, float(k / 10 % 10) / 9.0f, float(k / 100 % 10) / 9.0f};
    const std::string name = Numbered("Material ", k + 1);
    doc.Scene().Material(k % 4 == 3 ? MaterialSpec::Transparent(name, MaterialGoal(k), rgb, 0.5f)
                                    : MaterialSpec::Colored(name, MaterialGoal(k), rgb));
  }
  doc.CloseList();
}

void WriteLayers(DocumentWriter& doc) {
  doc.OpenList(scene_chunk::kLayers);
  for (int32_t k = 0; k < kLayerCount; ++k) doc.Scene().Layer(LayerSpec::Named(Numbered("Layer ", k + 1), LayerGoal(k)));
  doc.CloseList();
}

bool WriteFile(const std::string& path, const void* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && written;
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
  DocumentWriter doc;
  doc.OpenList(scene_chunk::kObjects);
  doc.Scene().Object(ObjectSpec::Polygon("Grid", GridPoints(), GridPolygons()));
  doc.CloseList();
  return doc.Save(path);
}

bool WriteManyObjects(const std::string& path, int32_t objectCount) {
  DocumentWriter doc;
  WriteMaterials(doc);
  WriteLayers(doc);
  doc.OpenList(scene_chunk::kObjects);
  C4DWriter& w = doc.Raw();
  int32_t index = 0;
  for (int32_t chain = 0; index < objectCount; ++chain) {
    // One chain: each box the child of the one before, a step further on.
    int32_t open = 0;
    for (int32_t depth = 0; depth < kChainDepth && index < objectCount; ++depth, ++index) {
      if (depth > 0) w.StartChunk(scene_chunk::kList, 0);
      const Vector at = depth == 0 ? Vector{0.0f, 2.0f * float(chain), 0.0f} : Vector{1.5f, 0.0f, 0.0f};
      ObjectSpec box = ObjectSpec::Polygon(Numbered("Box ", index + 1), BoxPoints(index % 2 == 1), BoxPolygons())
                           .At(at)
                           .OnLayer(LayerGoal(index % kLayerCount))
                           .WithTexture(MaterialGoal(index * 7 % kMaterialCount));
      OpenObject(doc.Scene(), box);
      ++open;
    }
    // Close every object of the chain and the child list it stands in.
    for (int32_t k = open - 1; k >= 0; --k) {
      w.EndChunk();
      if (k > 0) w.EndChunk();
    }
  }
  doc.CloseList();
  return doc.Save(path);
}

bool WriteLongSpline(const std::string& path) {
  std::vector<Vector> points;
  points.reserve(kSplinePoints);
  for (int32_t k = 0; k < kSplinePoints; ++k) {
    // A zig-zag that climbs slowly.
    points.push_back(Vector{float(k % 1000), float(k / 1000 % 2 == 0 ? 0 : 10), float(k) * 0.001f});
  }
  DocumentWriter doc;
  doc.OpenList(scene_chunk::kObjects);
  doc.Scene().Object(ObjectSpec::Spline("Path", std::move(points), false));
  doc.CloseList();
  return doc.Save(path);
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
  return WriteFile(path, bytes.data(), bytes.size());
}

const char* SceneFileName(SceneKind kind) {
  switch (kind) {
    case SceneKind::Mesh1M: return "mesh_1m.c4d";
    case SceneKind::Objects100k: return "objects_100k.c4d";
    case SceneKind::Objects10k: return "objects_10k.c4d";
    case SceneKind::Spline1M: return "spline_1m.c4d";
    case SceneKind::MeshPly: return "mesh_1m.ply";
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
  }
  if (!written) return "";
  std::filesystem::rename(partial, path, code);
  return code ? "" : path.string();
}

}  // namespace bench
