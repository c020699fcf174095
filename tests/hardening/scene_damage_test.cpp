// Damaged scenes loaded into the scene model: every scene cut at every
// length, and the N-th allocation of a load failing for every N (changed
// bytes are the import's damage tests' and the fuzzers' part). Each load
// must end with an error code or a scene, keep what it read, free
// everything (the sanitizer build checks) and never crash. Large scenes are
// damaged at a sample of their positions.
#include <gtest/gtest.h>

#include <set>

#include "ge_alloc.h"
#include "hardening_util.h"
#include "scene_compare.h"

namespace {

// Positions per scene and kind of damage.
constexpr size_t kPositionBudget = 4000;

const std::set<int32_t> kKnownErrors = {FILEERROR_NONE,         FILEERROR_READ,       FILEERROR_MEMORY,
                                        FILEERROR_FORMAT,       FILEERROR_CHUNK_MARKER, FILEERROR_CHUNK_SKIP,
                                        FILEERROR_NESTING,      FILEERROR_LIMIT};

// Loads, then does what a reader of the scene does: the traversal and every
// accessor the scene's text touches.
struct Outcome {
  bool loaded = false;
  int32_t error = 0;
  std::string text;
};

Outcome LoadAndUse(const std::vector<uint8_t>& bytes) {
  LoadedScene scene(bytes);
  scene.CloseFile();
  scene.document.ExecuteAll();
  return {scene.loaded, scene.error, SceneText(scene.document)};
}

// Named nodes in a scene's text: materials, layers, objects and tags.
size_t NodeCount(const std::string& text) {
  size_t count = 0;
  for (size_t at = text.find("\"name\":"); at != std::string::npos; at = text.find("\"name\":", at + 1)) ++count;
  return count;
}

std::string Describe(const Outcome& o) {
  return std::string(o.loaded ? "loaded" : "failed") + " with " + FileErrorSymbol(o.error);
}

class DamagedScene : public testing::TestWithParam<NamedScene> {
 protected:
  const std::vector<uint8_t>& Whole() const { return GetParam().bytes; }
};

TEST_P(DamagedScene, EveryCutEndsCleanlyAndKeepsWhatWasReadBeforeIt) {
  const Outcome whole = LoadAndUse(Whole());
  ASSERT_TRUE(whole.loaded);
  size_t nodesBefore = 0;
  for (size_t length : Positions(Whole().size(), kPositionBudget / kSanitizerSlowdown)) {
    const Outcome o = LoadAndUse(std::vector<uint8_t>(Whole().begin(), Whole().begin() + long(length)));
    // The document's end marker is the file's last byte: no cut has it.
    ASSERT_TRUE(!o.loaded && kKnownErrors.count(o.error) && o.error != FILEERROR_MEMORY)
        << "cut at " << length << ": " << Describe(o);
    // A longer file never yields fewer nodes: what was read stays.
    const size_t nodes = NodeCount(o.text);
    ASSERT_GE(nodes, nodesBefore) << "cut at " << length;
    nodesBefore = nodes;
  }
  EXPECT_GE(NodeCount(whole.text), nodesBefore);
}

TEST_P(DamagedScene, EveryFailedAllocationEndsInAMemoryErrorOrTheWholeScene) {
  const Outcome clean = LoadAndUse(Whole());
  ASSERT_TRUE(clean.loaded);
  const uint64_t before = GeAllocCount();
  LoadAndUse(Whole());
  const uint64_t allocations = GeAllocCount() - before;
  ASSERT_GT(allocations, 10u);

  size_t failedLoads = 0;
  for (uint64_t n = 1; n <= allocations; ++n) {
    const uint64_t injected = GeAllocInjectedFailures();
    GeAllocFailAt(n);
    const Outcome o = LoadAndUse(Whole());
    GeAllocFailAt(0);
    ASSERT_EQ(GeAllocInjectedFailures(), injected + 1) << "allocation " << n << " was not reached";
    if (o.loaded) {
      // Only a failure that loses nothing but a link's binding may pass
      // unreported.
      ASSERT_EQ(DifferenceButUnboundLinks(o.text, clean.text), "")
          << "allocation " << n << " failed, yet the load succeeded with less than the whole scene";
    } else {
      ++failedLoads;
      ASSERT_TRUE(o.error == FILEERROR_MEMORY || o.error == FILEERROR_CHUNK_SKIP)
          << "allocation " << n << ": " << Describe(o);
    }
  }
  EXPECT_GT(failedLoads, allocations / 2);
}

INSTANTIATE_TEST_SUITE_P(Scenes, DamagedScene, testing::ValuesIn(ScenesToDamage()), SceneName);

}  // namespace
