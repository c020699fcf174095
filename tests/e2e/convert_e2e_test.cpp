// c4dimport as people and scripts use it: a folder converted with a broken
// file in it, the whole JSON result of an import
// with its layer table kept between runs, and the exit codes.
#include <sys/stat.h>

#include <charconv>
#include <nlohmann/json.hpp>
#include <set>

#include "tool_process.h"

using nlohmann::json;

namespace {


// A red box on "Walls", a glass roof of two triangles on "Roof", a green
// closed outline on "Site", and a primitive converted from its mesh cache.
SceneSpec House() {
  SceneSpec scene;
  scene.materials = {MaterialSpec::Colored("Red Paint", 10, {0.8f, 0.1f, 0.1f}),
                     MaterialSpec::Transparent("Glass", 11, {1, 0, 0}, 0.5f)};
  scene.layers = {LayerSpec::Named("Walls", 1), LayerSpec::Named("Roof", 2), LayerSpec::Named("Site", 3)};
  scene.objects = {
      Box("Box").OnLayer(1).WithTexture(10),
      ObjectSpec::Polygon("Roof", {{0, 1, 0}, {1, 1, 0}, {1, 1.5f, 0.5f}, {0, 1.5f, 0.5f}}, {{0, 1, 2, 2}, {0, 2, 3, 3}})
          .OnLayer(2)
          .WithTexture(11),
      ObjectSpec::Spline("Outline", {{-1, 0, -1}, {3, 0, -1}, {3, 0, 3}, {-1, 0, 3}}, true)
          .OnLayer(3)
          .Colored({0.2f, 0.6f, 0.2f}),
      ObjectSpec::Primitive("Cube", Box("Cube").At({5, 0, 0}))};
  return scene;
}



#if !defined(C4D_SANITIZED_BUILD)  // the sanitizers reserve more address space than the cap
// Files that ask for more memory than a machine has, converted under a cap
// of 2 GB of address space: each ends with its exit code and a result, the
// objects over the file's budget named, never with an abort.
TEST_F(ToolProcessTest, HostileFilesEndWithAResultUnderAMemoryCap) {
  ObjectSpec longName = ObjectSpec::Null(std::string(1000000, 'n'));
  for (int i = 0; i < 2000; ++i) longName.Child(ObjectSpec::Plugin("Sphere", 5160));
  SceneSpec discs;
  for (int i = 0; i < 40; ++i) {
    ObjectSpec disc = ObjectSpec::Plugin("Disc", 5164);
    disc.node.data = ContainerSpec().Int(1162, 1).Int(1163, 499999);
    discs.objects.push_back(disc);
  }
  const struct {
    SceneSpec scene;
    const char* arguments;
    const char* expected;
  } cases[] = {
      {SceneOf({longName}), "import --json", "\"notConverted\""},
      {SceneOf({longName}), "scene --json", "\"objects\""},
      {SceneOf({longName}), "import -o long.glb", "written:"},
      {discs, "import -o discs.glb", "over what this file may rebuild"},
  };
  for (const auto& c : cases) {
    const std::string file = Write(c.scene, "hostile.c4d");
    const ToolResult run = Tool(std::string(c.arguments) + " " + Quoted(file), "ulimit -v 2000000; cd " + Quoted(m_folder.string()) + "; ");
    EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 3) << c.arguments << ": " << run.exitCode << " " << run.err.substr(0, 500);
    EXPECT_NE(run.out.find(c.expected), std::string::npos) << c.arguments << ": " << run.out.substr(0, 500);
    if (std::string(c.arguments).find("--json") != std::string::npos) {
      EXPECT_TRUE(json::accept(run.out)) << c.arguments;
    }
  }
}
#endif

// Two scenes (one in a sub-folder), one cut short, and a file that is no
// scene, converted in one process and by two workers.
class ConvertFolder : public ToolProcessTest, public ::testing::WithParamInterface<int> {};

