// Parameter containers: the store and lookup rules, both on-disk forms,
// stand-alone values, and link values through an installed link support.
#include <gtest/gtest.h>

#include "ge_alloc.h"
#include "ge_container.h"
#include "memory_file.h"

namespace {

GeValue Int(int32_t v) {
  GeValue value;
  value.SetType(GEVALUE_INT32);
  value.SetInt32(v);
  return value;
}

GeValue Real(float v) {
  GeValue value;
  value.SetType(GEVALUE_FLOAT32);
  value.SetFloat32(v);
  return value;
}

TEST(ContainerStore, FloatDefaultStaysFloatWhenTheFileHoldsAnInteger) {
  GeContainer c;
  c.StoreFloat32(1000, 0.5f);
  c.StoreValue(1000, Int(3));
  EXPECT_EQ(c.FindValue(1000).GetType(), GEVALUE_FLOAT32);
  EXPECT_EQ(c.FindFloat32(1000, 0), 3.0f);
  EXPECT_EQ(c.FindInt32(1000, 7), 3);
}

TEST(ContainerStore, IntegerDefaultStaysIntegerAndTruncatesTowardZero) {
  GeContainer c;
  c.StoreInt32(1, 10);
  c.StoreValue(1, Real(-2.7f));
  EXPECT_EQ(c.FindValue(1).GetType(), GEVALUE_INT32);
  EXPECT_EQ(c.FindInt32(1, 0), -2);
  c.StoreValue(1, Real(1e20f));  // saturates instead of overflowing
  EXPECT_EQ(c.FindInt32(1, 0), INT32_MAX);
}

TEST(ContainerStore, OtherTypeChangesReplaceTheValue) {
  GeContainer c;
  c.StoreInt32(5, 1);
  c.StoreVector(5, {1, 2, 3});
  EXPECT_EQ(c.FindValue(5).GetType(), GEVALUE_VECTOR);
  EXPECT_EQ(c.FindVector(5, {}).z, 3);
  c.StoreBool(5, true);
  EXPECT_EQ(c.FindValue(5).GetType(), GEVALUE_INT32);
  EXPECT_TRUE(c.FindBool(5, false));
}

TEST(ContainerLookup, FallBacksForMissingIdsAndForeignTypes) {
  GeContainer c;
  c.StoreInt32(1, 4);
  c.StoreFloat32(2, -2.7f);
  EXPECT_EQ(c.FindInt32(2, 0), -2);
  EXPECT_EQ(c.FindInt32(9, 7), 7);
  EXPECT_EQ(c.FindFloat32(9, 1.5f), 1.5f);
  EXPECT_TRUE(c.FindBool(9, true));
  const Vector v = c.FindVector(1, {5, 5, 5});  // a foreign type gives zero, not the default
  EXPECT_EQ(v.x, 0);
  EXPECT_EQ(v.y, 0);
  EXPECT_EQ(c.FindVector(9, {5, 5, 5}).x, 5);
  EXPECT_EQ(c.FindValue(9).GetType(), GEVALUE_EMPTY);
  EXPECT_TRUE(c.FindValue(1).AsString().IsEmpty());
  EXPECT_EQ(c.FindSubContainer(1), nullptr);
  EXPECT_EQ(c.FindSubContainer(9), nullptr);
  EXPECT_EQ(c.FindValue(1).AsLinkTarget(), nullptr);
}

TEST(ContainerLookup, NegativeIdsAreOneId) {
  GeContainer c;
  c.StoreInt32(-5, 1);
  c.StoreInt32(-9, 2);
  EXPECT_EQ(c.GetCount(), 1);
  EXPECT_EQ(c.FindInt32(-1, 0), 2);
}

TEST(ContainerLookup, FirstOfTwoEntriesWinsInSmallAndLargeContainers) {
  for (int32_t size : {4, 5000}) {
    GeContainer c;
    for (int32_t i = 0; i < size; ++i) c.AppendValue(i, Int(i));
    for (int32_t i = 0; i < size; ++i) c.AppendValue(i, Int(-i));
    EXPECT_EQ(c.GetCount(), 2 * size);
    bool firstWins = true;
    for (int32_t i = 0; i < size; ++i) firstWins = firstWins && c.FindInt32(i, -1) == i;
    EXPECT_TRUE(firstWins) << size;
    c.StoreInt32(size - 1, 77);  // replaces the first, leaves the second
    EXPECT_EQ(c.FindInt32(size - 1, 0), 77);
    EXPECT_EQ(c.FindInt32(size, 123), 123);
  }
}

TEST(ContainerCopy, CopyIntoIsDeep) {
  GeContainer original;
  original.SetId(9);
  GeContainer sub;
  sub.StoreInt32(1, 1);
  original.StoreInt32(1, 5);
  GeContainer* inner = original.AppendSubContainer(2, sub);
  ASSERT_NE(inner, nullptr);
  GeContainer copy;
  copy.StoreInt32(99, 1);
  ASSERT_TRUE(original.CopyInto(copy));
  inner->StoreInt32(1, 2);
  EXPECT_EQ(copy.GetId(), 9);
  EXPECT_EQ(copy.FindInt32(99, -1), -1);
  ASSERT_NE(copy.FindSubContainer(2), nullptr);
  EXPECT_EQ(copy.FindSubContainer(2)->FindInt32(1, 0), 1);
}

// Both on-disk forms carry the same entries and must read alike.
ContainerSpec EveryEntryKind() {
  Matrix m;
  m.off = {7, 8, 9};
  return ContainerSpec(42)
      .Int(1, 5)
      .Real(2, 0.25f)
      .Vec(3, {1, 2, 3})
      .Mat(4, m)
      .Str(5, "name")
      .Filename(6, "tex.tif")
      .Sub(7, ContainerSpec(8).Int(1, 11).Sub(2, ContainerSpec().Str(1, "deep")))
      .Time(8, 3, 2)
      .UnknownChunk(9, 200, 5000)
      .Link(10, 0x0102030405060708ull)
      .Int(11, 6);
}

class ContainerForms : public testing::TestWithParam<bool> {
 protected:
  void Write(C4DWriter& w, const ContainerSpec& spec) {
    if (GetParam()) {
      spec.WriteChunk(w);
    } else {
      spec.WriteOlder(w);
    }
  }
};

TEST_P(ContainerForms, ReadsEveryEntryKind) {
  C4DWriter w = WithHeader();
  Write(w, EveryEntryKind());
  w.Int32(-3);
  MemoryFile f(w);
  GeContainer c;
  ASSERT_TRUE(ReadContainer(f.file, c, false));
  EXPECT_EQ(f.file.GetError(), FILEERROR_NONE);
  EXPECT_EQ(c.GetId(), 42);
  EXPECT_EQ(c.FindInt32(1, 0), 5);
  EXPECT_EQ(c.FindFloat32(2, 0), 0.25f);
  EXPECT_EQ(c.FindVector(3, {}).y, 2);
  ASSERT_NE(c.FindValue(4).AsMatrix(), nullptr);
  EXPECT_EQ(c.FindValue(4).AsMatrix()->off.z, 9);
  EXPECT_EQ(c.FindValue(5).AsString().To8Bit(), "name");
  GeContainer* sub = c.FindSubContainer(7);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->GetId(), 8);
  EXPECT_EQ(sub->FindInt32(1, 0), 11);
  ASSERT_NE(sub->FindSubContainer(2), nullptr);
  EXPECT_EQ(sub->FindSubContainer(2)->FindValue(1).AsString().To8Bit(), "deep");
  EXPECT_EQ(c.FindInt32(11, 0), 6);  // read after the unknown chunk and the link
  if (GetParam()) {
    // Only the chunk form keeps file names, as strings, and times, as seconds.
    EXPECT_EQ(c.FindValue(6).GetType(), GEVALUE_STRING);
    EXPECT_EQ(c.FindValue(6).AsString().To8Bit(), "tex.tif");
    EXPECT_EQ(c.FindFloat32(8, 0), 1.5f);
  }
  EXPECT_EQ(c.FindValue(9).GetType(), GEVALUE_EMPTY);
  EXPECT_EQ(c.FindValue(10).GetType(), GEVALUE_EMPTY);  // no link support: dropped
  int32_t after = 0;
  EXPECT_TRUE(f.file.ReadInt32(after));
  EXPECT_EQ(after, -3);
}

