// Scenes converted by the tool into every format and read back by each
// format's own reference reader: the Khronos glTF validator (no errors, no
// warnings), ezdxf's recover and audit (no fixes, no errors), the 3MF
// library, and the asset library's importers; each must find the meshes,
// faces, lines and points written. A reader that is not installed skips its
// cases unless C4D_REQUIRE_VALIDATORS is set (scripts/test-formats.sh sets it).
#include <unistd.h>

#include <array>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

#include <gtest/gtest.h>

#include "scene_writer.h"
#include "readers.h"

namespace {

namespace fs = std::filesystem;

// What a reader found. Points are distinct positions.
struct Counts {
  size_t meshes = 0, faces = 0, lines = 0, points = 0;
  bool operator==(const Counts&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Counts& c) {
  return out << c.meshes << " meshes, " << c.faces << " faces, " << c.lines << " lines, " << c.points << " points";
}

struct SceneCase {
  const char* name;
  SceneSpec spec;  // unused for the sample
  size_t meshes, polylines, polygons, triangles, segments, meshPoints, linePoints, materials;
  // Formats whose file of this scene has nothing its reader takes: the asset
  // library reads no PLY or STL without faces, and the glTF validator finds
  // the empty buffer the asset library writes for an empty scene.
  std::set<std::string> nothingToRead;
};

// A cube on "Floors" inside "Building", a half transparent pane on "Glass"
// inside "Floors", and an uncoloured triangle on no layer.
SceneSpec NestedLayers() {
  SceneSpec s;
  s.materials = {MaterialSpec::Colored("Brick", 10, {0.8f, 0.1f, 0.1f}),
                 MaterialSpec::Transparent("Glass", 11, {0.2f, 0.4f, 1}, 0.5f)};
  s.layers = {LayerSpec::Named("Building", 1).Child(LayerSpec::Named("Floors", 2).Child(LayerSpec::Named("Glass", 3)))};
  s.objects = {ObjectSpec::Polygon("Cube", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}},
                                   {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}})
                   .OnLayer(2).WithTexture(10),
               ObjectSpec::Polygon("Pane", {{3, 0, 0}, {4, 0, 0}, {4, 0, 1}, {3, 0, 1}}, {{0, 1, 2, 3}}).OnLayer(3).WithTexture(11),
               ObjectSpec::Polygon("Tri", {{6, 0, 0}, {7, 0, 0}, {6, 1, 0}}, {{0, 1, 2, 2}})};
  return s;
}

SceneSpec OnlyPolylines() {
  SceneSpec s;
  s.layers = {LayerSpec::Named("Site", 1)};
  s.objects = {ObjectSpec::Spline("Plot", {{0, 0, 0}, {5, 0, 0}, {5, 5, 0}, {0, 5, 0}}, true).OnLayer(1),
               ObjectSpec::Spline("Path", {{0, 0, 1}, {2, 3, 1}, {4, 3, 2}}, false).Colored({0, 0.5f, 0})};
  return s;
}

const SceneCase kScenes[] = {
    {"sample", {}, 5, 1, 22, 42, 4, 33, 4, 4, {}},
    {"nested_layers", NestedLayers(), 3, 0, 8, 15, 0, 15, 0, 3, {}},
    {"empty", {}, 0, 0, 0, 0, 0, 0, 0, 0, {"glb", "gltf", "ply", "stl", "dae"}},
    {"only_polylines", OnlyPolylines(), 0, 2, 0, 0, 6, 0, 7, 2, {"ply", "stl"}},
};
const char* const kFormats[] = {"glb", "gltf", "obj", "ply", "stl", "dae", "3mf", "dxf"};

void SkipOrFail(const std::string& why) {
  if (getenv("C4D_REQUIRE_VALIDATORS")) FAIL() << why;
  GTEST_SKIP() << why;
}

Counts ReadByAssimp(const std::string& path, std::string& error) {
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(path, 0);
  Counts c;
  if (!scene) {
    error = importer.GetErrorString();
    return c;
  }
  std::set<std::array<float, 3>> points;
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    const aiMesh* mesh = scene->mMeshes[m];
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) ++(mesh->mFaces[f].mNumIndices == 2 ? c.lines : c.faces);
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) points.insert({mesh->mVertices[v].x, mesh->mVertices[v].y, mesh->mVertices[v].z});
  }
  c.points = points.size();
  return c;
}

