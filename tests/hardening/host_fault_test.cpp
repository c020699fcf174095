// A host that misbehaves: one that runs with floating-point traps on, and one
// whose calls fail. Imports go through the tool's import run, as the host
// drives the module, and must end as the host interface says: the same
// result with traps on as off and the traps as they were; a failed layer
// reported and the import going on; any other host error passed to the host
// with nothing half made in its vector or its layer table; nothing leaked.
#include <gtest/gtest.h>

#include <cfenv>
#include <limits>
#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "hardening_util.h"
#include "import_fixture.h"
#include "import_run.h"
#include "import_verb.h"

namespace {

// A scene that holds `v` wherever the file has a number the module computes
// with: coordinates of bent and planar quadrangles and of a spline, object
// placements and axes, a material's colour and transparency, an object's
// colour, a spline's setting and a time.
std::vector<uint8_t> SceneHolding(float v) {
  SceneSpec scene;
  scene.materials = {MaterialSpec::Transparent("Glass", 1, {v, 0.5f, v}, v)};
  scene.layers = {LayerSpec::Named("Layer", 2)};
  const std::vector<Vector> corners = {{0, 0, 0}, {1, 0, 0}, {1, 1, v}, {0, 1, 0}, {v, v, v}, {1, 1, 1}};
  ObjectSpec mesh = ObjectSpec::Polygon("Mesh", corners, {{0, 1, 2, 3}, {0, 1, 5, 4}, {0, 1, 4, 4}, {0, 1, 5, 3}});
  ObjectSpec placed = ObjectSpec::Polygon("Placed", corners, {{0, 1, 5, 3}}).At({v, 1, 2}).Scaled({1, v, 1});
  placed.axis.xAxis.y = v;
  ObjectSpec spline = SplineWith("Spline", {{v, 0, 0}, {1, 1, 1}, {2, 0, v}}, 0, true).At({0, v, 0});
  spline.node.data.Real(1003, v).Time(1004, v, v);
  scene.objects = {mesh.WithTexture(1).OnLayer(2), ObjectSpec::Null("Group").Child(placed).Scaled({v, 1, 1}),
                   Triangle("Coloured").Colored({v, -v, 0.5f}), spline.OnLayer(2)};
  return WriteScene(scene);
}

std::vector<NamedScene> TrapScenes() {
  using Limits = std::numeric_limits<float>;
  const std::pair<const char*, float> values[] = {
      {"signalling_nan", Limits::signaling_NaN()},
      {"quiet_nan", Limits::quiet_NaN()},
      {"infinity", Limits::infinity()},   {"minus_infinity", -Limits::infinity()},
      {"huge", 3e38f},                    {"large", 1e30f},
      {"denormal", 1e-40f},               {"minus_zero", -0.0f}};
  std::vector<NamedScene> scenes;
  for (const auto& [name, v] : values) scenes.push_back({name, SceneHolding(v)});
  // Doubles of the newer variant beyond what a float holds, or below.
  SceneSpec newer = NewerVariantScene();
  newer.objects[0].children[0].tags[0].points64 = {
      {1e300, 0, 0}, {-1e300, 1, 0}, {std::nan(""), 1, 0}, {1e-310, 1, 0}, {0.5, 2, 1e39}};
  scenes.push_back({"newer_doubles", WriteScene(newer)});
  for (NamedScene& scene : ScenesToDamage()) scenes.push_back(std::move(scene));
  return scenes;
}

class HostFault : public ImportTest {
 protected:
  // One import of `path` through the tool's run; the outcome as JSON text.
  std::string Run(const std::string& path, c4dimport::ImportOptions options = {}) {
    standin::ResetHost();
    options.ui = &m_ui;
    const uint64_t calls = standin::HostCallCount(), creations = standin::CreateObjCount();
    const c4dimport::ImportResult result = c4dimport::ImportFile(path, options);
    m_counts[0] = standin::CreateObjCount() - creations;
    m_counts[1] = standin::HostCallCount() - calls;
    EXPECT_TRUE(result.floatTrapsKept);
    m_fired = result.hostFaultFired;
    return c4dimport::ResultJson(result);
  }
  bool m_fired = false;
  uint64_t m_counts[2] = {0, 0};  // creations and host calls of the last import
};

class FloatTraps : public HostFault, public testing::WithParamInterface<NamedScene> {};

TEST_P(FloatTraps, ImportWithTrapsOnRaisesNoneKeepsThemAndGivesTheSameResult) {
  const std::string path = WriteFile(GetParam().bytes);
  const std::string untrapped = Run(path);
  const int before = standin::EnabledFloatTraps();
  c4dimport::ImportOptions trapped;
  trapped.floatTraps = true;
  EXPECT_EQ(Run(path, trapped), untrapped);
  EXPECT_EQ(standin::EnabledFloatTraps(), before);
}

INSTANTIATE_TEST_SUITE_P(Scenes, FloatTraps, testing::ValuesIn(TrapScenes()), SceneName);

// What each kind of fault must show, in the layer report or in the error the
// host gets: the null-reference exception of a missing object, the host's own
// exception, and the foreign ones as the host's foreign exception tells them.
const std::map<standin::HostFaultKind, std::string> kFaultSigns = {
    {standin::HostFaultKind::NullObject, "CQEL_NullReferenceException"},
    {standin::HostFaultKind::HostError, "CQEL_AppException"},
    {standin::HostFaultKind::FrameworkError, "Framework exception: the host failed in"},
    {standin::HostFaultKind::ComError, "COM error 0x80004005: the host failed in"},
    {standin::HostFaultKind::StdError, "Standard exception: the host failed in"},
    {standin::HostFaultKind::Unknown, "An unknown exception"}};

// An object as JSON without its layer id (a layer that failed in the counting
// pass gets its leaf, with a later id, in the converting pass).
nlohmann::json WithoutLayer(nlohmann::json object) {
  object.erase("layer");
  return object;
}

// A leaf by what the layer made of it: its name, place and state.
std::multiset<std::string> LeafStates(const nlohmann::json& layers) {
  std::multiset<std::string> states;
  for (nlohmann::json leaf : layers) {
    leaf.erase("id");
    leaf.erase("short");  // a leaf made later may take another suffix
    states.insert(leaf.dump());
  }
  return states;
}

class HostCallFaults : public HostFault, public testing::WithParamInterface<NamedScene> {
 protected:
  // One import with the n-th call (creation) failing in the way of `kind`.
  void ImportFailing(const std::string& path, const nlohmann::json& clean, standin::HostFaultKind kind, uint64_t n) {
    const std::string at = std::string(standin::HostFaultKindName(kind)) + ":" + std::to_string(n);
    c4dimport::ImportOptions options;
    options.hostFault = standin::HostFault{kind, n};
    options.floatTraps = true;  // and the host's traps as they were when the fault leaves
    m_ui.Clear();
    const std::string json = Run(path, options);
    const nlohmann::json r = nlohmann::json::parse(json);
    std::vector<std::string> reports;
    bool summary = false;
    for (const nlohmann::json& box : r["messages"]) {
      if (box["box"] == "report") reports.push_back(box["text"]);
      summary = summary || box["box"] == "error";
    }
    ASSERT_TRUE(m_fired) << at << " was not reached";
    // One fault: either a layer reported it and the import went on with the
    // same objects, or it reached the host and the import stopped there,
    // without a summary, the objects before it whole in the host's vector.
    const bool passedOn = r.contains("hostError");
    ASSERT_EQ(reports.size() + passedOn, 1u) << at << ": " << json;
    const std::string& shown = passedOn ? r["hostError"].get<std::string>() : reports.front();
    ASSERT_NE(shown.find(kFaultSigns.at(kind)), std::string::npos) << at << ": " << shown;
    ASSERT_TRUE(passedOn ? !summary && r["objects"].size() <= clean["objects"].size()
                         : r["objects"].size() == clean["objects"].size() &&
                               LeafStates(r["layers"]) == LeafStates(clean["layers"]))
        << at << ": " << json;
    for (size_t i = 0; i < r["objects"].size(); ++i) {
      const nlohmann::json& object = r["objects"][i];
      ASSERT_EQ(passedOn ? object : WithoutLayer(object), passedOn ? clean["objects"][i] : WithoutLayer(clean["objects"][i]))
          << at << ", object " << i;
    }
    for (const standin::LayerLeafEntry& leaf : standin::ListLayerLeaves()) {
      ASSERT_TRUE(leaf.leaf->UserDefinedLayerDef() && leaf.leaf->StyleDef()) << at << ": a half-made leaf";
    }
  }
};

TEST_P(HostCallFaults, EveryHostCallFailingInEveryWayIsReportedOrPassedOnWithNothingHalfMade) {
  const std::string path = WriteFile(GetParam().bytes);
  const nlohmann::json clean = nlohmann::json::parse(Run(path));
  const uint64_t counts[] = {m_counts[0], m_counts[1]};
  standin::ResetHost();
  const long live = standin::LiveObjectCount();
  for (standin::HostFaultKind kind : standin::HostFaultKinds()) {
    for (uint64_t n = 1; n <= counts[kind == standin::HostFaultKind::NullObject ? 0 : 1]; ++n) {
      ImportFailing(path, clean, kind, n);
      standin::ResetHost();
      ASSERT_EQ(standin::LiveObjectCount(), live) << "host objects left behind by " << n;
      if (HasFatalFailure()) return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Scenes, HostCallFaults, testing::ValuesIn(ScenesToDamage()), SceneName);

}  // namespace

namespace {

// The tool injects one fault, so that a crash a user met in a host can be
// reproduced; the last host call of the sample lies outside every layer.
#if !defined(_WIN32)  // the import verb's batches run in POSIX processes
TEST_F(HostFault, TheToolInjectsTheFaultItIsGiven) {
  const std::string path = WriteFile(ReadFileBytes(C4D_SAMPLE_FILE));
  Run(path);
  const std::string last = std::to_string(m_counts[1]);
  const struct {
    std::string fault;
    bool traps;
    int exitCode;
    const char* shows;
  } cases[] = {{"", true, 0, "messages: none"},
               {"com:" + last, false, 3, "host error: CQEL_AppForeignException"},
               {"null:1", true, 0, "An error occured during layer construction"},
               {"crash:1", false, 2, "is not KIND:N"}};
  for (const auto& c : cases) {
    standin::ResetHost();
    ImportVerbOptions options;
    options.paths = {path};
    options.hostFault = c.fault;
    options.floatTraps = c.traps;
    std::ostringstream out, err;
    EXPECT_EQ(RunImportVerb(options, out, err), c.exitCode) << c.fault;
    EXPECT_NE((out.str() + err.str()).find(c.shows), std::string::npos) << c.fault << ": " << out.str() << err.str();
  }
}

#endif

}  // namespace