TEST_P(ConvertFolder, ABrokenFileDoesNotStopTheOthersAndEveryFileIsReported) {
  Write(House(), "in/a.c4d");
  Write(House(), "in/sub/b.c4d");
  std::vector<uint8_t> cut = WriteScene(House());
  cut.resize(cut.size() / 2);
  WriteBytes(cut, "in/cut.c4d");
  WriteBytes({'h', 'i'}, "in/notes.txt");
  const std::string jobs = " -j " + std::to_string(GetParam());
  const ToolResult run = Tool("import " + Quoted(Path("in")) + " -o " + Quoted(Path("out")) + " --format obj --json" + jobs);
  EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
  std::map<std::string, json> byName;
  const json result = json::parse(run.out);
  for (const json& row : result["files"]) {
    byName[std::filesystem::path(row["file"].get<std::string>()).filename()] = row;
  }
  ASSERT_EQ(byName.size(), 3u) << run.out;
  const json& a = byName["a.c4d"];
  EXPECT_EQ(a["status"].get<std::string>() + " " + a["objects"].dump() + " " + a["meshes"].dump() + " " +
                a["polylines"].dump(),
            "ok 4 3 1");
  EXPECT_EQ(byName["b.c4d"]["status"], "ok");
  EXPECT_EQ(byName["cut.c4d"]["status"], "unreadable");
  EXPECT_EQ(byName["cut.c4d"]["exitCode"], 1);
  EXPECT_TRUE(std::filesystem::exists(Path("out/a.obj")) && std::filesystem::exists(Path("out/sub/b.obj")));
  EXPECT_FALSE(std::filesystem::exists(Path("out/cut.obj")));
  EXPECT_NE(run.err.find("cut.c4d: message (error)"), std::string::npos) << run.err;
  const ToolResult table = Tool("import " + Quoted(Path("in/a.c4d")) + " " + Quoted(Path("in/cut.c4d")) + " " +
                                Quoted(Path("in/missing.c4d")) + jobs);
  EXPECT_NE(table.out.find("3 files: 1 ok, 2 unreadable"), std::string::npos) << table.out;
}

INSTANTIATE_TEST_SUITE_P(InProcessAndWorkers, ConvertFolder, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? std::string("OneProcess") : "TwoWorkers"; });

json Leaf(unsigned id, const std::string& name) {
  return {{"id", id}, {"long", name}, {"short", name.substr(0, 8)}, {"path", {"Cinema4D", "e2e.c4d"}},
          {"config", 0}, {"userDefined", true}};
}

using ImportVerb = ToolProcessTest;

// A glass pane on "Parts" and a closed rim on its child layer "Edges",
// imported twice with the layer table kept in a file: the second run finds
// the leaves of the first (the whole result is recorded with the scenes in
// tests/golden).
TEST_F(ImportVerb, LayersAreFoundAgainInTheLayerTableFile) {
  SceneSpec scene;
  scene.layers = {LayerSpec::Named("Parts", 1).Child(LayerSpec::Named("Edges", 2))};
  scene.objects = {ObjectSpec::Polygon("Pane", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}}).OnLayer(1),
                   ObjectSpec::Spline("Rim", {{0, 0, 0}, {0.123f, 0, 0}, {0, 0, 2}}, true).OnLayer(2)};
  const std::string path = Write(scene, "e2e.c4d");
  const double rimX = static_cast<double>(0.123f * 10.0f);
  char shortest[64];
  const std::string x(shortest, std::to_chars(shortest, shortest + sizeof shortest, rimX).ptr);
  for (int run = 0; run < 2; ++run) {
    const ToolResult result = Tool("import --json --layers " + Quoted(Path("layers.json")) + " " + Quoted(path));
    EXPECT_EQ(result.exitCode, 0);
    const json got = json::parse(result.out);
    EXPECT_EQ(got["layers"], json({Leaf(1, "Parts"), Leaf(2, "Edges")})) << run;
    EXPECT_EQ(got["objects"][0]["layer"].dump() + got["objects"][1]["layer"].dump(), "12") << run;
    EXPECT_NE(result.out.find("[" + x + ", 0, 0]"), std::string::npos) << "points print as the shortest text that reads back";
  }
  const ToolResult text = Tool("import " + Quoted(path));
  EXPECT_NE(text.out.find("objects: 1 mesh, 1 polyline"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("counts: 2 counted, 2 converted"), std::string::npos) << text.out;
}

