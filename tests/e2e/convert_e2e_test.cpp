// c4dimport import -o: scenes written with the test writer converted by the
// tool into every format and read back with the asset library's importer;
// exit codes; batches with a broken file; objects not converted, by name.
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "tool_process.h"

using nlohmann::json;

namespace {

struct Readback {
  size_t triangles = 0, quadrangles = 0, lines = 0;
  std::set<std::string> names;
  std::map<std::string, std::array<float, 4>> colours;  // by material name: r, g, b, opacity
};

void Walk(const aiNode* node, Readback& out) {
  out.names.insert(node->mName.C_Str());
  for (unsigned i = 0; i < node->mNumChildren; ++i) Walk(node->mChildren[i], out);
}

Readback ReadBack(const std::string& path) {
  Readback out;
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(path, 0);
  EXPECT_NE(scene, nullptr) << importer.GetErrorString();
  if (!scene) return out;
  Walk(scene->mRootNode, out);
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    out.names.insert(scene->mMeshes[m]->mName.C_Str());
    for (unsigned f = 0; f < scene->mMeshes[m]->mNumFaces; ++f) {
      const unsigned n = scene->mMeshes[m]->mFaces[f].mNumIndices;
      out.lines += n == 2;
      out.triangles += n == 3;
      out.quadrangles += n == 4;
    }
  }
  for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
    aiColor4D diffuse(0, 0, 0, 1);
    scene->mMaterials[i]->Get(AI_MATKEY_COLOR_DIFFUSE, diffuse);
    float opacity = diffuse.a;
    scene->mMaterials[i]->Get(AI_MATKEY_OPACITY, opacity);
    aiString name;
    scene->mMaterials[i]->Get(AI_MATKEY_NAME, name);
    out.colours[name.C_Str()] = {diffuse.r, diffuse.g, diffuse.b, opacity};
  }
  return out;
}

std::vector<Vector> BoxPoints(float x) {
  return {{x, 0, 0}, {x + 1, 0, 0}, {x + 1, 1, 0}, {x, 1, 0}, {x, 0, 1}, {x + 1, 0, 1}, {x + 1, 1, 1}, {x, 1, 1}};
}
std::vector<CPolygon> BoxQuads() {
  return {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
}

// A red box on "Walls", a glass roof of two triangles on "Roof", a green
// closed outline on "Site", and a primitive converted from its mesh cache.
SceneSpec House() {
  SceneSpec scene;
  scene.materials = {MaterialSpec::Colored("Red Paint", 10, {0.8f, 0.1f, 0.1f}),
                     MaterialSpec::Transparent("Glass", 11, {1, 0, 0}, 0.5f)};
  scene.layers = {LayerSpec::Named("Walls", 1), LayerSpec::Named("Roof", 2), LayerSpec::Named("Site", 3)};
  scene.objects = {
      ObjectSpec::Polygon("Box", BoxPoints(0), BoxQuads()).OnLayer(1).WithTexture(10),
      ObjectSpec::Polygon("Roof", {{0, 1, 0}, {1, 1, 0}, {1, 1.5f, 0.5f}, {0, 1.5f, 0.5f}}, {{0, 1, 2, 2}, {0, 2, 3, 3}})
          .OnLayer(2)
          .WithTexture(11),
      ObjectSpec::Spline("Outline", {{-1, 0, -1}, {3, 0, -1}, {3, 0, 3}, {-1, 0, 3}}, true)
          .OnLayer(3)
          .Colored({0.2f, 0.6f, 0.2f}),
      ObjectSpec::Primitive("Cube", ObjectSpec::Polygon("Cube", BoxPoints(5), BoxQuads()))};
  return scene;
}

class ConvertFormat : public ToolProcessTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(ConvertFormat, SceneReadsBackWithItsFacesLinesLayersAndColours) {
  const std::string format = GetParam();
  const std::string scene = Write(House(), "house.c4d");
  const std::string output = Path("out/house." + format);
  const ToolResult run = Tool("import " + Quoted(scene) + " -o " + Quoted(output));
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("written: " + output), std::string::npos) << run.out;

  const Readback back = ReadBack(output);
  const bool triangles = format == "glb" || format == "gltf" || format == "stl" || format == "3mf";
  if (triangles) {
    EXPECT_EQ(back.triangles, 2u * 12 + 2);
    EXPECT_EQ(back.quadrangles, 0u);
  } else {
    EXPECT_EQ(back.quadrangles, 12u);
    EXPECT_EQ(back.triangles, 2u);
  }
  const bool lines = format == "glb" || format == "gltf" || format == "obj" || format == "dae";
  if (lines) {
    EXPECT_EQ(back.lines, 4u);
  } else if (format != "dxf") {
    EXPECT_NE(run.out.find("left out of the file: object 3, a polyline (" + format + " has no lines)"),
              std::string::npos)
        << run.out;
  }

  std::set<std::string> layers;
  if (format == "glb" || format == "gltf" || format == "dae") layers = {"Cinema4D", "house.c4d", "Walls", "Roof", "Site"};
  if (format == "obj") layers = {"house.c4d", "Walls", "Roof", "Site"};
  if (format == "dxf") layers = {"0", "Walls", "Roof"};
  for (const std::string& layer : layers) EXPECT_TRUE(back.names.count(layer)) << layer;

  if (format == "glb" || format == "gltf" || format == "obj" || format == "dae" || format == "3mf") {
    const std::string prefix = format == "3mf" ? "id1_" : "";
    const std::map<std::string, std::array<float, 4>> expected = {
        {"Colour_CC1919", {204 / 255.f, 25 / 255.f, 25 / 255.f, 1}}, {"col06_trans050", {1, 0, 0, 0.5f}}};
    for (const auto& [name, colour] : expected) {
      ASSERT_TRUE(back.colours.count(prefix + name)) << name;
      for (int k = 0; k < 4; ++k) EXPECT_NEAR(back.colours.at(prefix + name)[k], colour[k], 0.01) << name << k;
    }
  }
}

