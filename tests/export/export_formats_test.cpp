// Host objects written into each format and read back: the layer nodes, the
// axes and units, and the material colours through the asset library's
// importer; the DXF layer table, colours, hidden inner edges, 3D faces and
// unit through ezdxf.
#include <unistd.h>

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

#include <gtest/gtest.h>

#include "export_writer.h"
#include "host_scene.h"
#include "readers.h"
#include "standin/host_control.h"

using namespace c4dexport;
namespace fs = std::filesystem;

namespace {

class FormatWriters : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::ResetHost();
    fs::create_directories(m_folder);
  }
  void TearDown() override {
    standin::ResetHost();
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
  }
  // A red cube on "Walls", a half transparent glass roof with a surface on
  // "Roof", a cube on no layer and on "Site" a closed outline.
  static ExportScene House() {
    const HostObjectList objects = {
        HostMesh(CubePoints(10), CubeQuads(), Style(1, {0, 204, 25, 25})),
        HostMesh({{0, 0, 20}, {10, 0, 20}, {10, 10, 25}, {0, 10, 20}}, {{0, 1, 2}, {0, 2, 3}},
                 Style(2, {50, 255, 0, 0}, "Transparency\\col06_trans050.surf")),
        HostMesh(CubePoints(10, 100), CubeQuads()),
        HostPolyline({{-10, -10, 0}, {30, -10, 0}, {30, 30, 0}}, true, Style(3, {0, 51, 153, 51}))};
    const std::vector<std::string> path = {"Cinema4D", "house.c4d"};
    return BuildExportScene(objects, {{1, "Walls", path}, {2, "Roof", path}, {3, "Site", path}}, "house.c4d");
  }
  std::string Write(const ExportScene& scene, const std::string& name) {
    const std::string path = (m_folder / name).string();
    const ExportReport report = WriteExportFile(scene, path, *FormatOfPath(path));
    EXPECT_TRUE(report.written) << report.error;
    return path;
  }
  fs::path m_folder = fs::temp_directory_path() / ("c4dexport-" + std::to_string(getpid()));
};

struct NodesAndColours {
  const char* format;
  std::set<std::string> names;   // nodes (layers) the importer must find
  std::array<float, 3> roofTop;  // the host point (10, 10, 25) as the file holds it
  bool materials;
};

TEST_F(FormatWriters, LayersAxesAndColoursReadBack) {
  const std::set<std::string> nodes = {"Cinema4D", "house.c4d", "Walls", "Roof", "Site"};
  const NodesAndColours cases[] = {
      {"glb", nodes, {0.01f, 0.025f, -0.01f}, true},  // Y up, metres
      {"gltf", nodes, {0.01f, 0.025f, -0.01f}, true},
      {"dae", nodes, {10, 10, 25}, true},
      {"obj", {"house.c4d", "Walls", "Roof", "Site"}, {10, 10, 25}, true},
      {"ply", {}, {10, 10, 25}, false},
      {"stl", {}, {10, 10, 25}, false},
  };
  for (const NodesAndColours& c : cases) {
    SCOPED_TRACE(c.format);
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(Write(House(), std::string("house.") + c.format), 0);
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    std::set<std::string> names;
    std::vector<const aiNode*> open = {scene->mRootNode};
    while (!open.empty()) {
      const aiNode* node = open.back();
      open.pop_back();
      names.insert(node->mName.C_Str());
      open.insert(open.end(), node->mChildren, node->mChildren + node->mNumChildren);
    }
    for (const std::string& name : c.names) EXPECT_TRUE(names.count(name)) << name;
    bool found = false;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
      for (unsigned v = 0; v < scene->mMeshes[m]->mNumVertices; ++v) {
        const aiVector3D& p = scene->mMeshes[m]->mVertices[v];
        found |= std::abs(p.x - c.roofTop[0]) + std::abs(p.y - c.roofTop[1]) + std::abs(p.z - c.roofTop[2]) < 1e-5f;
      }
    }
    EXPECT_TRUE(found);
    std::map<std::string, std::array<float, 4>> colours;
    for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
      aiColor4D diffuse(0, 0, 0, 1);
      scene->mMaterials[i]->Get(AI_MATKEY_COLOR_DIFFUSE, diffuse);
      float opacity = diffuse.a;
      scene->mMaterials[i]->Get(AI_MATKEY_OPACITY, opacity);
      colours[scene->mMaterials[i]->GetName().C_Str()] = {diffuse.r, diffuse.g, diffuse.b, opacity};
    }
    if (!c.materials) continue;
    for (const auto& [name, rgba] : {std::pair{"Colour_CC1919", std::array<float, 4>{0.8f, 0.098f, 0.098f, 1}},
                                     std::pair{"col06_trans050", std::array<float, 4>{1, 0, 0, 0.5f}},
                                     std::pair{"Colour_339933", std::array<float, 4>{0.2f, 0.6f, 0.2f, 1}}}) {
      ASSERT_TRUE(colours.count(name)) << name;
      for (int k = 0; k < 4; ++k) EXPECT_NEAR(colours[name][k], rgba[k], 0.01) << name << " " << k;
    }
  }
  std::ifstream dae(m_folder / "house.dae");
  const std::string text((std::istreambuf_iterator<char>(dae)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("<up_axis>Z_UP</up_axis>"), std::string::npos);
  const size_t unit = text.find("meter=\"");
  ASSERT_NE(unit, std::string::npos);
  EXPECT_NEAR(std::stod(text.substr(unit + 7)), 0.001, 1e-9);
}

