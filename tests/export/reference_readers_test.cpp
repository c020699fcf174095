// Scenes converted by the tool into every format and read back by each
// format's own reference reader: the Khronos glTF validator (no errors, no
// warnings), ezdxf's recover and audit (no fixes, no errors), the 3MF
// library, and the asset library's importers; each must find the meshes,
// faces, lines and points written, and the layers and a colour where the
// format keeps them. A reader that is not installed skips its cases unless
// C4D_REQUIRE_VALIDATORS is set (scripts/test-formats.sh sets it). Then the
// DXF writer's own rules, read back through ezdxf.
#include <unistd.h>

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

#include <gtest/gtest.h>

#include "export_writer.h"
#include "host_scene.h"
#include "look_scene.h"
#include "readers.h"
#include "scene_writer.h"
#include "standin/host_control.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using Counts = std::array<size_t, 4>;  // meshes, faces, lines, distinct points

struct SceneCase {
  const char* name;
  SceneSpec spec;  // none for the sample
  size_t meshes, polygons, triangles, segments, meshPoints, linePoints, materials, parts;  // parts: 3MF mesh objects
  // Formats whose file of this scene has nothing its reader takes: the asset
  // library reads no PLY or STL without faces, and stands a skeleton of its
  // own in for the meshes of a COLLADA file without any.
  std::set<std::string> notRead;
  std::set<std::string> names;  // objects: nodes of glTF and COLLADA, the last name of OBJ's group paths
                                // (the readers make no node of a group of lines only)
  std::array<float, 4> colour;   // of a material, with its opacity
};

// A brick triangle on "Floors" inside "Building", a half transparent pane on
// "Glass" inside "Floors", an uncoloured quadrangle on no layer; two splines.
SceneSpec NestedLayers() {
  SceneSpec s;
  s.materials = {MaterialSpec::Colored("Brick", 10, {0.8f, 0.1f, 0.1f}), MaterialSpec::Transparent("Glass", 11, {0.2f, 0.4f, 1}, 0.5f)};
  s.layers = {LayerSpec::Named("Building", 1).Child(LayerSpec::Named("Floors", 2).Child(LayerSpec::Named("Glass", 3)))};
  s.objects = {ObjectSpec::Polygon("Tri", {{6, 0, 0}, {7, 0, 0}, {6, 1, 0}}, {{0, 1, 2, 2}}).OnLayer(2).WithTexture(10),
               ObjectSpec::Polygon("Pane", {{3, 0, 0}, {4, 0, 0}, {4, 0, 1}, {3, 0, 1}}, {{0, 1, 2, 3}}).OnLayer(3).WithTexture(11),
               ObjectSpec::Polygon("Quad", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}})};
  return s;
}
SceneSpec OnlyPolylines() {
  SceneSpec s;
  s.layers = {LayerSpec::Named("Site", 1)};
  s.objects = {ObjectSpec::Spline("Plot", {{0, 0, 0}, {5, 0, 0}, {5, 5, 0}, {0, 5, 0}}, true).OnLayer(1),
               ObjectSpec::Spline("Path", {{0, 0, 1}, {2, 3, 1}, {4, 3, 2}}, false).Colored({0, 0.5f, 0})};
  return s;
}

// What the converter evaluates: a Symmetry of a quadrangle (two meshes).
SceneSpec Generated() {
  SceneSpec s;
  s.objects = {ObjectSpec::Plugin("Mirror", 5142)
                   .Child(ObjectSpec::Polygon("Q", {{1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}}, {{0, 1, 2, 3}}))};
  return s;
}