// 3MF is read back by the 3MF library (tests/export): the asset library's
// 3MF importer takes no build element with a UUID, which the library writes.
INSTANTIATE_TEST_SUITE_P(EveryFormat, ConvertFormat,
                         ::testing::Values("glb", "gltf", "obj", "ply", "stl", "dae", "dxf"),
                         [](const auto& info) { return info.param == "3mf" ? std::string("threemf") : info.param; });

class Convert : public ToolProcessTest {};

TEST_F(Convert, JsonResultTellsWhatWasWritten) {
  const std::string scene = Write(House(), "house.c4d");
  const ToolResult run = Tool("import --json " + Quoted(scene) + " -o " + Quoted(Path("house.ply")));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const json result = json::parse(run.out);
  EXPECT_EQ(result["status"], "ok");
  EXPECT_FALSE(result.contains("notConverted"));
  const json& output = result["output"];
  EXPECT_EQ(output["path"], Path("house.ply"));
  EXPECT_EQ(output["format"], "ply");
  EXPECT_TRUE(output["written"].get<bool>());
  EXPECT_EQ(output["meshes"], 3);
  EXPECT_EQ(output["polylines"], 0);
  EXPECT_EQ(output["faces"], 14);
  ASSERT_EQ(output["leftOut"].size(), 1u);
  EXPECT_EQ(output["leftOut"][0]["object"], 3);
}

TEST_F(Convert, OutputIntoAFolderTakesTheSceneNameAndTheFormat) {
  const std::string scene = Write(House(), "house.c4d");
  const ToolResult run = Tool("import " + Quoted(scene) + " -o " + Quoted(Path("out") + "/") + " --format dxf");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(Path("out/house.dxf")));
}