TEST_F(FormatWriters, DxfLayersColoursHiddenEdgesAndLargeMeshesReadBackInEzdxf) {
  // 182 x 182 points: more than a polyface mesh's face records can number.
  const int side = 182;
  std::vector<Point3> grid;
  std::vector<std::vector<unsigned>> quads;
  for (int i = 0; i < side * side; ++i) grid.push_back({double(i % side), double(i / side), 0});
  for (unsigned a = 0; a + side + 1 < grid.size(); ++a) {
    if (a % side != side - 1) quads.push_back({a, a + 1, a + side + 1, a + side});
  }
  const std::vector<std::string> path = {"Cinema4D", "house.c4d"};
  const ExportScene scene = BuildExportScene(
      {HostMesh(CubePoints(10), CubeQuads(), Style(2, {0, 204, 25, 25})),
       HostMesh(CubePoints(10), CubeQuads(), Style(0, {50, 255, 0, 0}, "x.surf")),
       HostMesh(CubePoints(10), CubeQuads(), Style(0, {100, 0, 0, 255})),
       HostMesh({{0, 0, 0}, {2, 0, 0}, {3, 1, 0}, {1, 2, 0}, {-1, 1, 0}}, {{0, 1, 2, 3, 4}}),  // three triangles
       HostMesh(grid, quads), HostPolyline({{0, 0, 0}, {10, 0, 0}, {10, 10, 5}}, false, Style(1))},
      {{1, "Walls", path}, {2, "Roof: east/west", path}, {3, "walls", path}}, "house.c4d");
  const std::string dxf = Write(scene, "house.dxf");
  int exitCode = 0;
  const std::string out = Shell(std::string(C4D_PYTHON) + " " + C4D_SCRIPTS "/dxf_audit.py " + dxf, exitCode);
  if (exitCode == 77) GTEST_SKIP() << "ezdxf is not installed";
  ASSERT_EQ(exitCode, 0) << out;
  const nlohmann::json back = nlohmann::json::parse(out);
  // Layer names differ without regard to case; ":" and "/" are not allowed.
  const std::vector<std::string> layers = {"0", "Walls", "Roof_ east_west", "walls_2"};
  EXPECT_TRUE(std::equal(layers.begin(), layers.end(), back["layers"].begin())) << back["layers"];
  EXPECT_EQ(back["units"], 4);  // millimetres
  EXPECT_EQ(back["meshes"], 4);
  EXPECT_EQ(back["faces"], 6 * 3 + 3 + (side - 1) * (side - 1));
  EXPECT_EQ(back["hidden"], 4);  // two inner edges, hidden on both sides
  EXPECT_EQ(back["lines"], 2);
  EXPECT_EQ(back["entities"], nlohmann::json::parse(R"([["POLYLINE", "Roof_ east_west", "CC1919", 0.0],
      ["POLYLINE", "0", "FF0000", 0.5], ["POLYLINE", "0", "0000FF", 1.0], ["POLYLINE", "0", "000000", 0.0],
      ["POLYLINE", "Walls", "000000", 0.0]])"));
}

TEST_F(FormatWriters, FormatsByNameAndExtensionAndAFolderThatCannotBeWritten) {
  EXPECT_EQ(FindExportFormat(".GLB"), FindExportFormat("glb"));
  EXPECT_EQ(FormatOfPath("out/house.3mf")->name, "3mf");
  EXPECT_EQ(FormatOfPath("out.d/house"), nullptr);
  EXPECT_EQ(FormatOfPath("house.fbx"), nullptr);
  for (const ExportFormat& format : ExportFormats()) {
    const ExportReport report = WriteExportFile(House(), (m_folder / "missing" / ("house." + format.name)).string(), format);
    EXPECT_FALSE(report.written) << format.name;
    EXPECT_FALSE(report.error.empty()) << format.name;
  }
}

}  // namespace