TEST_P(ContainerForms, AppendKeepsRepeatedIdsAndStoreConvertsIntoDefaults) {
  const ContainerSpec spec = ContainerSpec().Int(1000, 3).Real(1001, 2.9f).Int(1000, 4);
  for (bool append : {true, false}) {
    C4DWriter w = WithHeader();
    Write(w, spec);
    MemoryFile f(w);
    GeContainer c;
    c.StoreFloat32(1000, 0.5f);
    c.StoreInt32(1001, 1);
    ASSERT_TRUE(ReadContainer(f.file, c, append));
    if (append) {
      EXPECT_EQ(c.GetCount(), 5);
      EXPECT_EQ(c.FindFloat32(1000, 0), 0.5f);  // the default is the first entry
    } else {
      EXPECT_EQ(c.GetCount(), 2);
      EXPECT_EQ(c.FindValue(1000).GetType(), GEVALUE_FLOAT32);
      EXPECT_EQ(c.FindFloat32(1000, 0), 4.0f);
      EXPECT_EQ(c.FindInt32(1001, 0), 2);
    }
  }
}

TEST_P(ContainerForms, StoringReadsIntoTheExistingSubContainer) {
  C4DWriter w = WithHeader();
  Write(w, ContainerSpec().Sub(7, ContainerSpec().Int(2, 20)));
  MemoryFile f(w);
  GeContainer c;
  GeContainer defaults;
  defaults.StoreInt32(1, 10);
  c.AppendSubContainer(7, defaults);
  ASSERT_TRUE(ReadContainer(f.file, c, false));
  EXPECT_EQ(c.GetCount(), 1);
  EXPECT_EQ(c.FindSubContainer(7)->FindInt32(1, 0), 10);
  EXPECT_EQ(c.FindSubContainer(7)->FindInt32(2, 0), 20);
}

