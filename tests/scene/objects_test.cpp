// What the recorded scenes (tests/golden) do not show: matrix products, the
// light's payload, tag arrays and UVW lookups, channel states by version.
#include <gtest/gtest.h>

#include <cmath>

#include "memory_file.h"
#include "scene_test_util.h"

namespace scene_read {
void ExactCosineSine(double angle, double& cosine, double& sine);  // newer_payloads.cpp
}

namespace {

TEST(Matrices, ProductsAreTakenInDoublePrecision) {
  // In float, 1e8 + 1 rounds back to 1e8, so the sum would come out 0.
  Matrix a, b;
  a.off = {1e8f, 0, 0};
  a.yAxis = {-1e8f, 1, 0};
  b.off = {1, 1, 0};
  EXPECT_FLOAT_EQ(MatrixMultiply(a, b).off.x, 1.0f);
}

// The reduction Windows builds place objects with, held against the C
// library's long double cosine and sine, which reduce exactly here: within
// two units in the last place, up to 1e9 and at the angles nearest to
// multiples of pi/2 (where a short pi loses the most).
TEST(Matrices, AnglesAreReducedExactlyUpToABillionRadians) {
  std::vector<double> angles = {0.79, -2.5, -1e9, 0x1p30 - 1, 1647099.3291, 1.0e6 + 0.25};
  for (long double turns : {1.0L, 3.0L, 1048579.0L, 12345678.0L, 636619771.0L}) {
    angles.push_back(double(turns * 1.5707963267948966192313216916397514L));
  }
  for (double a = 0.8; a < 1e9; a *= 1.0123) angles.push_back(a);
  for (const double angle : angles) {
    double c = 0, s = 0;
    scene_read::ExactCosineSine(angle, c, s);
    const long double cosine = std::cos((long double)angle), sine = std::sin((long double)angle);
    EXPECT_TRUE(std::fabs(c - cosine) <= 4e-16L * std::fabs(cosine) && std::fabs(s - sine) <= 4e-16L * std::fabs(sine))
        << std::hexfloat << angle;
  }
}

// ---- tags ---------------------------------------------------------------------------

// Selections are read and kept, though the conversion does not use them;
// anything but a chunk where one must stand is a format error.
TEST(Selections, AreReadFromTheirChunk) {
  for (const bool damaged : {false, true}) {
    C4DWriter w = WithHeader();
    w.StartChunk(110117, 0);
    damaged ? w.Int32(2) : w.StartChunk(BaseSelect::kChunkId, 0).Int32(2).Int32(0).Int32(3).Int32(10).Int32(12).EndChunk();
    MemoryFile f(w.EndChunk());
    C4DPointObjectData data;
    int32_t id = 0, level = 0;
    ASSERT_TRUE(f.file.ExpectTag(TAG_CHUNK_START) && f.file.ReadChunkHeader(id, level));
    data.Read(f.file, id, level);
    EXPECT_EQ(f.file.GetError(), damaged ? FILEERROR_FORMAT : FILEERROR_NONE);
    EXPECT_EQ(data.pointSelection.IsSelected(11), !damaged);
  }
}

// ---- materials and layers -----------------------------------------------------------

// The channel states of the first material as digits.
std::string States(const SceneSpec& scene) {
  LoadedScene loaded(WriteScene(scene));
  EXPECT_TRUE(loaded.loaded) << loaded.error;
  auto* m = dynamic_cast<C4DMaterial*>(loaded.Materials().GetFirstMaterial());
  if (!m) return "none";
  std::string states;
  for (int32_t s : m->channelStates) states += char('0' + s);
  return states + " " + std::to_string(m->GetChannelState(-1)) + " " + NameOf(m);
}

TEST(Material, TheFileVersionDecidesHowManyChannelStatesThereAre) {
  struct Case {
    int32_t version, written, oldLevel;
    const char* states;
  };
  const Case cases[] = {{9000, 14, 1, "11111111111110 0 All"},  {9000, 13, 1, "11111111111110 0 All"},
                        {9399, -1, 1, "11111111111110 0 All"},  {9400, -1, 1, "11111111111111 1 All"},
                        {9500, -1, 1, "11111111111111 1 All"},  {kSceneVersionOld, -1, 0, "11111111111100 0 All"},
                        {kSceneVersionOld, -1, 1, "11111111111110 0 All"}, {kSceneVersionOld, -1, 4, "11111111111110 0 All"}};
  for (const Case& c : cases) {
    SceneSpec scene;
    scene.version = c.version;
    scene.materials.push_back(MaterialSpec::Colored("All", 1, {1, 1, 1}));
    scene.materials.back().channelStates.fill(1);
    scene.materials.back().channelsWritten = c.written;
    scene.materials.back().oldLevel = c.oldLevel;
    EXPECT_EQ(States(scene), c.states) << c.version << " " << c.oldLevel;
  }
}

}  // namespace
