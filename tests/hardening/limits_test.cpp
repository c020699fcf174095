// The limits that no real scene reaches but a hostile file would: how deep
// chunks, lists and containers nest, and how much memory reading one file
// may take. A file over a limit fails with the limit's own error code.
#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <tuple>

#include "base_select.h"
#include "c4d_tag.h"
#include "ge_alloc.h"
#include "hardening_util.h"
#include "scene_loader.h"
#include "scene_writer.h"

namespace {


// ---- nesting ------------------------------------------------------------------------

// A document whose list chunk `listId` holds `depth` times what `open`
// writes, then as many end markers as the levels opened. Every list of the
// scene nests through one reader, containers through another.
std::vector<uint8_t> Nested(int32_t listId, int depth, const std::function<void(C4DWriter&)>& open,
                            int closersPerLevel) {
  C4DWriter w;
  w.Header().StartChunk(scene_chunk::kDocument, 0);
  w.StartChunk(scene_chunk::kHeader, 0).Int32(kSceneVersionCurrent).EndChunk();
  w.StartChunk(listId, 0);
  for (int i = 0; i < depth; ++i) open(w);
  for (int i = 0; i < depth * closersPerLevel; ++i) w.EndChunk();
  w.EndChunk().EndChunk();
  return w.Take();
}

ContainerSpec NestedContainer(int depth, bool older) {
  ContainerSpec c(depth);
  c.Int(1, depth);
  for (int i = depth - 1; i >= 0; --i) c = older ? ContainerSpec(i).SubOlder(2, c) : ContainerSpec(i).Sub(2, c);
  return c;
}

TEST(NestingLimit, EveryKindOfDeepNestingFailsWithTheNestingError) {
  const int depth = kMaxNestingDepth + 8;
  ObjectSpec withChunkContainers = ObjectSpec::Null("Deep chunk-form container");
  withChunkContainers.node.data = NestedContainer(depth, false);
  ObjectSpec withOlderContainers = ObjectSpec::Null("Deep older-form container");
  withOlderContainers.node.data = NestedContainer(depth, true);
  const std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
      {"objects in child lists",
       Nested(scene_chunk::kObjects, depth,
              [](C4DWriter& w) { w.StartChunk(5154, 0).StartChunk(scene_chunk::kList, 0); }, 2)},
      {"chunk-form containers", WriteScene(SceneOf({withChunkContainers}))},
      {"older-form containers", WriteScene(SceneOf({withOlderContainers}))},
  };
  for (const auto& [what, bytes] : files) {
    LoadedScene loaded(bytes);  // every level is left again
    EXPECT_TRUE(!loaded.loaded && loaded.file->GetNestingDepth() == 0) << what;
    EXPECT_EQ(loaded.error, FILEERROR_NESTING) << what << ": " << FileErrorSymbol(loaded.error);
  }
}

// Runs `work` on a thread of its own with a stack of `bytes`.
void RunOnStack(size_t bytes, const std::function<void()>& work) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, bytes), 0);
  pthread_t thread;
  auto body = [](void* w) -> void* { return (*static_cast<const std::function<void()>*>(w))(), nullptr; };
  ASSERT_EQ(pthread_create(&thread, &attributes, body, const_cast<std::function<void()>*>(&work)), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
}