TEST_F(Convert, UnknownFormatsAreBadUsageAndWriteNothing) {
  const std::string scene = Write(House(), "house.c4d");
  EXPECT_EQ(Tool("import " + Quoted(scene) + " -o " + Quoted(Path("house.fbx"))).exitCode, 2);
  EXPECT_EQ(Tool("import " + Quoted(scene) + " -o " + Quoted(Path("house.glb")) + " --format nope").exitCode, 2);
  EXPECT_EQ(Tool("import " + Quoted(scene) + " -o " + Quoted(Path("house"))).exitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(Path("house.fbx")));
  EXPECT_FALSE(std::filesystem::exists(Path("house.glb")));
}

TEST_F(Convert, AnOutputThatCannotBeWrittenExitsWithThree) {
  const std::string scene = Write(House(), "house.c4d");
  // Below a plain file no folder can be made.
  const ToolResult run = Tool("import " + Quoted(scene) + " -o " + Quoted(scene + "/house.glb"));
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(run.out.find("not written: "), std::string::npos) << run.out;
}

TEST_F(Convert, AnUnreadableFileWritesNothingAndExitsWithOne) {
  const std::string scene = WriteBytes({'X', 'C', '4', 'D', 'n', 'o', 'p', 'e'}, "bad.c4d");
  const ToolResult run = Tool("import " + Quoted(scene) + " -o " + Quoted(Path("bad.glb")));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(Path("bad.glb")));
  EXPECT_NE(run.err.find("could not be read"), std::string::npos) << run.err;
}

// ---- batches ------------------------------------------------------------------------

class Batch : public ToolProcessTest, public ::testing::WithParamInterface<int> {
 protected:
  // Two scenes (one in a sub-folder), one cut short, and a file that is no scene.
  void WriteFolder() {
    Write(House(), "in/a.c4d");
    Write(House(), "in/sub/b.c4d");
    std::vector<uint8_t> cut = WriteScene(House());
    cut.resize(cut.size() / 2);
    WriteBytes(cut, "in/cut.c4d");
    WriteBytes({'h', 'i'}, "in/notes.txt");
  }
};

TEST_P(Batch, ABrokenFileDoesNotStopTheOthersAndIsReported) {
  WriteFolder();
  const int jobs = GetParam();
  const ToolResult run = Tool("import " + Quoted(Path("in")) + " -o " + Quoted(Path("out")) +
                              " --format obj --json -j " + std::to_string(jobs));
  EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
  const json files = json::parse(run.out)["files"];
  ASSERT_EQ(files.size(), 3u) << run.out;
  std::map<std::string, json> byName;
  for (const json& row : files) byName[std::filesystem::path(row["file"].get<std::string>()).filename()] = row;
  EXPECT_EQ(byName["a.c4d"]["status"], "ok");
  EXPECT_EQ(byName["a.c4d"]["objects"], 4);
  EXPECT_EQ(byName["a.c4d"]["meshes"], 3);
  EXPECT_EQ(byName["a.c4d"]["polylines"], 1);
  EXPECT_EQ(byName["b.c4d"]["status"], "ok");
  EXPECT_EQ(byName["cut.c4d"]["status"], "unreadable");
  EXPECT_EQ(byName["cut.c4d"]["exitCode"], 1);
  EXPECT_TRUE(std::filesystem::exists(Path("out/a.obj")));
  EXPECT_TRUE(std::filesystem::exists(Path("out/sub/b.obj")));
  EXPECT_FALSE(std::filesystem::exists(Path("out/cut.obj")));
  // The unreadable file's message reaches standard error under its name.
  EXPECT_NE(run.err.find("cut.c4d: message (error)"), std::string::npos) << run.err;
}

TEST_P(Batch, TheTableNamesEveryFileWithItsCountsAndStatus) {
  WriteFolder();
  const ToolResult run = Tool("import " + Quoted(Path("in/a.c4d")) + " " + Quoted(Path("in/cut.c4d")) + " " +
                              Quoted(Path("in/missing.c4d")) + " -j " + std::to_string(GetParam()));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out.rfind("file ", 0), 0u) << run.out;
  for (const char* head : {"objects", "meshes", "polylines", "not converted", "seconds", "status"}) {
    EXPECT_NE(run.out.find(head), std::string::npos) << head;
  }
  EXPECT_NE(run.out.find("3 files: 1 ok, 2 unreadable"), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(InProcessAndWorkers, Batch, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? std::string("OneProcess") : "TwoWorkers"; });

