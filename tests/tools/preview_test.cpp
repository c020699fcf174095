// The preview image and the view camera read from a newer file, and the
// preview verb on files with and without one.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "document_view.h"
#include "memory_file.h"
#include "preview_verb.h"
#include "view_camera.h"

namespace {

const std::vector<uint8_t> kJpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0xFF, 0xC0, 0, 11, 8, 0, 30, 0, 40, 1, 0xFF, 0xD9};

struct View {
  int projection;
  float focal, aperture = 36;
  Vector rotation{1.5707963f, 0, 0};
};

// A newer document with a preview (when given) and a view list, by default a
// top view and a perspective one with a focal length of 50.
std::vector<uint8_t> Scene(const std::vector<uint8_t>& preview, const std::vector<View>& views = {{6, 50}, {0, 50}}) {
  C4DWriter w;
  w.NewerHeader(2025101).StartChunk(110059, 0).StartChunk(110024, preview.empty() ? 1 : 2).Int32(2025101).Bool(false);
  if (!preview.empty()) w.Bool(true).Private(preview);
  w.EndChunk().StartChunk(110107, 0).EndChunk().StartChunk(110123, 0).StartChunk(110306, 0).StartChunk(110124, 0);
  for (const View& view : views) {
    w.StartChunk(110305, 0).StartChunk(110050, 10).Int32(0).EndChunk().StartChunk(110305, 3).Str("");
    ContainerSpec(-1).Int(1001, view.projection).Real(500, view.focal).Real(1006, view.aperture).WriteChunk(w);
    w.Vec({10, 20, 30}).Vec({1, 1, 1}).Vec(view.rotation).EndChunk().EndChunk();
  }
  w.EndChunk().EndChunk().EndChunk().EndChunk();
  return w.Take();
}

TEST(Preview, ReadFromTheHeaderChunk) {
  for (const auto& stored : {kJpeg, std::vector<uint8_t>{}}) {
    MemoryFile f(Scene(stored));
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(f.opened);
    EXPECT_EQ(ReadDocumentPreview(f.file, jpeg), !stored.empty());
    EXPECT_EQ(jpeg, stored);
  }
  unsigned width = 0, height = 0;
  EXPECT_TRUE(c4dimport::JpegSize(kJpeg, width, height));
  EXPECT_EQ(width * 100 + height, 4030u);
}

TEST(Preview, TheFirstPerspectiveViewsCamera) {
  MemoryFile f(Scene(kJpeg));
  C4DViewCamera camera;
  ASSERT_TRUE(ReadViewCamera(f.file, camera));
  EXPECT_DOUBLE_EQ(camera.focalLength, 50);
  EXPECT_DOUBLE_EQ(camera.matrix.off.z, 30);
  // Heading a quarter turn: z goes to -x.
  EXPECT_NEAR(camera.matrix.zAxis.x, -1, 1e-6);
  EXPECT_NEAR(camera.HorizontalFov(), 2 * std::atan(18.0 / 50), 1e-12);
  // A camera turned by no number is passed over; a lens of no length or width keeps 36 by 36.
  for (const auto& views : {std::vector<View>{{0, 50, 24, {0, NAN, 0}}, {0, 0, 24}}, {{0, 50, 0}}}) {
    MemoryFile odd(Scene(kJpeg, views));
    ASSERT_TRUE(ReadViewCamera(odd.file, camera = {}));
    EXPECT_EQ(std::pair(camera.focalLength, camera.apertureWidth), std::pair(36.0, 36.0));
    EXPECT_NEAR(camera.matrix.zAxis.x, -1, 1e-6);
  }
}

TEST(Preview, VerbWritesTheImageOrSaysThereIsNone) {
  const auto dir = std::filesystem::temp_directory_path() / "c4d_preview_test";
  std::filesystem::create_directories(dir);
  struct Case {
    std::vector<uint8_t> preview;
    int exitCode;
  } cases[] = {{kJpeg, 0}, {{}, 3}};
  for (const Case& c : cases) {
    const auto scene = dir / "s.c4d", image = dir / "s.jpg";
    std::filesystem::remove(image);
    const std::vector<uint8_t> bytes = Scene(c.preview);
    std::ofstream(scene, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::ostringstream out, err;
    EXPECT_EQ(RunPreviewVerb({{scene.string()}, image.string(), false}, out, err), c.exitCode);
    std::ifstream in(image, std::ios::binary);
    EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}), c.preview);
  }
  std::filesystem::remove_all(dir);
}

TEST(Preview, CorpusViewCameraInTheHostFrame) {
  const std::string path = "/work/shared/corpus-newer/spline-bezier.c4d";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no corpus";
  const auto camera = c4dimport::ViewCameraOf(path);
  ASSERT_TRUE(camera);
  // Stored at (-33556.8, 6200.93, -88440.8) cm, y up: host millimetres, z up.
  EXPECT_NEAR(camera->position[0], -335568, 1);
  EXPECT_NEAR(camera->position[2], 62009.3, 1);
  EXPECT_NEAR(camera->aspect, 500.0 / 341, 1e-9);
}

}  // namespace