TEST_P(ContainerForms, DeepSubContainersStopAtTheNestingLimit) {
  ContainerSpec spec = ContainerSpec().Int(1, 1);
  for (int i = 0; i < kMaxNestingDepth + 5; ++i) spec = ContainerSpec().Sub(1, spec);
  C4DWriter w = WithHeader();
  Write(w, spec);
  MemoryFile f(w);
  GeContainer c;
  EXPECT_FALSE(ReadContainer(f.file, c, false));
  EXPECT_EQ(f.file.GetError(), FILEERROR_NESTING);
  EXPECT_EQ(f.file.GetNestingDepth(), 0);
}

// A failed allocation anywhere in a read ends it cleanly with FILEERROR_MEMORY.
TEST_P(ContainerForms, EveryAllocationFailureEndsCleanly) {
  C4DWriter w = WithHeader();
  Write(w, EveryEntryKind());
  uint64_t n = 1;
  for (;; ++n) {
    MemoryFile f(w.Data());
    GeContainer c;
    c.StoreInt32(1, 0);
    GeAllocFailAt(n);
    const uint64_t before = GeAllocCount();
    const bool ok = ReadContainer(f.file, c, false);
    const bool failureHit = GeAllocCount() - before >= n;
    GeAllocFailAt(0);
    if (!failureHit) {
      EXPECT_TRUE(ok);
      break;
    }
    // A failing lookup index is not an error; every other allocation is.
    EXPECT_TRUE(ok ? f.file.GetError() == FILEERROR_NONE : f.file.GetError() == FILEERROR_MEMORY) << n;
    ASSERT_LT(n, 1000u);
  }
  EXPECT_GT(n, 20u);  // the walk went through the allocations of every entry kind
}

INSTANTIATE_TEST_SUITE_P(Forms, ContainerForms, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Chunk" : "Older"; });

TEST(ContainerChunkForm, LevelZeroLeavesTheContainerAsItWas) {
  C4DWriter w = WithHeader();
  ContainerSpec(5).Int(1, 9).WriteChunk(w, 0);
  MemoryFile f(w);
  GeContainer c;
  c.StoreInt32(1, 2);
  EXPECT_TRUE(ReadContainer(f.file, c, false));
  EXPECT_EQ(c.FindInt32(1, 0), 2);
  EXPECT_EQ(c.GetId(), -1);
}

TEST(ContainerChunkForm, WrongChunkIdOrEntryMarkerEndsWithoutError) {
  C4DWriter wrongId = WithHeader();
  wrongId.StartChunk(133, 1).Int32(0).EndChunk();
  C4DWriter wrongMarker = WithHeader();
  wrongMarker.StartChunk(132, 1).Int32(0).Float32(1).EndChunk();
  for (C4DWriter* w : {&wrongId, &wrongMarker}) {
    MemoryFile f(w->Data());
    GeContainer c;
    EXPECT_FALSE(ReadContainer(f.file, c, false));
    EXPECT_EQ(f.file.GetError(), FILEERROR_NONE);
  }
}

TEST(ContainerOlderForm, EndEntryNeedsIdMinusOne) {
  C4DWriter w = WithHeader();
  w.Byte(TAG_CONTAINER).Word32(11).Int32(0).Word32(5).Byte(3);
  MemoryFile f(w);
  GeContainer c;
  EXPECT_FALSE(ReadContainer(f.file, c, false));
}

TEST(ContainerRead, FirstByteMustNameAForm) {
  C4DWriter w = WithHeader();
  w.Int32(1);
  MemoryFile f(w);
  GeContainer c;
  EXPECT_FALSE(ReadContainer(f.file, c, false));
  EXPECT_EQ(f.file.GetError(), FILEERROR_FORMAT);
}

TEST(StandAloneValue, EachTypeReadsItsPayload) {
  C4DWriter w = WithHeader();
  w.Int32(15).Int32(-8);
  w.Int32(19).Float32(2.5f);
  w.Int32(130).Str("txt");
  w.Int32(132);
  ContainerSpec(3).Int(1, 1).Int(1, 2).WriteOlder(w);
  w.Int32(22).Time(1, 2);
  w.Int32(133).LinkRecord(5);
  w.Int32(14).Int32(131).Int32(128).Int32(0).Int32(1000000);
  MemoryFile f(w);
  GeValue v;
  ASSERT_TRUE(ReadValue(f.file, v));
  EXPECT_EQ(v.AsInt32(), -8);
  ASSERT_TRUE(ReadValue(f.file, v));
  EXPECT_EQ(v.AsFloat32(), 2.5f);
  ASSERT_TRUE(ReadValue(f.file, v));
  EXPECT_EQ(v.AsString().To8Bit(), "txt");
  ASSERT_TRUE(ReadValue(f.file, v));
  ASSERT_NE(v.AsContainer(), nullptr);
  EXPECT_EQ(v.AsContainer()->GetCount(), 2);  // read with append
  ASSERT_TRUE(ReadValue(f.file, v));
  EXPECT_EQ(v.GetType(), GEVALUE_EMPTY);  // times are read and dropped
  ASSERT_TRUE(ReadValue(f.file, v));
  EXPECT_EQ(v.GetType(), GEVALUE_EMPTY);  // no link support
  ASSERT_TRUE(ReadValue(f.file, v));
  EXPECT_EQ(v.GetType(), 14);
  ASSERT_TRUE(ReadValue(f.file, v));
  EXPECT_EQ(v.GetType(), 131);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(ReadValue(f.file, v));
    EXPECT_EQ(v.GetType(), GEVALUE_EMPTY);
  }
  EXPECT_EQ(f.file.Remaining(), 0);
}

