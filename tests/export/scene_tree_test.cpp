// A scene tree written by hand (nodes with placements, materials per
// polygon, a bitmap, UVs, normals with a sharp edge, a camera, one light of
// each kind, a polyline) and read back from glb, gltf, dae and obj by the
// asset library: the tree, where every point lands in the world, the
// corners' UVs and normals, the materials, and where the camera and the spot
// look. The glTF files also pass the Khronos validator.
#include <unistd.h>

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <numbers>
#include <set>

#include <gtest/gtest.h>

#include "export_writer.h"
#include "readers.h"

namespace {

namespace fs = std::filesystem;
using namespace c4dexport;
using Units = ExportScene::Units;

// A 1x1 PNG.
const char kPng[] = "\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x00\x01\x00\x00\x00\x01\x08\x02\x00\x00\x00\x90wS"
                    "\xde\x00\x00\x00\x0cIDATx\x9c\x63\xf8\xcf\xc0\x00\x00\x03\x01\x01\x00\xc9\xfe\x92\xef\x00\x00\x00"
                    "\x00IEND\xae\x42\x60\x82";

Transform Placed(double turnAboutZ, double turnAboutX, Point3 at) {
  const double cz = std::cos(turnAboutZ), sz = std::sin(turnAboutZ), cx = std::cos(turnAboutX), sx = std::sin(turnAboutX);
  const Transform z = {{{cz, -sz, 0, at[0]}, {sz, cz, 0, at[1]}, {0, 0, 1, at[2]}, {0, 0, 0, 1}}};
  const Transform x = {{{1, 0, 0, 0}, {0, cx, -sx, 0}, {0, sx, cx, 0}, {0, 0, 0, 1}}};
  return Multiply(z, x);
}

int AddNode(ExportScene& s, const std::string& name, int parent, const Transform& local, std::string layer = "") {
  ExportNode node;
  node.name = node.path = name, node.parent = parent, node.local = node.global = local, node.layer = layer;
  if (parent >= 0) {
    node.global = Multiply(s.nodes[size_t(parent)].global, local);
    node.path = s.nodes[size_t(parent)].path + " / " + name;
    s.nodes[size_t(parent)].children.push_back(s.nodes.size());
  }
  s.nodes.push_back(node);
  return int(s.nodes.size() - 1);
}

// The points given in the node's frame, stored in the world as the model keeps them.
std::vector<Point3> InWorld(const ExportScene& s, int node, std::vector<Point3> points) {
  for (Point3& p : points) p = Apply(s.nodes[size_t(node)].global, p);
  return points;
}

ExportScene TreeScene(const fs::path& texture, Units units) {
  ExportScene s;
  s.fileNode = "tree.c4d";
  s.units = units;
  s.groups = {{"tree.c4d", {"Cinema4D"}, 0}};
  auto material = [](std::string name, std::array<double, 3> colour, double opacity, std::string bitmap = "") {
    ExportMaterial m;
    m.name = name, m.fromScene = true, m.colour = colour, m.opacity = opacity;
    m.textureName = fs::path(bitmap).filename().string(), m.texturePath = bitmap;
    return m;
  };
  s.materials = {material("Red", {1, 0, 0}, 1), material("Glass", {0, 0, 1}, 0.5),
                 material("Bricks", {0.3, 0.3, 0.3}, 1, texture.string())};
  const int house = AddNode(s, "House", -1, Placed(std::numbers::pi / 2, 0, {1000, 0, 0}), "Walls");
  const int wing = AddNode(s, "Wing", house, Placed(0, std::numbers::pi / 2, {0, 2000, 500}));
  const int roof = AddNode(s, "Roof", wing, Placed(0.3, 0, {0, 0, 300}));
  // Two quadrangles folded along a sharp edge, each with its material.
  ExportMesh fold;
  fold.node = wing, fold.polygonMaterials = {0, 1};
  fold.points = InWorld(s, wing, {{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}, {100, 0, 100}, {100, 100, 100}});
  fold.polygons = {{0, 1, 2, 3}, {1, 4, 5, 2}};
  fold.cornerUVs = {{0, 0}, {0.5, 0}, {0.5, 1}, {0, 1}, {0.5, 0}, {1, 0}, {1, 1}, {0.5, 1}};
  const Point3 up = ApplyToDirection(s.nodes[size_t(wing)].global, {0, 0, 1});
  const Point3 side = ApplyToDirection(s.nodes[size_t(wing)].global, {-1, 0, 0});
  fold.cornerNormals = {up, up, up, up, side, side, side, side};
  ExportMesh tile;  // textured, faceted
  tile.node = roof, tile.material = 2;
  tile.points = InWorld(s, roof, {{0, 0, 0}, {50, 0, 0}, {0, 50, 0}});
  tile.polygons = {{0, 1, 2}};
  tile.cornerUVs = {{0, 0.25}, {1, 0.25}, {0, 0.75}};
  s.meshes = {fold, tile};
  s.polylines = {{7, 0, 0, house, InWorld(s, house, {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}), true}};
  ExportSceneCamera camera;
  camera.name = "Eye", camera.node = size_t(AddNode(s, "Eye", roof, Placed(0.5, -0.2, {10, 20, 30})));
  s.cameras = {camera};
  const ExportLight::Kind kinds[] = {ExportLight::Kind::Point, ExportLight::Kind::Spot, ExportLight::Kind::Infinite,
                                     ExportLight::Kind::Area};
  for (const auto kind : kinds) {
    ExportLight light;
    light.name = "Light" + std::to_string(int(kind)), light.kind = kind, light.innerAngle = 0.4;
    light.node = size_t(AddNode(s, light.name, house, Placed(0.1 * int(kind), 0.7, {0, 0, 900})));
    if (kind == ExportLight::Kind::Area) light.note = "an area light written as a point light";
    s.lights.push_back(light);
  }
  return s;
}

aiMatrix4x4 WorldOf(const aiNode* node) {
  aiMatrix4x4 world;
  for (; node; node = node->mParent) world = node->mTransformation * world;
  return world;
}

struct FormatCase {
  const char* format;
  Units units;
  bool yUp;        // read back Y up (glTF, and COLLADA through its declared up axis)
  double divisor;  // host millimetres per unit read back (COLLADA read back in metres)
};
const FormatCase kCases[] = {{"glb", Units::Millimetres, true, 1000}, {"gltf", Units::Millimetres, true, 1000},
                             {"dae", Units::Millimetres, true, 1000}, {"obj", Units::Millimetres, false, 1},
                             {"gltf", Units::Centimetres, true, 10},  {"dae", Units::Centimetres, true, 1000},
                             {"obj", Units::Centimetres, false, 10}};

void PrintTo(const FormatCase& c, std::ostream* out) { *out << c.format << (c.units == Units::Centimetres ? " cm" : " mm"); }

aiVector3D Expected(const Point3& p, const FormatCase& c, double divisor) {
  const Point3 q = {p[0] / divisor, p[1] / divisor, p[2] / divisor};
  return c.yUp ? aiVector3D(ai_real(q[0]), ai_real(q[2]), ai_real(-q[1])) : aiVector3D(ai_real(q[0]), ai_real(q[1]), ai_real(q[2]));
}
bool Near(const aiVector3D& a, const aiVector3D& b) { return (a - b).Length() < 1e-3f * std::max(1.f, b.Length()); }

class SceneTree : public ::testing::TestWithParam<FormatCase> {
 protected:
  void SetUp() override { fs::create_directories(m_folder / "tex"); }
  void TearDown() override { if (!getenv("KEEP")) fs::remove_all(m_folder); }
  const fs::path m_folder = fs::temp_directory_path() / ("c4dtree-" + std::to_string(getpid()));
};

TEST_P(SceneTree, KeepsTheTreeMaterialsUvsNormalsCameraAndLights) {
  const FormatCase& c = GetParam();
  const fs::path texture = m_folder / "tex" / "red brick.png";
  std::ofstream(texture, std::ios::binary).write(kPng, sizeof kPng - 1);
  const ExportScene scene = TreeScene(texture, c.units);
  const std::string output = (m_folder / (std::string("tree.") + c.format)).string();
  const ExportReport report = WriteExportFile(scene, output, *FindExportFormat(c.format));
  ASSERT_TRUE(report.written) << report.error;
  const std::vector<std::string> notes = {"light \"Light3\": an area light written as a point light"};
  EXPECT_EQ(report.notes, c.yUp ? notes : std::vector<std::string>{});
  if (c.yUp && c.format != std::string("dae")) {
    int exitCode = 0;
    const auto back = nlohmann::json::parse(Shell(C4D_NODE " " C4D_SCRIPTS "/gltf_validate.js " C4D_GLTF_VALIDATOR " '" + output + "'", exitCode), nullptr, false);
    if (exitCode == 77 && !getenv("C4D_REQUIRE_VALIDATORS")) GTEST_SKIP() << "no glTF validator";
    ASSERT_EQ(exitCode, 0);
    EXPECT_EQ(back["errors"], 0) << back["messages"];
    EXPECT_EQ(back["warnings"], 0) << back["messages"];
  }

  Assimp::Importer importer;
  const aiScene* back = importer.ReadFile(output, 0);
  ASSERT_NE(back, nullptr) << importer.GetErrorString();
  const aiNode* wing = back->mRootNode->FindNode("Wing");
  if (c.yUp) {  // OBJ keeps no tree
    ASSERT_TRUE(wing && wing->mParent && wing->mParent->mName == aiString("House"));
    ASSERT_TRUE(back->mRootNode->FindNode("Roof") && back->mRootNode->FindNode("Roof")->mParent == wing);
    const aiVector3D offset(wing->mTransformation.a4, wing->mTransformation.b4, wing->mTransformation.c4);
    // COLLADA's nodes stay in the host's axes, in the declared unit.
    const aiVector3D dae = aiVector3D(0, 2000, 500) / (c.units == Units::Centimetres ? 10.f : 1.f);
    EXPECT_TRUE(Near(offset, c.format == std::string("dae") ? dae : Expected({0, 2000, 500}, c, c.divisor)));
  }
  // Every corner where the scene has it, in the world, with its UV (v up as
  // the library gives it) and normal.
  std::set<std::string> materials;
  size_t corners = 0;
  std::function<void(const aiNode*)> visit = [&](const aiNode* node) {
    const aiMatrix4x4 world = WorldOf(node);
    for (unsigned k = 0; k < node->mNumMeshes; ++k) {
      const aiMesh* mesh = back->mMeshes[node->mMeshes[k]];
      const aiMaterial* material = back->mMaterials[mesh->mMaterialIndex];
      materials.insert(material->GetName().C_Str());
      for (unsigned v = 0; v < mesh->mNumVertices && mesh->mPrimitiveTypes != aiPrimitiveType_LINE; ++v) {
        const aiVector3D at = world * mesh->mVertices[v];
        bool found = false;
        for (const ExportMesh& m : scene.meshes) {
          size_t corner = 0;
          for (const auto& polygon : m.polygons) {
            for (const uint32_t point : polygon) {
              const auto& uv = m.cornerUVs[corner];
              bool same = Near(at, Expected(m.points[point], c, c.divisor)) &&
                          Near(mesh->mTextureCoords[0][v], aiVector3D(ai_real(uv[0]), ai_real(1 - uv[1]), 0));
              if (same && !m.cornerNormals.empty()) {
                same = Near(aiMatrix3x3(world) * mesh->mNormals[v] / (aiMatrix3x3(world) * mesh->mNormals[v]).Length(),
                            Expected(m.cornerNormals[corner], c, 1));
              }
              found |= same;
              ++corner;
            }
          }
        }
        EXPECT_TRUE(found) << "vertex " << v << " of " << mesh->mName.C_Str();
        ++corners;
      }
    }
    for (unsigned i = 0; i < node->mNumChildren; ++i) visit(node->mChildren[i]);
  };
  visit(back->mRootNode);
  EXPECT_GE(corners, 9u);  // the fold's two sides apart along the sharp edge, and the tile
  EXPECT_TRUE(materials.count("Red") && materials.count("Glass") && materials.count("Bricks"));
  for (unsigned i = 0; i < back->mNumMaterials; ++i) {
    const aiMaterial* m = back->mMaterials[i];
    aiColor4D colour(0, 0, 0, 1);
    m->Get(AI_MATKEY_COLOR_DIFFUSE, colour);
    m->Get(AI_MATKEY_OPACITY, colour.a);
    aiString bitmap;
    m->GetTexture(aiTextureType_DIFFUSE, 0, &bitmap);
    if (m->GetName() == aiString("Glass")) {
      EXPECT_TRUE(colour == aiColor4D(0, 0, 1, 0.5f));
    }
    if (m->GetName() != aiString("Bricks")) continue;
    EXPECT_TRUE(colour == aiColor4D(1, 1, 1, 1));
    const char* expected = c.format == std::string("glb") ? "*0" : c.format == std::string("gltf") ? "tex/red%20brick.png" : "tex/red brick.png";
    EXPECT_STREQ(bitmap.C_Str(), expected);
  }
  if (!c.yUp) return;
  // The camera and the spot look along +Y of their nodes.
  ASSERT_EQ(back->mNumCameras, 1u);
  ASSERT_EQ(back->mNumLights, 4u);
  const aiLight* spot = back->mLights[0];
  for (unsigned i = 0; i < back->mNumLights; ++i) spot = back->mLights[i]->mType == aiLightSource_SPOT ? back->mLights[i] : spot;
  const aiCamera* camera = back->mCameras[0];
  for (const auto& [name, node, along] : {std::tuple{camera->mName, scene.cameras[0].node, camera->mLookAt},
                                          {spot->mName, scene.lights[1].node, spot->mDirection}}) {
    const aiNode* found = back->mRootNode->FindNode(name);
    ASSERT_TRUE(found) << name.C_Str();
    aiVector3D look = aiMatrix3x3(WorldOf(found)) * along;
    EXPECT_TRUE(Near(look.Normalize(), Expected(ApplyToDirection(scene.nodes[node].global, {0, 1, 0}), c, 1))) << name.C_Str();
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, SceneTree, ::testing::ValuesIn(kCases), [](const auto& info) {
  return std::string(info.param.format) + (info.param.units == Units::Centimetres ? "_cm" : "_mm");
});

}  // namespace
