// The scene's structure and look beside the host's objects: the object tree
// with placements, materials by texture tags (restricted ones to their
// polygon selection), texture coordinates, normals by the phong tag, the
// cameras and the lights.
#include <cmath>
#include <fstream>
#include <numbers>

#include "c4d_object_data.h"
#include "convert_file.h"
#include "import_fixture.h"
#include "look_scene.h"

namespace {

using c4dexport::ExportLight;
using c4dexport::ExportMesh;
using c4dexport::ExportScene;
using c4dexport::Point3;

double Dot(const Point3& a, const Point3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

class SceneStructure : public ImportTest {
 protected:
  ExportScene Convert(const SceneSpec& spec) {
    WriteFile(TinyPng(), "roof.png");
    c4dimport::ConvertOptions options;
    options.import.ui = &m_ui;
    options.keepScene = true;
    c4dimport::Conversion done = c4dimport::ConvertFile(WriteScene(spec), options);
    EXPECT_TRUE(done.failures.empty()) << done.failures.front();
    return done.scene.value_or(ExportScene());
  }

  static int NodeNamed(const ExportScene& scene, const std::string& path) {
    for (size_t n = 0; n < scene.nodes.size(); ++n) {
      if (scene.nodes[n].path == path) return int(n);
    }
    return -1;
  }
  static const ExportMesh& MeshOf(const ExportScene& scene, const std::string& path) {
    static const ExportMesh none;
    const int node = NodeNamed(scene, path);
    if (node < 0 || scene.nodes[size_t(node)].meshes.empty()) return none;
    return scene.meshes[scene.nodes[size_t(node)].meshes.front()];
  }
};

TEST_F(SceneStructure, TheTreeKeepsNamesPivotsAndObjectSpaceMeshesAndLeavesHiddenObjectsOut) {
  const ExportScene scene = Convert(LookScene());
  std::vector<std::string> paths;
  for (const auto& node : scene.nodes) paths.push_back(node.path);
  EXPECT_EQ(paths, (std::vector<std::string>{"House", "House / Walls", "House / Pane", "Shed", "Sign", "Step", "Cam", "Key", "Fill",
                                             "Sun", "Panel"}));
  const auto& house = scene.nodes[0];
  const auto& walls = scene.nodes[1];
  EXPECT_EQ(walls.parent, 0);
  // Host axes: ten times the scene's, y and z swapped; the turn about the
  // scene's z is one about the host's y.
  EXPECT_NEAR(house.local[0][3], 1000, 1e-6);
  EXPECT_NEAR(walls.local[1][3], 500, 1e-6);
  EXPECT_NEAR(std::abs(house.local[1][1]), 1, 1e-6);
  const Point3 wallsAt = {walls.global[0][3], walls.global[1][3], walls.global[2][3]};
  EXPECT_NEAR(wallsAt[0], 1000, 1e-3);
  EXPECT_NEAR(wallsAt[1], 500, 1e-3);

  const ExportMesh& mesh = MeshOf(scene, "House / Walls");
  ASSERT_EQ(mesh.node, 1);
  const std::vector<Point3> local = c4dexport::LocalPoints(scene, mesh);
  ASSERT_EQ(local.size(), 8u);
  EXPECT_NEAR(local[1][0], 1000, 1e-3);
  EXPECT_NEAR(local[2][2], 1000, 1e-3);
  EXPECT_NEAR(local[2][1], 0, 1e-3);
}

TEST_F(SceneStructure, RestrictedTagsWinOnTheirSelectionAndMaterialsKeepBrightnessOpacityAndBitmaps) {
  const ExportScene scene = Convert(LookScene());
  const ExportMesh& walls = MeshOf(scene, "House / Walls");
  ASSERT_EQ(walls.polygonMaterials.size(), 3u);
  const auto nameOf = [&](size_t m) { return scene.materials[m].name; };
  EXPECT_EQ(nameOf(walls.polygonMaterials[0]), "Wall");
  EXPECT_EQ(nameOf(walls.polygonMaterials[1]), "Wall");
  EXPECT_EQ(nameOf(walls.polygonMaterials[2]), "Roof");
  const auto& wall = scene.materials[walls.polygonMaterials[0]];
  EXPECT_NEAR(wall.Red(), 0.4, 1e-6);
  const auto& roof = scene.materials[walls.polygonMaterials[2]];
  EXPECT_EQ(roof.textureName, "roof.png");
  EXPECT_EQ(std::filesystem::path(roof.texturePath).filename(), "roof.png");
  const ExportMesh& pane = MeshOf(scene, "House / Pane");
  EXPECT_TRUE(pane.polygonMaterials.empty());
  EXPECT_EQ(nameOf(pane.material), "Glass");
  EXPECT_NEAR(scene.materials[pane.material].Opacity(), 0.25, 1e-6);
  // A bitmap stored with a foreign path is looked for by its name; missing, it is reported.
  EXPECT_EQ(scene.materials[MeshOf(scene, "Shed").material].texturePath, "");
  ASSERT_FALSE(scene.notes.empty());
  EXPECT_NE(scene.notes.front().find("\"C:\\maps\\gone.png\" of material \"Slate\" not found"), std::string::npos);
  // An object without a material shows the scene program's default one.
  EXPECT_EQ(nameOf(MeshOf(scene, "Step").material), "Default");
  EXPECT_NEAR(scene.materials[MeshOf(scene, "Step").material].Green(), 0.8, 1e-9);
  // Put in the tex folder beside the scene, it is found by its name.
  std::filesystem::create_directories(m_folder / "tex");
  WriteFile(TinyPng(), "tex/gone.png");
  const ExportScene found = Convert(LookScene());
  const std::filesystem::path shed = found.materials[MeshOf(found, "Shed").material].texturePath;
  EXPECT_EQ(shed.parent_path().filename(), "tex");
  // A material that only glows is written in its luminance.
  EXPECT_EQ(scene.materials[MeshOf(scene, "Sign").material].Red(), 1);
  EXPECT_EQ(scene.notes[1], "material \"Glow\": its luminance is written as its colour");
}

TEST_F(SceneStructure, CornersTakeTheirUVWsAndAreSmoothedOnlyAcrossEdgesWithinThePhongAngle) {
  const ExportScene scene = Convert(LookScene());
  const ExportMesh& walls = MeshOf(scene, "House / Walls");
  ASSERT_EQ(walls.cornerUVs.size(), 12u);
  // The first face runs a, b, c, d; the restricted tag offsets and stretches its face's.
  EXPECT_EQ(walls.cornerUVs[1], (std::array<double, 2>{1, 0}));
  EXPECT_EQ(walls.cornerUVs[8], (std::array<double, 2>{-0.25, -0.25}));
  ASSERT_EQ(walls.cornerNormals.size(), 12u);
  const auto& n = walls.cornerNormals;
  // Faces 0 and 1 meet at 20 degrees and share normals at points 1 and 2;
  // faces 1 and 2 meet at 70 degrees and keep their own.
  EXPECT_NEAR(Dot(n[1], n[5]), 1, 1e-9);   // point 1 on faces 0 and 1
  EXPECT_NEAR(Dot(n[2], n[4]), 1, 1e-9);   // point 2
  EXPECT_LT(Dot(n[0], n[1]), 1 - 1e-6);    // the first face's own corner differs
  EXPECT_NEAR(Dot(n[0], n[6]), 100 / std::hypot(100, 36.25), 1e-6);  // the own corners of faces 0 and 1
  EXPECT_NEAR(Dot(n[8], n[9]), 1, 1e-9);   // the third face is flat
  EXPECT_LT(Dot(n[6], n[8]), 0.5);          // point 4 on faces 1 and 2
  EXPECT_NEAR(walls.smoothAngle, std::numbers::pi / 4, 1e-6);
  EXPECT_TRUE(MeshOf(scene, "House / Pane").cornerNormals.empty());  // no phong tag: faceted
}

TEST_F(SceneStructure, CamerasAndLightsKeepTheirLensKindColourAndCone) {
  const ExportScene scene = Convert(LookScene());
  ASSERT_EQ(scene.cameras.size(), 1u);
  EXPECT_EQ(scene.cameras[0].focalLength, 50);
  EXPECT_EQ(scene.cameras[0].filmWidth, 36);
  EXPECT_EQ(scene.nodes[scene.cameras[0].node].camera, 0);
  ASSERT_EQ(scene.lights.size(), 4u);
  using Kind = ExportLight::Kind;
  EXPECT_EQ((std::array{scene.lights[0].kind, scene.lights[1].kind, scene.lights[2].kind, scene.lights[3].kind}),
            (std::array{Kind::Spot, Kind::Point, Kind::Infinite, Kind::Area}));
  EXPECT_NEAR(scene.lights[0].brightness, 0.5, 1e-6);
  EXPECT_NEAR(scene.lights[0].colour[2], 0.8, 1e-6);
  EXPECT_NEAR(scene.lights[0].outerAngle, 0.6, 1e-6);
  EXPECT_NEAR(scene.lights[0].innerAngle, 0.1, 1e-6);
  EXPECT_NE(scene.lights[3].note, "");
}

}  // namespace