// Each object in a child list takes two levels (its list and itself); the
// deepest hierarchy the limit lets through, with tags and containers on
// every object, loads, is traversed and destroyed on the stack of a
// Windows program's main thread (1 MiB; sanitizers need more).
TEST(NestingLimit, TheDeepestHierarchyAllowedLoadsOnAOneMegabyteStack) {
  const int depth = kMaxNestingDepth / 2 - 4;
  ObjectSpec chain = ObjectSpec::Polygon("Leaf", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}});
  chain.node.data = ContainerSpec().Int(1, 1).Sub(2, ContainerSpec().Real(1, 0.5f));
  for (int i = 0; i < depth; ++i) {
    ObjectSpec parent = ObjectSpec::Polygon("Level", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}});
    parent.node.data = ContainerSpec().Int(1, i);
    chain = parent.Child(chain);
  }
  const std::vector<uint8_t> bytes = WriteScene(SceneOf({chain}));
  bool loaded = false;
  int levels = 0;
  RunOnStack(size_t{1} << 20 << (kSanitizerSlowdown > 1 ? 3 : 0), [&] {
    LoadedScene scene(bytes);
    loaded = scene.loaded;
    scene.document.ExecuteAll();
    for (C4DBaseObject* o = scene.Object(0); o; o = o->GetFirstChild()) {
      o->GetMg();
      ++levels;
    }
  });
  EXPECT_TRUE(loaded);
  EXPECT_EQ(levels, depth + 1);
}

// ---- memory -------------------------------------------------------------------------

uint64_t BytesToLoad(const std::vector<uint8_t>& bytes) {
  LoadedScene scene(bytes);
  EXPECT_TRUE(scene.loaded);
  return scene.file->GetAllocatedBytes();
}

// Node chunks with nothing in them cost ten bytes of file each and far more
// memory: a file of them stops at the limit instead of exhausting memory.
// The counts pass the allowance also with 32-bit pointers (about 810 and
// 480 bytes a node).
TEST(MemoryLimit, AFileOfBareNodesStopsWithTheLimitError) {
  for (const auto& [listId, nodeId, count] : {std::tuple{scene_chunk::kMaterials, scene_chunk::kMaterial, 30000},
                                               std::tuple{scene_chunk::kObjects, 5154, 60000}}) {
    C4DWriter w;
    w.Header().StartChunk(scene_chunk::kDocument, 0).StartChunk(listId, 0);
    for (int i = 0; i < count; ++i) w.StartChunk(nodeId, 0).EndChunk();
    const std::vector<uint8_t> bytes = w.EndChunk().EndChunk().Take();
    LoadedScene scene(bytes);
    EXPECT_TRUE(!scene.loaded && scene.error == FILEERROR_LIMIT) << nodeId << ": " << FileErrorSymbol(scene.error);
    EXPECT_LE(scene.file->GetAllocatedBytes(), scene.file->GetAllocationLimit());
    EXPECT_EQ(scene.file->GetAllocationLimit(), kMaxAllocationFactor * bytes.size() + kAllocationAllowance);
    EXPECT_GT(scene.Objects().GetCount() + scene.Materials().GetCount(), 0) << "what was read is kept";
  }
}

// Any limit below what a scene needs ends its load with the limit's error,
// wherever the limit falls; from what it needs on, the scene loads.
TEST(MemoryLimit, WhereverTheLimitFallsTheLoadEndsWithTheLimitError) {
  for (const NamedScene& scene : ScenesToDamage()) {
    const uint64_t needed = BytesToLoad(scene.bytes);
    for (size_t limit : Positions(needed + 1, 300 / kSanitizerSlowdown)) {
      C4DBaseDocument document;
      GeChunkFile file;
      ASSERT_TRUE(file.OpenMemory(scene.bytes.data(), scene.bytes.size()));
      file.SetAllocationLimit(limit);
      const bool loaded = document.Load(file);
      ASSERT_LE(file.GetAllocatedBytes(), limit) << scene.name;
      ASSERT_TRUE(limit >= needed ? loaded : !loaded && file.GetError() == FILEERROR_LIMIT)
          << scene.name << " with " << limit << " of " << needed << ": " << FileErrorSymbol(file.GetError());
    }
  }
}

// ---- work ---------------------------------------------------------------------------