const SceneCase kScenes[] = {
    {"sample", {}, 5, 22, 42, 4, 33, 4, 5, 4, {}, {"Walls", "Roof", "Window", "Cube"}, {1, 0, 0, 0.5f}},
    {"nested_layers", NestedLayers(), 3, 3, 5, 0, 11, 0, 3, 3, {}, {"Tri", "Pane", "Quad"}, {0.2f, 0.4f, 1, 0.5f}},
    {"empty", {}, 0, 0, 0, 0, 0, 0, 0, 0, {"ply", "stl", "dae"}, {}, {}},
    {"only_polylines", OnlyPolylines(), 0, 0, 0, 6, 0, 7, 2, 0, {"ply", "stl"}, {}, {0, 0.5f, 0, 1}},
    {"generated", Generated(), 2, 2, 4, 0, 8, 0, 1, 1, {}, {"Mirror"}, {0.8f, 0.8f, 0.8f, 1}},  // the default material
};
const char* const kFormats[] = {"glb", "gltf", "obj", "ply", "stl", "dae", "3mf", "dxf"};

// The reader's output as JSON into `out`; a reader that is not installed
// (exit 77) skips the case, or fails it where readers are required.
void RunReader(const std::string& command, json& out) {
  int exitCode = 0;
  const std::string text = Shell(command, exitCode);
  if (exitCode == 77 && getenv("C4D_REQUIRE_VALIDATORS")) ADD_FAILURE() << "no reader: " << command;
  if (exitCode == 77) GTEST_SKIP() << "no reader: " << command;
  EXPECT_EQ(exitCode, 0) << text;
  if (exitCode == 0) out = json::parse(text);
}
std::string Audit(const std::string& dxf) { return C4D_PYTHON " " C4D_SCRIPTS "/dxf_audit.py '" + dxf + "'"; }

// The validator's verdict on a glTF file: no error, no warning. False when
// the validator is not installed (the case is then skipped, or failed).
bool ValidGltf(const std::string& file) {
  json report;
  RunReader(C4D_NODE " " C4D_SCRIPTS "/gltf_validate.js " C4D_GLTF_VALIDATOR " '" + file + "'", report);
  if (report.is_null()) return false;
  EXPECT_EQ(report["errors"], 0) << file << report["messages"];
  EXPECT_EQ(report["warnings"], 0) << file << report["messages"];
  return true;
}

// The names of a read scene's nodes.
std::set<std::string> NodeNames(const aiScene& scene) {
  std::set<std::string> names;
  for (std::vector<const aiNode*> open = {scene.mRootNode}; !open.empty();) {
    const aiNode* node = open.back();
    open.pop_back();
    names.insert(node->mName.C_Str());
    open.insert(open.end(), node->mChildren, node->mChildren + node->mNumChildren);
  }
  return names;
}

class ReferenceReaders : public ::testing::TestWithParam<std::tuple<size_t, const char*>> {
 protected:
  void SetUp() override {
    standin::ResetHost();
    fs::create_directories(m_folder);
  }
  void TearDown() override {
    standin::ResetHost();
    fs::remove_all(m_folder);
  }
  const fs::path m_folder = fs::temp_directory_path() / ("c4dreaders-" + std::to_string(getpid()));
};

