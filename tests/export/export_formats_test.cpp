// Every format written and read back with the asset library's importer:
// faces, lines, points, the layer nodes and the material colours.
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "export_writer.h"
#include "host_scene.h"
#include "standin/host_control.h"

using namespace c4dexport;

namespace {

// What a file holds, as the importer reads it.
struct Readback {
  size_t triangles = 0;
  size_t quadrangles = 0;
  size_t lines = 0;
  std::set<std::string> names;  // nodes and meshes
  std::set<std::array<float, 3>> points;      // distinct positions, rounded
  std::map<std::string, std::array<float, 4>> colourByName;  // diffuse r, g, b and opacity
  std::set<std::array<int, 4>> pointColours;  // bytes r, g, b, a of coloured points
};

void Walk(const aiNode* node, Readback& out) {
  out.names.insert(node->mName.C_Str());
  for (unsigned i = 0; i < node->mNumChildren; ++i) Walk(node->mChildren[i], out);
}

bool ReadBack(const std::string& path, Readback& out, std::string& error) {
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(path, 0);
  if (!scene) {
    error = importer.GetErrorString();
    return false;
  }
  Walk(scene->mRootNode, out);
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    const aiMesh* mesh = scene->mMeshes[m];
    out.names.insert(mesh->mName.C_Str());
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
      switch (mesh->mFaces[f].mNumIndices) {
        case 2: ++out.lines; break;
        case 3: ++out.triangles; break;
        case 4: ++out.quadrangles; break;
        default: break;
      }
    }
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
      if (mesh->mColors[0]) {
        const aiColor4D& c = mesh->mColors[0][v];
        auto byte = [](float x) { return int(std::lround(x * 255)); };
        out.pointColours.insert({byte(c.r), byte(c.g), byte(c.b), byte(c.a)});
      }
      const aiVector3D& p = mesh->mVertices[v];
      auto round = [](float x) { return std::round(x * 1e4f) / 1e4f + 0.0f; };
      out.points.insert({round(p.x), round(p.y), round(p.z)});
    }
  }
  for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
    const aiMaterial* material = scene->mMaterials[i];
    aiColor4D diffuse(0, 0, 0, 1);
    material->Get(AI_MATKEY_COLOR_DIFFUSE, diffuse);
    // Opacity as the material gives it, else the diffuse colour's alpha.
    float opacity = diffuse.a;
    material->Get(AI_MATKEY_OPACITY, opacity);
    aiString name;
    material->Get(AI_MATKEY_NAME, name);
    out.colourByName[name.C_Str()] = {diffuse.r, diffuse.g, diffuse.b, opacity};
  }
  return true;
}

std::string Dump(const Readback& r) {
  std::ostringstream out;
  out << "triangles " << r.triangles << ", quadrangles " << r.quadrangles << ", lines " << r.lines << ", points "
      << r.points.size() << "\nnames:";
  for (const auto& n : r.names) out << " [" << n << "]";
  out << "\nmaterials:";
  for (const auto& [name, c] : r.colourByName) out << " " << name << "(" << c[0] << " " << c[1] << " " << c[2] << " " << c[3] << ")";
  return out.str();
}

class ExportFormatTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    standin::ResetHost();
    m_folder = std::filesystem::temp_directory_path() / ("c4dexport-" + std::to_string(getpid()));
    std::filesystem::create_directories(m_folder);
  }
  void TearDown() override {
    standin::ResetHost();
    std::error_code ignored;
    if (!getenv("KEEP_EXPORTS"))    std::filesystem::remove_all(m_folder, ignored);
  }

  // Two cubes of six quadrangles (one on "Walls", one on no layer), a roof
  // of two triangles on "Roof" in half transparent glass with a surface,
  // and on "Site" a closed outline of four points and an open line of three.
  static ExportScene House() {
    const HostStyle red = Style(1, {0, 204, 25, 25});
    const HostStyle glass = Style(2, {50, 255, 0, 0}, "Transparency\\col06_trans050.surf");
    const HostStyle green = Style(3, {0, 51, 153, 51});
    const HostObjectList objects = {
        HostMesh(CubePoints(10), CubeQuads(), red),
        HostMesh({{0, 0, 20}, {10, 0, 20}, {10, 10, 25}, {0, 10, 20}}, {{0, 1, 2}, {0, 2, 3}}, glass),
        HostMesh(CubePoints(10, 100), CubeQuads()),
        HostPolyline({{-10, -10, 0}, {30, -10, 0}, {30, 30, 0}, {-10, 30, 0}}, true, green),
        HostPolyline({{-20, -20, 0}, {-20, -30, 0}, {-30, -30, 5}}, false, green),
    };
    const std::vector<ExportLayer> layers = {{1, "Walls", {"Cinema4D", "house.c4d"}},
                                             {2, "Roof", {"Cinema4D", "house.c4d"}},
                                             {3, "Site", {"Cinema4D", "house.c4d"}}};
    return BuildExportScene(objects, layers, "house.c4d");
  }

  std::filesystem::path m_folder;
};