TEST_F(Convert, WorkersCannotShareALayerTableFile) {
  Write(House(), "a.c4d");
  Write(House(), "b.c4d");
  EXPECT_EQ(Tool("import " + Quoted(Path("a.c4d")) + " " + Quoted(Path("b.c4d")) + " -j 2 --layers " +
                 Quoted(Path("layers.json")))
                .exitCode,
            2);
}

// ---- what was not converted, and why -----------------------------------------------

SceneSpec LeftOutScene() {
  SceneSpec scene;
  ObjectSpec curve = ObjectSpec::Spline("Curve", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, false);
  curve.node.data.Int(1001, 2);
  scene.objects = {
      ObjectSpec::Polygon("Good", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}}),
      ObjectSpec::Plugin("Sphere", 5160),
      curve,
      ObjectSpec::Polygon("Flat", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1, 1}, {2, 2, 2, 2}}),
      ObjectSpec::Light("Sun")};
  return scene;
}

TEST_F(Convert, ObjectsNotConvertedAreListedByNameWithTheReason) {
  const std::string scene = Write(LeftOutScene(), "left.c4d");
  const ToolResult run = Tool("import " + Quoted(scene));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("message (information)"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("not converted: 3 objects"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"Sphere\": a primitive (data type 5160) without a polygon cache: re-save the scene with "
                         "polygon caches"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\"Curve\": a spline whose setting 1001 is 2"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"Flat\": a mesh whose polygons are all degenerate"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("\"Sun\""), std::string::npos) << "a light is no object the message counts";

  const json result = json::parse(Tool("import --json " + Quoted(scene)).out);
  ASSERT_EQ(result["notConverted"].size(), 3u);
  EXPECT_EQ(result["notConverted"][0]["name"], "Sphere");
}

TEST_F(Convert, TheSceneVerbMarksEveryObjectTheImportLeavesOut) {
  const std::string scene = Write(LeftOutScene(), "left.c4d");
  const ToolResult text = Tool("scene " + Quoted(scene));
  EXPECT_EQ(text.exitCode, 0);
  for (const char* mark : {"not imported: a primitive (data type 5160) without a polygon cache",
                           "not imported: a spline whose setting 1001 is 2",
                           "not imported: a mesh whose polygons are all degenerate",
                           "not imported: a light, which the import leaves out"}) {
    EXPECT_NE(text.out.find(mark), std::string::npos) << mark << "\n" << text.out;
  }
  const json j = json::parse(Tool("scene --json " + Quoted(scene)).out);
  EXPECT_FALSE(j["objects"][0].contains("notImported"));
  EXPECT_NE(j["objects"][1]["notImported"].get<std::string>().find("re-save"), std::string::npos);
}

TEST_F(Convert, AMeshOverTheLargeObjectLimitIsListedWhenNotConverted) {
  SceneSpec scene;
  scene.objects = {ObjectSpec::Polygon("Huge", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
                                       std::vector<CPolygon>(500001, CPolygon{0, 1, 2, 2})),
                   ObjectSpec::Polygon("Small", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}})};
  const std::string path = Write(scene, "huge.c4d");
  const ToolResult run = Tool("import --large no " + Quoted(path));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("\"Huge\": a mesh of 500001 polygons, over the large-object limit of 500000"),
            std::string::npos)
      << run.out;
}

TEST_F(Convert, FormatsListsEveryWritableFormat) {
  const ToolResult run = Tool("formats --json");
  EXPECT_EQ(run.exitCode, 0);
  std::set<std::string> names;
  for (const json& format : json::parse(run.out)) names.insert(format["name"].get<std::string>());
  EXPECT_EQ(names, (std::set<std::string>{"glb", "gltf", "obj", "ply", "stl", "dae", "3mf", "dxf"}));
}

}  // namespace