TEST_P(ReferenceReaders, ReadTheConvertedSceneWithoutComplaintAndFindWhatWasWritten) {
  const SceneCase& scene = kScenes[std::get<0>(GetParam())];
  const std::string format = std::get<1>(GetParam()), name = scene.name;
  std::string input = C4D_SAMPLE_PATH;
  if (name != "sample") {
    input = (m_folder / (name + ".c4d")).string();
    const std::vector<uint8_t> bytes = WriteScene(scene.spec);
    std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  const std::string output = (m_folder / (name + "." + format)).string();
  int exitCode = 0;
  ASSERT_EQ((Shell(C4DIMPORT_PATH " import '" + input + "' -o '" + output + "'", exitCode), exitCode), 0);

  const bool lines = c4dexport::FindExportFormat(format)->hasLines;
  const Counts expected = {scene.meshes, c4dexport::FindExportFormat(format)->keepsPolygons ? scene.polygons : scene.triangles, lines ? scene.segments : 0,
                           scene.meshPoints + (lines ? scene.linePoints : 0)};
  if (format == "3mf") {
    const ThreeMfContents back = ReadThreeMf(output);
    ASSERT_EQ(back.error, "");
    EXPECT_EQ((std::array{back.materials, back.objects}), (std::array{scene.materials, scene.parts}));
    EXPECT_EQ((Counts{scene.meshes, back.triangles, 0, back.points}), expected);
    return;
  }
  if (format == "dxf") {
    json audit;
    RunReader(Audit(output), audit);
    if (audit.is_null()) return;
    EXPECT_EQ(audit["fixes"], 0) << audit["messages"];
    EXPECT_EQ(audit["errors"], 0) << audit["messages"];
    EXPECT_EQ((Counts{audit["meshes"].get<size_t>(), audit["faces"].get<size_t>(), audit["lines"].get<size_t>(),
                      audit["points"].get<size_t>()}), expected);
    return;
  }
  if (format == "glb" || format == "gltf") {
    if (!ValidGltf(output)) return;
  }
  Assimp::Importer importer;
  const aiScene* back = importer.ReadFile(output, 0);
  ASSERT_NE(back, nullptr) << importer.GetErrorString();
  Counts found = {scene.meshes, 0, 0, 0};  // the importers merge and split meshes as they see fit
  // Points where they stand in the world: meshes lie in their nodes' frames.
  std::set<std::array<long, 3>> points;
  std::set<std::string> names;
  std::vector<std::pair<const aiNode*, aiMatrix4x4>> open = {{back->mRootNode, back->mRootNode->mTransformation}};
  while (!open.empty()) {
    const auto [node, world] = open.back();
    open.pop_back();
    const std::string name = node->mName.C_Str();
    names.insert(name);
    names.insert(name.substr(name.find_last_of('/') + 1));
    for (unsigned c = 0; c < node->mNumChildren; ++c) open.emplace_back(node->mChildren[c], world * node->mChildren[c]->mTransformation);
    for (unsigned m = 0; m < node->mNumMeshes; ++m) {
      const aiMesh* mesh = back->mMeshes[node->mMeshes[m]];
      for (unsigned f = 0; f < mesh->mNumFaces; ++f) ++found[mesh->mFaces[f].mNumIndices == 2 ? 2 : 1];
      for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
        const aiVector3D p = world * mesh->mVertices[v];
        points.insert({std::lround(p.x * 1e4), std::lround(p.y * 1e4), std::lround(p.z * 1e4)});
      }
    }
  }
  found[3] = points.size();
  EXPECT_EQ(found, expected);
  if (format == "ply" || format == "stl") return;
  for (const std::string& name : scene.names) EXPECT_TRUE(names.count(name)) << name;
  bool coloured = scene.materials == 0;
  for (const aiMaterial* material : std::vector<aiMaterial*>(back->mMaterials, back->mMaterials + back->mNumMaterials)) {
    aiColor4D c(0, 0, 0, 1);
    material->Get(AI_MATKEY_COLOR_DIFFUSE, c);
    material->Get(AI_MATKEY_OPACITY, c.a);
    const auto& e = scene.colour;
    coloured |= std::abs(c.r - e[0]) + std::abs(c.g - e[1]) + std::abs(c.b - e[2]) + std::abs(c.a - e[3]) < 0.02f;
  }
  EXPECT_TRUE(coloured);
}