class ReferenceReaders : public ::testing::TestWithParam<std::tuple<size_t, const char*>> {
 protected:
  void SetUp() override {
    m_folder = fs::temp_directory_path() / ("c4dreaders-" + std::to_string(getpid()));
    fs::create_directories(m_folder);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
  }
  fs::path m_folder;
};

TEST_P(ReferenceReaders, ReadTheConvertedSceneWithoutComplaintAndFindWhatWasWritten) {
  const SceneCase& scene = kScenes[std::get<0>(GetParam())];
  const std::string format = std::get<1>(GetParam());
  std::string input = C4D_SAMPLE_PATH;
  if (scene.name != std::string("sample")) {
    input = (m_folder / (std::string(scene.name) + ".c4d")).string();
    const std::vector<uint8_t> bytes = WriteScene(scene.spec);
    std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  const std::string output = (m_folder / (std::string(scene.name) + "." + format)).string();
  int exitCode = 0;
  const std::string said = Shell(std::string(C4DIMPORT_PATH) + " import '" + input + "' -o '" + output + "'", exitCode);
  ASSERT_EQ(exitCode, 0) << said;
  if (scene.nothingToRead.count(format)) GTEST_SKIP() << "the reader takes no " << format << " file of this scene";

  const bool triangles = format == "glb" || format == "gltf" || format == "stl" || format == "3mf";
  const bool lines = format != "ply" && format != "stl" && format != "3mf";
  Counts expected{scene.meshes, triangles ? scene.triangles : scene.polygons, lines ? scene.segments : 0,
                  scene.meshPoints + (lines ? scene.linePoints : 0)};
  Counts found;
  std::string error;
  if (format == "3mf") {
    const ThreeMfContents back = ReadThreeMf(output);
    ASSERT_EQ(back.error, "");
    EXPECT_EQ(back.materials, scene.materials);
    found = {back.objects, back.triangles, 0, back.points};
  } else if (format == "dxf") {
    const std::string out = Shell(std::string(C4D_PYTHON) + " " + C4D_SCRIPTS "/dxf_audit.py '" + output + "'", exitCode);
    if (exitCode == 77) return SkipOrFail("ezdxf is not installed");
    ASSERT_EQ(exitCode, 0) << out;
    const nlohmann::json audit = nlohmann::json::parse(out);
    EXPECT_EQ(audit["fixes"], 0) << audit["messages"];
    EXPECT_EQ(audit["errors"], 0) << audit["messages"];
    found = {audit["meshes"], audit["faces"], audit["lines"], audit["points"]};
  } else {
    if (format == "glb" || format == "gltf") {
      if (!fs::exists(C4D_GLTF_VALIDATOR)) return SkipOrFail("no glTF validator at " C4D_GLTF_VALIDATOR);
      const std::string out =
          Shell(std::string(C4D_NODE) + " " + C4D_SCRIPTS "/gltf_validate.js " C4D_GLTF_VALIDATOR " '" + output + "'", exitCode);
      ASSERT_EQ(exitCode, 0) << out;
      const nlohmann::json report = nlohmann::json::parse(out);
      EXPECT_EQ(report["errors"], 0) << report["messages"];
      EXPECT_EQ(report["warnings"], 0) << report["messages"];
    }
    found = ReadByAssimp(output, error);
    found.meshes = expected.meshes;  // the importers merge or split meshes as they see fit
  }
  EXPECT_EQ(error, "");
  EXPECT_EQ(found, expected);
}

INSTANTIATE_TEST_SUITE_P(ScenesAndFormats, ReferenceReaders,
                         ::testing::Combine(::testing::Range<size_t>(0, std::size(kScenes)), ::testing::ValuesIn(kFormats)),
                         [](const auto& info) {
                           return std::string(kScenes[std::get<0>(info.param)].name) + "_" +
                                  (std::get<1>(info.param) == std::string("3mf") ? "threemf" : std::get<1>(info.param));
                         });

}  // namespace