// A file may name one goal id on any number of nodes, each taking over the
// links that wait on the one before: the links change hands as one list, so
// the work grows with the goals plus the links, not with their product.
TEST(WorkLimit, ManyGoalsOfOneIdTakeOverTheWaitingLinksAtOnce) {
  constexpr int kLinks = 20000;
  constexpr int kGoals = 20000;
  constexpr AliasId kId = 0x0102030405060708;
  AliasRegistry registry;
  std::vector<GeAliasLink> links(kLinks);
  for (GeAliasLink& link : links) registry.RegisterLink(kId, link);
  std::vector<C4DBaseObject> nodes(kGoals);
  for (C4DBaseObject& node : nodes) registry.RegisterGoal(kId, node.goal);
  EXPECT_EQ(nodes.back().goal.GetLinkCount(), kLinks + 1);  // the entry's own placeholder too
  EXPECT_EQ(nodes.front().goal.GetLinkCount(), 0);
  EXPECT_EQ(ResolveLink(links.front()), &nodes.back());
  EXPECT_EQ(ResolveLink(links.back()), &nodes.back());
  GeAliasLink late;
  registry.RegisterLink(kId, late);
  EXPECT_EQ(ResolveLink(late), &nodes.back());
}

// ---- counts -------------------------------------------------------------------------

// A light's group count that announces more groups than the rest of the
// file can hold ends the read before anything is allocated for them (the
// file layer's counted values are the value tests' part).
TEST(CountLimit, ALightGroupCountBeyondTheRestOfTheFileAllocatesNothing) {
  LoadedScene scene(WriteObjectsDocument(kSceneVersionCurrent, [](SceneWriter& s) {
    C4DWriter& w = s.Raw();
    w.StartChunk(5154, 0).StartChunk(scene_chunk::kObjectData, 0).Int32(5102).Int32(0).Str("");
    w.Float32(1).Float32(1).Float32(1).Float32(1).Int32(0x7FFFFFFF).Int32(0).EndChunk().EndChunk();
  }));
  EXPECT_TRUE(!scene.loaded && scene.error != FILEERROR_NONE && scene.error != FILEERROR_MEMORY);
  EXPECT_LT(scene.file->GetAllocatedBytes(), 64u * 1024);
}

// Counts of records that take more memory than file bytes: multiplied by
// their size in a 32-bit size_t they wrap around to a small block
// (0x20000001 ranges of 8 bytes are 8 bytes). Each is refused against the
// rest of the file first, and nothing keeps a count without its records.
TEST(CountLimit, CountsWhoseSizeWrapsInThirtyTwoBitsFailBeforeAllocating) {
  const std::vector<uint8_t> count = C4DWriter().Header().Int32(0x20000001).Int32(0).Int32(0).Take();
  const std::vector<uint8_t> polygons =  // 16-bit indices, widened: 16 bytes each in memory
      C4DWriter().Header().Byte(TAG_POLYGON_ARRAY).Word32(0x7FFFFFFC).Word32(1).Int32(0).Take();
  using Reader = std::function<int32_t(GeChunkFile&)>;  // reads, returns the count kept
  const std::vector<std::tuple<std::string, const std::vector<uint8_t>*, Reader>> cases = {
      {"selection ranges", &count,
       [](GeChunkFile& f) { BaseSelect s; s.Read(f, BaseSelect::kChunkId, 0); return s.rangeCount; }},
      {"segments", &count,
       [](GeChunkFile& f) { PrivateC4DSegmentTag t; t.Read(f, TAG_TYPE_SEGMENT, 0); return t.segmentCount; }},
      {"polygons", &polygons,
       [](GeChunkFile& f) { CPolygon* p = nullptr; int32_t n = 0; f.ReadPolygonArray(p, n); GeFree(p); return n; }},
  };
  for (const auto& [what, bytes, read] : cases) {
    GeChunkFile file;
    ASSERT_TRUE(file.OpenMemory(bytes->data(), bytes->size()));
    EXPECT_EQ(read(file), 0) << what;
    EXPECT_TRUE(file.GetError() == FILEERROR_READ || file.GetError() == FILEERROR_MEMORY)
        << what << ": " << FileErrorSymbol(file.GetError());
    EXPECT_LT(file.GetAllocatedBytes(), 1024u) << what;
  }
}

}  // namespace
