// `c4dimport import` as a person or a script runs it: the whole JSON result
// of scenes written with the test writer, the exit codes, and the layer table
// kept in a file between runs.
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include <gtest/gtest.h>

#include "scene_writer.h"
#include "tool_process.h"

using nlohmann::json;

namespace {

using ToolRun = ToolResult;

class ImportVerb : public ToolProcessTest {
 protected:
  json ImportJson(const std::string& arguments, int expectedExit) {
    const ToolRun run = Tool("import --json " + arguments);
    EXPECT_EQ(run.exitCode, expectedExit) << run.out;
    return json::parse(run.out);
  }
};

json Session(unsigned total, unsigned converted, unsigned maxPolygons, bool convertLarge, bool cancelled) {
  return {{"total", total}, {"converted", converted}, {"maxPolygons", maxPolygons},
          {"convertLarge", convertLarge}, {"cancelled", cancelled}};
}

json Leaf(unsigned id, const std::string& name, const std::string& fileNode) {
  return {{"id", id}, {"long", name}, {"short", name.substr(0, 8)}, {"path", {"Cinema4D", fileNode}},
          {"config", 0}, {"userDefined", true}};
}

// A glass pane on "Parts" and a closed rim on its child layer "Edges".
SceneSpec PaneAndRim() {
  SceneSpec scene;
  scene.materials = {MaterialSpec::Transparent("Glass", 10, {1, 0, 0}, 0.5f)};
  scene.layers = {LayerSpec::Named("Parts", 1).Child(LayerSpec::Named("Edges", 2))};
  scene.objects = {
      ObjectSpec::Polygon("Pane", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}}).OnLayer(1).WithTexture(10),
      ObjectSpec::Spline("Rim", {{0, 0, 0}, {0.123f, 0, 0}, {0, 0, 2}}, true).OnLayer(2).Colored({0.2f, 0.4f, 0.6f})};
  return scene;
}

TEST_F(ImportVerb, WholeResultOfAConvertedScene) {
  const std::string path = Write(PaneAndRim(), "e2e.c4d");
  const double rimX = static_cast<double>(0.123f * 10.0f);
  const json expected = {
      {"file", path},
      {"status", "ok"},
      {"objects",
       {{{"kind", "mesh"}, {"dimension", 3}, {"orientation", 1}, {"layer", 1}, {"argb", {50, 255, 0, 0}},
         {"surface", "Transparency\\col06_trans050.surf"},
         {"points", {{0, 0, 0}, {10, 0, 0}, {0, 0, 10}}},
         {"edges", {{1, 2}, {2, 3}, {3, 1}}},
         {"faces", {{1, 2, 3}}}},
        {{"kind", "polyline"}, {"dimension", 1}, {"orientation", 1}, {"layer", 2}, {"argb", {0, 51, 102, 153}},
         {"surface", nullptr},
         {"points", {{0, 0, 0}, {rimX, 0, 0}, {0, 20, 0}, {0, 0, 0}}},
         {"edges", {{1, 2}, {2, 3}, {3, 4}}},
         {"faces", json::array()}}}},
      {"layers", {Leaf(1, "Parts", "e2e.c4d"), Leaf(2, "Edges", "e2e.c4d")}},
      {"messages", json::array()},
      {"session", Session(2, 2, 1, false, false)}};
  const ToolRun run = Tool("import --json '" + path + "'");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(json::parse(run.out), expected) << run.out;

  char shortest[64];
  const auto end = std::to_chars(shortest, shortest + sizeof shortest, rimX).ptr;
  EXPECT_NE(run.out.find("[" + std::string(shortest, end) + ", 0, 0]"), std::string::npos)
      << "points print as the shortest text that reads back as the same double";
}

TEST_F(ImportVerb, UnreadableFileGivesItsMessageAndExitCodeOne) {
  const std::string path = Path("missing.c4d");
  const json expected = {
      {"file", path},
      {"status", "unreadable"},
      {"objects", json::array()},
      {"layers", json::array()},
      {"messages",
       {{{"box", "error"}, {"type", 0}, {"text", "The file " + path + " could not be read as a Cinema 4D scene."}}}},
      {"session", Session(0, 0, 0, false, false)}};
  EXPECT_EQ(ImportJson("'" + path + "'", 1), expected);
}

TEST_F(ImportVerb, CancelAfterOneObjectKeepsWhatWasConvertedAndExitsWithFour) {
  SceneSpec scene;
  scene.objects = {ObjectSpec::Polygon("A", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}}),
                   ObjectSpec::Polygon("B", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}}),
                   ObjectSpec::Spline("C", {{0, 0, 0}, {1, 0, 0}}, false)};
  const json result = ImportJson("--cancel-after 1 '" + Write(scene, "three.c4d") + "'", 4);
  ASSERT_EQ(result["objects"].size(), 2u);
  EXPECT_EQ(result["objects"][0]["kind"], "mesh");
  EXPECT_EQ(result["objects"][1]["kind"], "polyline");
  EXPECT_EQ(result["messages"], json::array()) << "no summary after Cancel";
  EXPECT_EQ(result["session"], Session(3, 2, 1, false, true));
}

TEST_F(ImportVerb, CancelAnswerToTheLargeQuestionConvertsNothingAndExitsWithZero) {
  std::vector<CPolygon> polygons(500001, CPolygon{0, 0, 1, 1});
  SceneSpec scene;
  scene.objects = {ObjectSpec::Polygon("Large", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, polygons)};
  const json result = ImportJson("--large cancel '" + Write(scene, "large.c4d") + "'", 0);
  EXPECT_EQ(result["objects"], json::array());
  ASSERT_EQ(result["messages"].size(), 3u);
  EXPECT_EQ(result["messages"][0]["box"], "question");
  EXPECT_EQ(result["messages"][0]["type"], 3);
  EXPECT_EQ(result["messages"][1]["text"], "1 of 1 objects could not be converted.");
  EXPECT_EQ(result["messages"][2]["text"], "No object of the scene could be converted.");
  EXPECT_EQ(result["session"], Session(1, 0, 500001, false, false));
}

TEST_F(ImportVerb, LayerFileLetsASecondImportReuseTheLeaves) {
  const std::string path = Write(PaneAndRim(), "e2e.c4d");
  const std::string layers = Path("layers.json");
  const json first = ImportJson("--layers '" + layers + "' '" + path + "'", 0);
  ASSERT_TRUE(std::filesystem::exists(layers));
  const json second = ImportJson("--layers '" + layers + "' '" + path + "'", 0);
  EXPECT_EQ(second["layers"], first["layers"]);
  EXPECT_EQ(second["layers"].size(), 2u);
  EXPECT_EQ(second["objects"][1]["layer"], 2);

  std::ofstream(layers) << "not a layer table";
  EXPECT_EQ(Tool("import --layers '" + layers + "' '" + path + "'").exitCode, 2);
}

TEST_F(ImportVerb, SummaryForAPersonAndBadUsage) {
  const ToolRun run = Tool("import '" + Write(PaneAndRim(), "e2e.c4d") + "'");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("objects: 1 mesh, 1 polyline"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("counts: 2 counted, 2 converted"), std::string::npos) << run.out;
  EXPECT_EQ(Tool("import --large maybe x.c4d").exitCode, 2);
  EXPECT_EQ(Tool("import").exitCode, 2);
}

}  // namespace
