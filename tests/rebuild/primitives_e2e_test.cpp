// c4dimport import: primitives without caches reach every output format,
// marked as added by the converter; with --no-primitives they are left out
// and reported as not converted.
#include <nlohmann/json.hpp>

#include "../e2e/tool_process.h"

using nlohmann::json;

namespace {

class PrimitivesE2E : public ToolProcessTest {};

TEST_F(PrimitivesE2E, RebuiltIntoEveryFormatUnlessSwitchedOff) {
  SceneSpec scene;
  scene.objects.push_back(ObjectSpec::Polygon("Triangle", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}}));
  scene.objects.push_back(ObjectSpec::Plugin("Ball", 5160));
  scene.objects.back().node.data = ContainerSpec().Real(1110, 2).Int(1111, 8);
  const std::string path = Quoted(Write(scene, "balls.c4d"));
  for (const char* format : {"glb", "gltf", "obj", "ply", "stl", "dae", "3mf", "dxf"}) {
    const std::string out = " -o " + Quoted(Path(std::string("out.") + format)) + " ";
    const ToolResult withRun = Tool("import --json" + out + path);
    const ToolResult withoutRun = Tool("import --json --no-primitives" + out + path);
    ASSERT_EQ(withRun.exitCode, 0) << withRun.err;
    ASSERT_EQ(withoutRun.exitCode, 0) << withoutRun.err;
    const json with = json::parse(withRun.out), without = json::parse(withoutRun.out);
    EXPECT_GT(with["output"]["faces"].get<int>(), without["output"]["faces"].get<int>()) << format;
    EXPECT_EQ(with["session"], without["session"]);

    ASSERT_EQ(with["objects"].size(), 2u);
    EXPECT_EQ(with["objects"][1]["added"], "rebuilt: sphere \"Ball\" from its parameters");
    EXPECT_EQ(with["objects"][1]["points"].size(), 26u);
    EXPECT_EQ(with["notConverted"].size(), 0u);
    EXPECT_EQ(with["made"][0]["object"], 2);

    ASSERT_EQ(without["objects"].size(), 1u);
    EXPECT_FALSE(without["objects"][0].contains("added"));
    EXPECT_FALSE(without.contains("made"));
    EXPECT_EQ(without["notConverted"][0]["name"], "Ball");
  }
  const ToolResult summary = Tool("import " + path);
  EXPECT_NE(summary.out.find("2 mesh, 26 points, "), std::string::npos) << summary.out;
  EXPECT_NE(summary.out.find("rebuilt: sphere \"Ball\" from its parameters\n"), std::string::npos)
      << summary.out;
}

}  // namespace