constexpr size_t kQuadrangles = 12;
constexpr size_t kTriangles = 2;
constexpr size_t kSegments = 6;
constexpr size_t kMeshPoints = 8 + 4 + 8;
constexpr size_t kLinePoints = 4 + 3;

TEST_P(ExportFormatTest, WritesMeshesLinesLayersAndColoursThatReadBack) {
  const ExportFormat* format = FindExportFormat(GetParam());
  ASSERT_NE(format, nullptr);
  const std::string path = (m_folder / ("house." + format->name)).string();
  const ExportReport report = WriteExportFile(House(), path, *format);
  ASSERT_TRUE(report.written) << report.error;
  EXPECT_EQ(report.meshes, 3u);

  Readback back;
  std::string error;
  ASSERT_TRUE(ReadBack(path, back, error)) << error;
  SCOPED_TRACE(Dump(back));

  // Faces: polygons kept whole, or split into two triangles per quadrangle.
  if (format->keepsPolygons) {
    EXPECT_EQ(back.quadrangles, kQuadrangles);
    EXPECT_EQ(back.triangles, kTriangles);
    EXPECT_EQ(report.polygons, kQuadrangles + kTriangles);
  } else {
    EXPECT_EQ(back.quadrangles, 0u);
    EXPECT_EQ(back.triangles, 2 * kQuadrangles + kTriangles);
    EXPECT_EQ(report.polygons, 2 * kQuadrangles + kTriangles);
  }

  // Lines, or the two polylines reported as left out. (The importer reads
  // no 3D polylines from DXF; the DXF tests below read them.)
  if (format->hasLines) {
    if (format->name != "dxf") {
      EXPECT_EQ(back.lines, kSegments);
      EXPECT_EQ(back.points.size(), kMeshPoints + kLinePoints);
    }
    EXPECT_EQ(report.polylines, 2u);
    EXPECT_TRUE(report.leftOut.empty());
  } else {
    EXPECT_EQ(back.lines, 0u);
    ASSERT_EQ(report.leftOut.size(), 2u);
    EXPECT_EQ(report.leftOut[0].objectNumber, 4u);
    EXPECT_NE(report.leftOut[0].reason.find("no lines"), std::string::npos);
    EXPECT_EQ(back.points.size(), kMeshPoints);
  }

  // Layers: nodes under "Cinema4D" and the file's node, OBJ groups, DXF
  // layers (which the importer turns into meshes of their names).
  std::set<std::string> layerNames = {"Walls", "Roof", "Site"};
  if (format->name == "glb" || format->name == "gltf" || format->name == "dae") {
    layerNames.insert({"Cinema4D", "house.c4d"});
  } else if (format->name == "obj") {
    layerNames.insert("house.c4d");
  } else if (format->name == "dxf") {
    layerNames.insert("0");
  } else {
    layerNames.clear();  // PLY, STL and 3MF (whose object names the importer does not keep) have none
  }
  for (const std::string& name : layerNames) EXPECT_TRUE(back.names.count(name)) << name;

  // Colours: materials named after colour or surface, colours on the points
  // for PLY; STL has none, DXF's are read below.
  if (format->name == "ply") {
    EXPECT_TRUE(back.pointColours.count({204, 25, 25, 255}));
    EXPECT_TRUE(back.pointColours.count({255, 0, 0, 127}) || back.pointColours.count({255, 0, 0, 128}));
  } else if (format->hasColours && format->name != "dxf") {
    const std::string prefix = format->name == "3mf" ? "id1_" : "";
    auto expectColour = [&](const std::string& name, std::array<float, 4> expected) {
      ASSERT_TRUE(back.colourByName.count(prefix + name)) << name;
      const auto& c = back.colourByName.at(prefix + name);
      for (int k = 0; k < 4; ++k) EXPECT_NEAR(c[k], expected[k], 0.01) << name << " component " << k;
    };
    expectColour("Colour_CC1919", {0.8f, 0.098f, 0.098f, 1});
    expectColour("col06_trans050", {1, 0, 0, 0.5f});
    if (format->hasLines) expectColour("Colour_339933", {0.2f, 0.6f, 0.2f, 1});
  }
}

