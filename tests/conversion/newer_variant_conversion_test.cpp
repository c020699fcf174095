// Scenes of the newer file variant through the module: a written scene, and
// the real files of the newer-variant corpus (skipped when it is absent).
#include <filesystem>

#include "damage_scenes.h"
#include "import_fixture.h"

namespace {

class NewerVariantImport : public ImportTest {};

TEST_F(NewerVariantImport, MeshKeepsDoublePrecisionColourAndLayerAndASplineConverts) {
  const HostObjects objects = Import(NewerVariantScene());
  ASSERT_EQ(objects.size(), 2u);
  // The group at (10, 0, 0), scaled by 2: x = 10 + 2 * (1e6 + 0.125), exact in double only.
  EXPECT_EQ(PointsOf(objects[0])[0], (HostPoint{20000102.5, 0, 10}));
  EXPECT_EQ(GeometryOf(objects[0]).GetFaces().size(), 2u);
  EXPECT_EQ((ArgbOf(objects[0])), (std::array<int, 4>{0, 204, 25, 25}));
  EXPECT_NE(LayerOf(objects[0]), LayerOf(objects[1]));
  EXPECT_EQ(PointsOf(objects[1]).size(), 5u);  // closed: the first point again
  EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"1 of 3 objects could not be converted."}));
}

TEST_F(NewerVariantImport, CorpusFilesImportWhatTheyHold) {
  struct Case { const char* file; size_t meshes, polylines, points; std::vector<std::string> messages; };
  const std::string none = "No object of the scene could be converted.", one = "1 of 1 objects could not be converted.";
  const Case cases[] = {
      {"mesh-volume.c4d", 9, 0, 33353, {"1 of 10 objects could not be converted."}},
      {"mesh-icon.c4d", 4, 0, 2504, {"4 of 8 objects could not be converted."}},
      {"spline-bezier.c4d", 0, 0, 0, {one, none}},
      {"spline-offset-path.c4d", 0, 1, 204, {"1 of 2 objects could not be converted."}},
      {"generators-pie-chart.c4d", 0, 0, 0, {none}}, {"generators-spiral.c4d", 0, 0, 0, {one, none}},
      {"header6-export.c4d", 0, 0, 0, {one, none}},  {"header6-light-tag.c4d", 0, 0, 0, {one, none}},
  };
  if (!std::filesystem::exists(C4D_CORPUS_NEWER_DIR)) GTEST_SKIP() << "no corpus at " << C4D_CORPUS_NEWER_DIR;
  for (const Case& c : cases) {
    m_ui.Clear();
    const HostObjects objects = Import(std::string(C4D_CORPUS_NEWER_DIR) + "/" + c.file);
    size_t meshes = 0, points = 0;
    for (const auto& object : objects) {
      meshes += GeometryOf(object).GetFaces().empty() ? 0 : 1;
      points += PointsOf(object).size();
    }
    EXPECT_EQ(meshes, c.meshes) << c.file;
    EXPECT_EQ(objects.size() - meshes, c.polylines) << c.file;
    EXPECT_EQ(points, c.points) << c.file;
    EXPECT_EQ(ErrorTexts(), c.messages) << c.file;
  }
}

}  // namespace
