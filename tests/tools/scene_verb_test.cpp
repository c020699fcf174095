// `c4dimport scene`: the loaded scene as text (its JSON is recorded with the
// scenes in tests/golden), and the exit code that tells whether the load
// succeeded.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "scene_verb.h"
#include "scene_writer.h"

namespace {

SceneSpec Scene() {
  SceneSpec scene;
  scene.materials = {MaterialSpec::Transparent("Glass", 1, {1, 0, 0}, 0.5f)};
  scene.layers = {LayerSpec::Named("Outer", 2).Child(LayerSpec::Named("Inner", 3))};
  ObjectSpec mesh = ObjectSpec::Polygon("Pane", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {{0, 1, 2, 2}});
  mesh.WithTexture(1).OnLayer(3).Colored({0, 0.5f, 1});
  scene.objects = {ObjectSpec::Null("Frame").Scaled({2, 2, 2}).Child(mesh),
                   ObjectSpec::Primitive("Cube", ObjectSpec::Polygon("CubeMesh", {}, {})),
                   ObjectSpec::Spline("Path", {{0, 0, 0}, {1, 0, 0}}, true)};
  return scene;
}

// Runs the verb on the bytes written to a file of its own.
int RunOn(const std::vector<uint8_t>& bytes, bool json, std::string& text) {
  const std::string path = ::testing::TempDir() + "scene_verb_test.c4d";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
  std::ostringstream out;
  const int rc = RunSceneVerb(path, json, out);
  std::remove(path.c_str());
  text = out.str();
  return rc;
}

TEST(SceneVerb, PrintsTheSceneForAPersonAndExitsWithOneWhenTheLoadFails) {
  std::string text;
  ASSERT_EQ(RunOn(WriteScene(Scene()), false, text), 0) << text;
  for (const char* expected :
       {"document: version 9500", "material \"Glass\": colour channel on, transparency channel on",
        "transparency 0.5", "layer \"Outer\"", "    layer \"Inner\"", "type 5154 Plugin Object, data 5140",
        "scale (2, 2, 2)", "colour (0, 0.5, 1), useColor 1, layer \"Inner\"", "tag Point Tag: 3 points",
        "tag Polygon Tag: 1 polygon", "fallback cache:", "object \"CubeMesh\"", "type 5101 Spline Object", "closed"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  }
  std::vector<uint8_t> bytes = WriteScene(Scene());
  bytes.resize(bytes.size() - 20);
  EXPECT_EQ(RunOn(bytes, false, text), 1);
  EXPECT_NE(text.find("object \"Frame\""), std::string::npos) << text;
  EXPECT_EQ(RunOn({'n', 'o', 'p', 'e'}, false, text), 1);
  EXPECT_NE(text.find("FILEERROR_FORMAT"), std::string::npos) << text;
}

}  // namespace