// Exit codes: 0 done, 1 unreadable, 2 bad usage, 3 output not written, 4 cancelled.
TEST_F(ImportVerb, ExitCodesTellWhatWentWrong) {
  const std::string scene = Quoted(Write(House(), "house.c4d"));
  const std::string bad = Quoted(WriteBytes({'X', 'C', '4', 'D', 'n', 'o', 'p', 'e'}, "bad.c4d"));
  std::ofstream(Path("broken.json")) << "not a layer table";
  const std::pair<std::string, int> cases[] = {
      {"import " + scene + " -o " + Quoted(Path("out") + "/") + " --format dxf", 0},
      {"import " + bad + " -o " + Quoted(Path("bad.glb")), 1},
      {"import " + scene + " -o " + Quoted(Path("house.fbx")), 2},
      {"import " + scene + " -o " + Quoted(Path("house.glb")) + " --format nope", 2},
      {"import --large maybe " + scene, 2},
      {"import " + scene + " " + scene + " -j 2 --layers " + Quoted(Path("layers.json")), 2},
      {"import --layers " + Quoted(Path("broken.json")) + " " + scene, 2},
      {"import " + scene + " -o " + Quoted(Path("house.c4d/house.glb")), 3},
  };
  for (const auto& [arguments, exitCode] : cases) {
    const ToolResult run = Tool(arguments);
    EXPECT_EQ(run.exitCode, exitCode) << arguments << "\n" << run.out << run.err;
  }
  const json written = json::parse(Tool("import --json " + scene + " -o " + Quoted(Path("house.ply"))).out)["output"];
  EXPECT_EQ(written["path"].get<std::string>() + " " + written["format"].get<std::string>(), Path("house.ply") + " ply");
  EXPECT_EQ(written["written"].dump() + written["meshes"].dump() + written["polylines"].dump() + written["faces"].dump(),
            "true3014");
  ASSERT_EQ(written["leftOut"].size(), 1u);
  EXPECT_EQ(written["leftOut"][0]["object"], 3);
  EXPECT_TRUE(std::filesystem::exists(Path("out/house.dxf")));
  for (const char* unwritten : {"bad.glb", "house.fbx", "house.glb", "house"}) {
    EXPECT_FALSE(std::filesystem::exists(Path(unwritten))) << unwritten;
  }
}

