// Large scenes for measuring the reader, the scene model and the whole import,
// written with the test-support writer.
//
//   bench::WriteGridMesh("mesh_1m.c4d");          // one mesh, 1,000,000 quadrangles
//   bench::WriteManyObjects("objects_100k.c4d", 100000);
//   bench::WriteObjectsOnLayers("layers_10k.c4d", 10000);
//   bench::EnsureScene(bench::SceneKind::Spline1M);  // path of the file, written when missing
//
// The files are made on demand in a folder of the build tree (BenchSceneFolder),
// never committed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "c4d_types.h"

namespace bench {

// The grid mesh: kGridSize x kGridSize quadrangles over (kGridSize + 1)^2
// shared points. The lower half of the rows lies flat; in the upper half the
// points rise and fall like a chess board, so every quadrangle there is bent
// and is split into two triangles.
constexpr int32_t kGridSize = 1000;
constexpr int64_t kGridPolygons = int64_t{kGridSize} * kGridSize;
constexpr int64_t kGridPoints = int64_t{kGridSize + 1} * (kGridSize + 1);

// The many-objects scenes: small meshes in chains kChainDepth deep (each
// mesh the child of the one before), every mesh on one of kLayerCount
// layers and with a texture tag linking one of kMaterialCount materials.
constexpr int32_t kChainDepth = 100;
constexpr int32_t kLayerCount = 1000;
constexpr int32_t kMaterialCount = 1000;
constexpr int32_t kBoxPoints = 8;
constexpr int32_t kBoxPolygons = 6;

constexpr int32_t kSplinePoints = 1000000;

std::vector<Vector> GridPoints();
std::vector<CPolygon> GridPolygons();

// Each writes one whole scene file; false when the file could not be written.
bool WriteGridMesh(const std::string& path);
bool WriteManyObjects(const std::string& path, int32_t objectCount);
// One box on each of `layerCount` layers (box k on layer k), in chains as in
// the many-objects scenes: the scenes of the layer table's growth.
bool WriteObjectsOnLayers(const std::string& path, int32_t layerCount);
bool WriteLongSpline(const std::string& path);
// The grid mesh as binary little-endian PLY (float x, y, z; quadrangle faces).
bool WriteGridPly(const std::string& path);

enum class SceneKind { Mesh1M, Objects100k, Objects10k, Spline1M, MeshPly, Layers10k, Layers20k };

const char* SceneFileName(SceneKind kind);
// The folder of the scene files: $C4D_BENCH_SCENES, else the build tree's.
std::string BenchSceneFolder();
// The path of the scene, written first when the file does not exist yet;
// "" when it could not be written.
std::string EnsureScene(SceneKind kind);

}  // namespace bench