TEST_F(ExportFormatTest, GltfIsYUpInMetres) {
  const std::string path = (m_folder / "house.glb").string();
  ASSERT_TRUE(WriteExportFile(House(), path, *FindExportFormat("glb")).written);
  Readback back;
  std::string error;
  ASSERT_TRUE(ReadBack(path, back, error)) << error;
  // Host (10, 10, 25) millimetres, Z up: x stays, the height becomes y and
  // the host's y turns into -z.
  EXPECT_TRUE(back.points.count({0.01f, 0.025f, -0.01f}));
  EXPECT_FALSE(back.points.count({10.0f, 10.0f, 25.0f}));
}

TEST_F(ExportFormatTest, ColladaDeclaresZUpInMillimetres) {
  const std::string path = (m_folder / "house.dae").string();
  ASSERT_TRUE(WriteExportFile(House(), path, *FindExportFormat("dae")).written);
  std::ifstream in(path);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("<up_axis>Z_UP</up_axis>"), std::string::npos);
  const size_t unit = text.find("meter=\"");
  ASSERT_NE(unit, std::string::npos);
  EXPECT_NEAR(std::stod(text.substr(unit + 7)), 0.001, 1e-9);
}

TEST_F(ExportFormatTest, ObjKeepsHostCoordinatesAndWritesItsMaterialFile) {
  const std::string path = (m_folder / "house.obj").string();
  ASSERT_TRUE(WriteExportFile(House(), path, *FindExportFormat("obj")).written);
  EXPECT_TRUE(std::filesystem::exists(m_folder / "house.mtl"));
  Readback back;
  std::string error;
  ASSERT_TRUE(ReadBack(path, back, error)) << error;
  EXPECT_TRUE(back.points.count({10.0f, 10.0f, 25.0f}));
}

TEST_F(ExportFormatTest, AFolderThatCannotBeWrittenGivesAnErrorForEveryFormat) {
  for (const ExportFormat& format : ExportFormats()) {
    const std::string path = (m_folder / "missing" / ("house." + format.name)).string();
    const ExportReport report = WriteExportFile(House(), path, format);
    EXPECT_FALSE(report.written) << format.name;
    EXPECT_FALSE(report.error.empty()) << format.name;
  }
}

TEST_F(ExportFormatTest, AnEmptySceneStillGivesAFileInEveryFormat) {
  const ExportScene empty = BuildExportScene({}, {}, "empty.c4d");
  for (const ExportFormat& format : ExportFormats()) {
    const std::string path = (m_folder / ("empty." + format.name)).string();
    const ExportReport report = WriteExportFile(empty, path, format);
    EXPECT_TRUE(report.written) << format.name << ": " << report.error;
    EXPECT_TRUE(std::filesystem::exists(path)) << format.name;
  }
}

TEST_F(ExportFormatTest, FormatsAreFoundByNameAndByExtension) {
  EXPECT_EQ(FindExportFormat(".GLB"), FindExportFormat("glb"));
  EXPECT_EQ(FormatOfPath("out/house.3mf")->name, "3mf");
  EXPECT_EQ(FormatOfPath("out.d/house"), nullptr);
  EXPECT_EQ(FormatOfPath("house.fbx"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, ExportFormatTest,
                         ::testing::Values("glb", "gltf", "obj", "ply", "stl", "dae", "3mf", "dxf"),
                         [](const auto& info) { return info.param == "3mf" ? std::string("threemf") : info.param; });

}  // namespace