TEST(StandAloneValue, UnknownTypeFailsWithoutSettingTheError) {
  for (int32_t type : {7, -1, 999999}) {
    C4DWriter w = WithHeader();
    w.Int32(type);
    MemoryFile f(w);
    GeValue v;
    EXPECT_FALSE(ReadValue(f.file, v));
    EXPECT_EQ(f.file.GetError(), FILEERROR_NONE);
  }
}

TEST(StandAloneValue, FailedPayloadClearsTheValue) {
  C4DWriter w = WithHeader();
  w.Int32(23).Float32(1);
  MemoryFile f(w);
  GeValue v = Int(4);
  EXPECT_FALSE(ReadValue(f.file, v));
  EXPECT_EQ(v.GetType(), GEVALUE_EMPTY);
  EXPECT_EQ(f.file.GetError(), FILEERROR_FORMAT);
}

// A stand-in for the scene model's links: every link read resolves to one node.
class FakeLink : public GeLinkValue {
 public:
  explicit FakeLink(PrivateChunk* target) : target_(target) {}
  GeLinkValue* CloneLink() const override { return new FakeLink(target_); }
  PrivateChunk* ResolveTarget() const override { return target_; }

 private:
  PrivateChunk* target_;
};

class FakeRegistry : public GeLinkRegistry {
 public:
  explicit FakeRegistry(int* emptied) : emptied_(emptied) {}
  void Empty() override { ++*emptied_; }

 private:
  int* emptied_;
};

class FakeLinkSupport : public GeLinkSupport {
 public:
  GeLinkRegistry* NewRegistry() override {
    ++registries;
    return new FakeRegistry(&emptied);
  }
  GeLinkValue* ReadLinkValue(GeChunkFile& file) override {
    uint8_t* block = nullptr;
    int32_t count = 0;
    const bool ok = file.ReadMemory(block, count);
    GeFree(block);
    return ok ? new FakeLink(&target) : nullptr;
  }
  int registries = 0;
  int emptied = 0;
  PrivateChunk target;
};

TEST(LinkValues, WithoutSupportThereIsNoRegistry) {
  MemoryFile f(WithHeader());
  EXPECT_EQ(f.file.GetRegistry(), nullptr);
}

TEST(LinkValues, InstalledSupportMakesRegistryAndReadsLinks) {
  FakeLinkSupport support;
  GeChunkFile::InstallLinkSupport(&support);
  {
    C4DWriter w = WithHeader();
    ContainerSpec().Link(3, 77).WriteChunk(w);
    MemoryFile f(w);
    EXPECT_NE(f.file.GetRegistry(), nullptr);
    EXPECT_EQ(support.emptied, 1);  // once the header was accepted
    GeContainer c;
    ASSERT_TRUE(ReadContainer(f.file, c, false));
    EXPECT_EQ(c.FindValue(3).GetType(), GEVALUE_LINK);
    EXPECT_EQ(c.FindValue(3).AsLinkTarget(), &support.target);
    GeContainer copy;
    ASSERT_TRUE(c.CopyInto(copy));
    EXPECT_EQ(copy.FindValue(3).AsLinkTarget(), &support.target);
  }
  GeChunkFile::InstallLinkSupport(nullptr);
}

}  // namespace