// An archive: good files and hostile ones (a sphere whose rebuild needs far
// more than the memory limit: the file is converted without it, which is
// named with the reason, or where the allocator ends the process when memory
// runs out (mimalloc in a Release build) the row says "out of memory"; not
// where the sanitizers' allocator keeps the limit from holding; a FIFO that
// never delivers a byte), converted with
// limits and a report, converted again, skipping what was written, and in
// two shards, which together take every file once.
TEST_F(ImportVerb, ArchivesRunWithinLimitsResumeAndSplitIntoShards) {
  for (const char* name : {"in/a.c4d", "in/b.c4d", "in/sub/c.c4d"}) Write(House(), name);
  std::map<std::string, std::string> expected = {
      {"a.c4d", "ok, skipped"}, {"b.c4d", "ok, skipped"}, {"c.c4d", "ok, skipped"}, {"hang.c4d", "timed out"}};
#ifndef C4D_SANITIZED_BUILD
  SceneSpec ball;
  ball.objects = {ObjectSpec::Plugin("Ball", 5160)};
  ball.objects.back().node.data = ContainerSpec().Int(1111, 1732);  // 1.5 million polygons, within the rebuild budget
  Write(ball, "in/ball.c4d");
#endif
  ASSERT_EQ(mkfifo(Path("hang.c4d").c_str(), 0600), 0);
  const std::string archive = Quoted(Path("in")) + " -o " + Quoted(Path("out")) + " --large yes --memory 64 --report " +
                              Quoted(Path("report.jsonl"));
  EXPECT_EQ(Tool("import " + archive + " " + Quoted(Path("hang.c4d")) + " --timeout 2").exitCode, 1);
  const int rerun = Tool("import " + archive).exitCode;
  std::ifstream report(Path("report.jsonl"));
  std::map<std::string, std::string> statuses;
  for (std::string line; std::getline(report, line);) {
    const json row = json::parse(line);
    std::string& status = statuses[std::filesystem::path(row["file"].get<std::string>()).filename()];
    status += (status.empty() ? "" : ", ") + row["status"].get<std::string>();
  }
  if (statuses.count("ball.c4d")) {
    const bool survived = statuses["ball.c4d"] == "ok, skipped";
    EXPECT_TRUE(survived || statuses["ball.c4d"] == "out of memory, out of memory") << statuses["ball.c4d"];
    expected["ball.c4d"] = statuses["ball.c4d"];
    EXPECT_EQ(rerun, survived ? 0 : 1);
  } else {
    EXPECT_EQ(rerun, 0);
  }
  EXPECT_EQ(statuses, expected);
  std::multiset<std::string> shards;
  for (const std::string shard : {"1/2", "2/2"}) {
    const json rows = json::parse(Tool("import --json --shard " + shard + " " + Quoted(Path("in"))).out)["files"];
    for (const json& row : rows) {
      shards.insert(row["file"].get<std::string>());
    }
  }
  EXPECT_EQ(shards.size(), expected.size() - 1);
  EXPECT_EQ(std::set<std::string>(shards.begin(), shards.end()).size(), shards.size());
}

json Session(unsigned total, unsigned converted, unsigned maxPolygons, bool cancelled) {
  return {{"total", total}, {"converted", converted}, {"maxPolygons", maxPolygons},
          {"convertLarge", false}, {"cancelled", cancelled}};
}

// Cancel after the first object, and each scripted answer to the question
// about a mesh over the limit of 500000 polygons.
TEST_F(ImportVerb, ScriptsAnswerTheLargeQuestionAndCancel) {
  const ObjectSpec triangle = ObjectSpec::Polygon("A", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}});
  SceneSpec three, large;
  three.objects = {triangle, triangle, ObjectSpec::Spline("C", {{0, 0, 0}, {1, 0, 0}}, false)};
  large.objects = {ObjectSpec::Polygon("Huge", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
                                       std::vector<CPolygon>(500001, CPolygon{0, 1, 2, 2})),
                   triangle};
  const std::string notConverted = "2 1 of 2 objects could not be converted.";
  const std::tuple<std::string, int, std::vector<std::string>, std::vector<std::string>, json> cases[] = {
      {"--cancel-after 1 " + Quoted(Write(three, "three.c4d")), 4, {"mesh", "polyline"}, {}, Session(3, 2, 1, true)},
      {"--large no " + Quoted(Write(large, "large.c4d")), 0, {"mesh"}, {"3 question", notConverted},
       Session(2, 1, 500001, false)},
      {"--large cancel " + Quoted(Path("large.c4d")), 0, {}, {"3 question", "2 2 of 2 objects could not be converted.",
                                                              "2 No object of the scene could be converted."},
       Session(2, 0, 500001, false)},
  };
  for (const auto& [arguments, exitCode, kinds, messages, session] : cases) {
    const ToolResult run = Tool("import --json " + arguments);
    EXPECT_EQ(run.exitCode, exitCode) << arguments << run.out;
    const json result = json::parse(run.out);
    std::vector<std::string> gotKinds, gotMessages;
    for (const json& object : result["objects"]) gotKinds.push_back(object["kind"]);
    for (const json& box : result["messages"]) {
      gotMessages.push_back(box["type"].dump() + " " + (box["box"] == "question" ? "question" : box["text"].get<std::string>()));
    }
    EXPECT_EQ(gotKinds, kinds) << arguments;
    EXPECT_EQ(gotMessages, messages) << arguments;
    EXPECT_EQ(result["session"], session) << arguments;
  }
}

// ---- what was not converted, and why -----------------------------------------------

}  // namespace