// Every scene in every format its reader takes.
std::vector<std::tuple<size_t, const char*>> ReadableCases() {
  std::vector<std::tuple<size_t, const char*>> cases;
  for (size_t scene = 0; scene < std::size(kScenes); ++scene) {
    for (const char* format : kFormats) {
      if (!kScenes[scene].notRead.count(format)) cases.emplace_back(scene, format);
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(ScenesAndFormats, ReferenceReaders, ::testing::ValuesIn(ReadableCases()),
                         [](const auto& info) {
                           return std::string(kScenes[std::get<0>(info.param)].name).append("_").append(std::get<1>(info.param));
                         });

// The look scene through the tool in each format with a tree: its objects
// by name, the walls in two materials, one of them with the bitmap, UVs and
// normals, and the camera and four lights where the format holds them.
TEST_F(ReferenceReaders, TheLookSceneKeepsItsTreeMaterialsBitmapUVsNormalsCameraAndLights) {
  const std::string input = (m_folder / "look.c4d").string();
  for (const auto& [name, bytes] : {std::pair{"look.c4d", WriteScene(LookScene())}, std::pair{"roof.png", TinyPng()}}) {
    std::ofstream((m_folder / name).string(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  for (const std::string format : {"glb", "gltf", "dae", "obj"}) {
    const std::string output = (m_folder / ("look." + format)).string();
    int exitCode = 0;
    ASSERT_EQ((Shell(C4DIMPORT_PATH " import '" + input + "' -o '" + output + "'", exitCode), exitCode), 0) << format;
    if (format[0] == 'g') {
      if (!ValidGltf(output)) return;
    }
    Assimp::Importer importer;
    const aiScene* back = importer.ReadFile(output, 0);
    ASSERT_NE(back, nullptr) << importer.GetErrorString();
    std::set<std::string> names;
    std::set<unsigned> wallMaterials;
    for (std::vector<const aiNode*> open = {back->mRootNode}; !open.empty();) {
      const aiNode* node = open.back();
      open.pop_back();
      const std::string nodeName = node->mName.C_Str();
      names.insert(nodeName.substr(nodeName.find_last_of('/') + 1));
      for (unsigned m = 0; m < node->mNumMeshes; ++m) {
        const aiMesh* mesh = back->mMeshes[node->mMeshes[m]];
        if (nodeName.find("Walls") == std::string::npos) continue;
        wallMaterials.insert(mesh->mMaterialIndex);
        EXPECT_TRUE(mesh->HasTextureCoords(0) && mesh->HasNormals()) << format;
      }
      open.insert(open.end(), node->mChildren, node->mChildren + node->mNumChildren);
    }
    for (const char* object : {"Walls", "Pane", "Shed", "Sign"}) EXPECT_TRUE(names.count(object)) << format << " " << object;
    EXPECT_EQ(names.count("House"), format == "obj" ? 0u : 1u);  // OBJ's groups hold meshes only
    EXPECT_FALSE(names.count("Ghost")) << format;
    EXPECT_EQ(wallMaterials.size(), 2u) << format;
    bool bitmap = false;
    for (unsigned m = 0; m < back->mNumMaterials; ++m) {
      aiString file;
      bitmap |= back->mMaterials[m]->GetTexture(aiTextureType_DIFFUSE, 0, &file) == AI_SUCCESS && file.length > 0;
    }
    EXPECT_TRUE(bitmap) << format;
    const bool holdsThem = format != "obj";
    EXPECT_EQ(back->mNumCameras, holdsThem ? 1u : 0u) << format;
    EXPECT_EQ(back->mNumLights, holdsThem ? 4u : 0u) << format;
  }
}

// Every real scene file beside the clone, as glb and as gltf: the validator
// finds nothing to complain of, and every object written stands on a node
// named after it.
TEST_F(ReferenceReaders, RealScenesComeOutAsTreesTheValidatorAccepts) {
  std::vector<fs::path> files;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(C4D_CORPUS_NEWER_DIR, error)) {
    if (entry.path().extension() == ".c4d") files.push_back(entry.path());
  }
  if (files.empty() && getenv("C4D_REQUIRE_CORPUS")) FAIL() << "no corpus at " << C4D_CORPUS_NEWER_DIR;
  if (files.empty()) GTEST_SKIP() << "no corpus at " << C4D_CORPUS_NEWER_DIR;
  files.push_back(C4D_SAMPLE_PATH);
  for (const fs::path& file : files) {
    for (const char* format : {"glb", "gltf"}) {
      const std::string output = (m_folder / file.stem()).string() + "." + format;
      int exitCode = 0;
      const std::string result = Shell(C4DIMPORT_PATH " import --json '" + file.string() + "' -o '" + output + "'", exitCode);
      ASSERT_EQ(exitCode, 0) << file;
      if (!ValidGltf(output)) return;
      Assimp::Importer importer;
      const aiScene* back = importer.ReadFile(output, 0);
      ASSERT_NE(back, nullptr) << importer.GetErrorString();
      const std::set<std::string> names = NodeNames(*back);
      for (const auto& object : json::parse(result)["objects"]) {
        const std::string source = object.value("source", "");
        EXPECT_TRUE(names.count(source.substr(source.rfind(" / ") == std::string::npos ? 0 : source.rfind(" / ") + 3)))
            << file << ": " << source;
      }
    }
  }
}

TEST_F(ReferenceReaders, DxfKeepsLayerNamesColoursHiddenInnerEdgesAndTheUnitAndSplitsLargeMeshesInto3dFaces) {
  std::vector<Point3> row;  // more points than a polyface mesh's face records can number
  for (int i = 0; i < 32768; ++i) row.push_back({double(i % 2), double(i / 2), 0});
  const std::vector<std::string> path = {"Cinema4D", "house.c4d"};
  const std::string dxf = (m_folder / "house.dxf").string();
  const c4dexport::ExportReport report = WriteExportFile(
      c4dexport::BuildExportScene({HostCube(10, {2, {0, 204, 25, 25}}), HostCube(10, {0, {50, 255, 0, 0}, "x.surf"}),
                        HostCube(10, {0, {100, 0, 0, 255}}),
                        HostMesh({{0, 0, 0}, {2, 0, 0}, {3, 1, 0}, {1, 2, 0}, {-1, 1, 0}}, {{0, 1, 2, 3, 4}}),  // 3 triangles
                        HostMesh(row, {{0, 1, 3, 2}}), HostPolyline({{0, 0, 0}, {10, 0, 0}, {10, 10, 5}}, false, {1})},
                       {{1, "Walls", path}, {2, "Roof: east/west", path}, {3, "walls", path}}, "house.c4d"),
      dxf, *c4dexport::FindExportFormat("dxf"));
  ASSERT_TRUE(report.written) << report.error;
  json back;
  RunReader(Audit(dxf), back);
  if (back.is_null()) return;
  // Layer names differ without regard to case; ":" and "/" are not allowed.
  EXPECT_EQ(back["layers"], json({"0", "Walls", "Roof_ east_west", "walls_2"}));
  // Millimetres; four polyface meshes and a 3D face; the two inner edges of
  // the split polygon hidden on both sides; one 3D polyline of two segments.
  EXPECT_EQ(json({back["units"], back["meshes"], back["faces"], back["hidden"], back["lines"]}), json({4, 4, 22, 4, 2}));
  EXPECT_EQ(back["entities"], json::parse(R"([["POLYLINE", "Roof_ east_west", "CC1919", 0.0],
      ["POLYLINE", "0", "FF0000", 0.5], ["POLYLINE", "0", "0000FF", 1.0], ["POLYLINE", "0", "000000", 0.0],
      ["POLYLINE", "Walls", "000000", 0.0]])"));
}

TEST_F(ReferenceReaders, AFolderThatCannotBeWrittenGivesAnErrorInEveryFormat) {
  for (const c4dexport::ExportFormat& format : c4dexport::ExportFormats()) {
    const auto report = WriteExportFile(c4dexport::BuildExportScene({HostCube(1)}, {}, "house.c4d"),
                                        (m_folder / "missing" / ("house." + format.name)).string(), format);
    EXPECT_FALSE(report.written || report.error.empty()) << format.name;
  }
}

}  // namespace
