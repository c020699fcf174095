// Objects: both payload layouts, matrices, plugin data, the light payload,
// caches and the spline's point data.
#include <gtest/gtest.h>

#include <cmath>

#include "scene_test_util.h"

namespace {

void ExpectVector(const Vector& v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}

TEST(ObjectPayload, AnObjectWithoutPlacementHasTheIdentityAsLocalMatrix) {
  ObjectSpec o = ObjectSpec::Null("N");
  o.writeObjectChunk = false;
  LoadedScene loaded(WriteScene(SceneOf({o})));
  ASSERT_TRUE(loaded.loaded);
  const Matrix m = loaded.Object(0)->GetMl();
  ExpectVector(m.off, 0, 0, 0);
  ExpectVector(m.xAxis, 1, 0, 0);
  ExpectVector(m.yAxis, 0, 1, 0);
  ExpectVector(m.zAxis, 0, 0, 1);
  EXPECT_EQ(loaded.Object(0)->stateWord0, 2);
  ExpectVector(loaded.Object(0)->color, 1, 1, 1);
}

TEST(ObjectPayload, NewLayoutReadsColourFromLevelOneAndItsSwitchFromLevelTwo) {
  for (int32_t level : {0, 1, 2, 5}) {
    ObjectSpec o = ObjectSpec::Null("N").At({1, 2, 3}).Scaled({2, 3, 4}).Colored({0.5f, 0.25f, 0});
    o.objectLevel = level;
    LoadedScene loaded(WriteScene(SceneOf({o})));
    ASSERT_TRUE(loaded.loaded) << level;
    C4DBaseObject* object = loaded.Object(0);
    ExpectVector(object->position, 1, 2, 3);
    ExpectVector(object->scale, 2, 3, 4);
    if (level >= 1) {
      ExpectVector(object->color, 0.5f, 0.25f, 0);
    } else {
      ExpectVector(object->color, 1, 1, 1);
    }
    EXPECT_EQ(object->useColor, level >= 2 ? 1 : 0) << level;
  }
}

TEST(ObjectPayload, OldLayoutTakesPlacementAndNameFromTheObjectChunk) {
  ObjectSpec o = ObjectSpec::Null("Ignored").At({4, 5, 6}).Scaled({1, 2, 1});
  o.node.data.Int(900, 1);
  SceneSpec scene = SceneOf({o}, kSceneVersionOld);
  LoadedScene loaded(WriteScene(scene));
  ASSERT_TRUE(loaded.loaded) << loaded.error;
  C4DBaseObject* object = loaded.Object(0);
  ExpectVector(object->position, 4, 5, 6);
  ExpectVector(object->scale, 1, 2, 1);
  EXPECT_EQ(object->data.FindInt32(900, 0), 1);  // the base chunk's container stays

  // The object chunk's string replaces the name read before it.
  auto bytes = ObjectsDocument(kSceneVersionOld, [](SceneWriter& s) {
    ObjectSpec named = ObjectSpec::Null("FromBase");
    named.writeObjectChunk = false;
    named.dataTypeId = 0;
    C4DWriter& w = s.Raw();
    w.StartChunk(5154, 0);
    s.BaseList(named.node);
    w.StartChunk(scene_chunk::kObject, 0);
    ContainerSpec().WriteOlder(w);
    w.Vec({}).Vec({1, 1, 1}).Vec({}).Mat(Matrix{}).Mat(Matrix{}).Str("FromObject").EndChunk();
    w.EndChunk();
  });
  LoadedScene renamed(bytes);
  ASSERT_TRUE(renamed.loaded);
  EXPECT_EQ(NameOf(renamed.Object(0)), "FromObject");
}

TEST(ObjectPayload, ANewLayoutChunkInAnOldFileIsAFormatError) {
  auto bytes = ObjectsDocument(kSceneVersionOld, [](SceneWriter& s) {
    SceneWriter newer(s.Raw(), kSceneVersionCurrent);
    newer.Object(ObjectSpec::Null("N").At({1, 2, 3}));
  });
  LoadedScene loaded(bytes);
  EXPECT_FALSE(loaded.loaded);
  EXPECT_NE(loaded.error, FILEERROR_NONE);
}

TEST(Matrices, LocalMatrixScalesTheAxesAndTakesThePosition) {
  C4DPluginObject object(5154);
  object.scale = {2, 3, 4};
  object.position = {7, 8, 9};
  const Matrix m = object.GetMl();
  ExpectVector(m.xAxis, 2, 0, 0);
  ExpectVector(m.yAxis, 0, 3, 0);
  ExpectVector(m.zAxis, 0, 0, 4);
  ExpectVector(m.off, 7, 8, 9);
}

TEST(Matrices, GlobalMatrixAppliesEveryAncestorInTurn) {
  // Grandparent turned 90 degrees about z and scaled 2; parent moved; child moved.
  ObjectSpec child = ObjectSpec::Null("C").At({1, 0, 0});
  ObjectSpec parent = ObjectSpec::Null("P").At({0, 5, 0}).Scaled({1, 1, 3}).Child(child);
  ObjectSpec grand = ObjectSpec::Null("G").At({10, 0, 0}).RotatedZ(90).Scaled({2, 2, 2}).Child(parent);
  LoadedScene loaded(WriteScene(SceneOf({grand})));
  ASSERT_TRUE(loaded.loaded);
  C4DBaseObject* c = loaded.Object(0)->GetFirstChild()->GetFirstChild();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(NameOf(c->GetParent()), "P");
  const Matrix mg = c->GetMg();
  // Child origin (1,0,0) in parent -> (1,5,0) in grandparent -> turned and
  // doubled: (-10, 2, 0) -> moved: (0, 2, 0).
  EXPECT_NEAR(mg.off.x, 0.0f, 1e-5);
  EXPECT_NEAR(mg.off.y, 2.0f, 1e-5);
  EXPECT_NEAR(mg.off.z, 0.0f, 1e-5);
  EXPECT_NEAR(mg.xAxis.y, 2.0f, 1e-5);
  EXPECT_NEAR(mg.yAxis.x, -2.0f, 1e-5);
  EXPECT_NEAR(mg.zAxis.z, 6.0f, 1e-5);
  // The same product, formed by hand.
  const Matrix byHand = MatrixMultiply(loaded.Object(0)->GetMl(),
                                       MatrixMultiply(c->GetParent()->GetMl(), c->GetMl()));
  EXPECT_FLOAT_EQ(byHand.off.y, mg.off.y);
}

TEST(Matrices, ProductsAreSummedInDoublePrecision) {
  // In float, 1e8 + 1 rounds back to 1e8, so the sum would come out 0.
  Matrix a;
  a.off = {1e8f, 0, 0};
  a.yAxis = {-1e8f, 1, 0};
  Matrix b;
  b.off = {1, 1, 0};
  EXPECT_FLOAT_EQ(MatrixMultiply(a, b).off.x, 1.0f);
}

TEST(PluginObject, DataTypesGiveTheirRecordsAndUnknownOnesNone) {
  SceneSpec scene = SceneOf({ObjectSpec::Plugin("Cam", 5103), ObjectSpec::Plugin("Odd", 4242),
                             ObjectSpec::Plugin("Cube", 5159), ObjectSpec::Plugin("Mesh", 5100)});
  LoadedScene loaded(WriteScene(scene));
  ASSERT_TRUE(loaded.loaded);
  auto plugin = [&](int n) { return static_cast<C4DPluginObject*>(loaded.Object(n)); };
  EXPECT_NE(dynamic_cast<C4DCameraObjectData*>(plugin(0)->objectData), nullptr);
  EXPECT_EQ(plugin(0)->objectData->owner, plugin(0));
  EXPECT_EQ(plugin(1)->objectData, nullptr);
  EXPECT_EQ(plugin(1)->dataTypeId, 4242);
  EXPECT_EQ(plugin(1)->Execute(), 0);
  auto* primitive = dynamic_cast<C4DPrimitiveObjectData*>(plugin(2)->objectData);
  ASSERT_NE(primitive, nullptr);
  EXPECT_EQ(primitive->dataTypeId, 5159);
  EXPECT_NE(dynamic_cast<C4DPolygonObjectData*>(plugin(3)->objectData), nullptr);
}

TEST(PluginObject, TheDataChunksNameFillsAnEmptyNameOnlyWhenItComesLater) {
  auto object = [](SceneWriter& s, bool dataFirst) {
    ObjectSpec o = ObjectSpec::Plugin("", 5140);
    o.dataName = "FromData";
    s.Raw().StartChunk(5154, 0);
    if (dataFirst) s.DataChunk(o);
    s.BaseList(o.node);
    if (!dataFirst) s.DataChunk(o);
    s.Raw().EndChunk();
  };
  LoadedScene loaded(ObjectsDocument(kSceneVersionCurrent, [&](SceneWriter& s) {
    object(s, false);
    object(s, true);
  }));
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(NameOf(loaded.Object(0)), "FromData");
  EXPECT_EQ(NameOf(loaded.Object(1)), "");
}

TEST(SplineObject, IsBornWithPointDataAndKeepsTypeAndSettings) {
  ObjectSpec line = ObjectSpec::Spline("Line", {{0, 0, 0}, {1, 0, 0}}, true);
  line.typeId = 5137;
  ObjectSpec replaced = ObjectSpec::Spline("Replaced", {}, false);
  replaced.dataTypeId = 5101;  // a data chunk replaces the point data with none
  LoadedScene loaded(WriteScene(SceneOf({ObjectSpec::Spline("S", {{1, 2, 3}}, false), line, replaced})));
  ASSERT_TRUE(loaded.loaded);
  auto* spline = dynamic_cast<C4DSplineObject*>(loaded.Object(0));
  ASSERT_NE(spline, nullptr);
  EXPECT_EQ(spline->typeId, 5101);
  EXPECT_EQ(spline->dataTypeId, 5101);
  auto* points = dynamic_cast<C4DPointObjectData*>(spline->objectData);
  ASSERT_NE(points, nullptr);
  EXPECT_EQ(points->owner, spline);
  ASSERT_EQ(points->GetPointCount(), 1);
  ExpectVector(points->GetPoints()[0], 1, 2, 3);
  EXPECT_FALSE(spline->IsClosed());

  auto* closed = dynamic_cast<C4DSplineObject*>(loaded.Object(1));
  ASSERT_NE(closed, nullptr);
  EXPECT_TRUE(closed->IsClosed());
  EXPECT_EQ(closed->GetSplineSetting(SPLINE_SETTING_MODE), 0);
  EXPECT_EQ(static_cast<C4DPluginObject*>(loaded.Object(2))->objectData, nullptr);
}

TEST(Light, BothLayoutsReadEveryValue) {
  for (int32_t version : {7499, 7500, kSceneVersionCurrent}) {
    for (int32_t groups : {0, 1, 3}) {
      C4DWriter w;
      SceneWriter s(w, version);
      LightValueCounts expected;
      w.Header().StartChunk(scene_chunk::kDocument, 0);
      s.DocumentHeader(version, false);
      w.StartChunk(scene_chunk::kObjects, 0).StartChunk(5154, 0);
      w.StartChunk(scene_chunk::kObjectData, 0).Int32(5102).Int32(0).Str("Lamp");
      expected = s.LightPayload(groups);
      w.EndChunk().EndChunk().EndChunk().EndChunk();
      LoadedScene loaded(w.Take());
      ASSERT_TRUE(loaded.loaded) << version << "/" << groups << " error " << loaded.error;
      auto* light = dynamic_cast<C4DLightObjectData*>(static_cast<C4DPluginObject*>(loaded.Object(0))->objectData);
      ASSERT_NE(light, nullptr);
      EXPECT_EQ(light->groupCount, groups);
      EXPECT_EQ(int(light->floats.size()), expected.floats) << version;
      EXPECT_EQ(int(light->ints.size()), expected.ints) << version;
      EXPECT_EQ(int(light->bools.size()), expected.bools) << version;
      EXPECT_EQ(int(light->vectors.size()), expected.vectors) << version;
      EXPECT_EQ(NameOf(loaded.Object(0)), "Lamp");
    }
  }
}

TEST(Light, APayloadOfTheOtherLayoutFailsTheLoad) {
  for (auto [fileVersion, writtenVersion] : {std::pair{7000, 9500}, std::pair{9500, 7000}}) {
    auto bytes = ObjectsDocument(fileVersion, [&](SceneWriter& s) {
      SceneWriter other(s.Raw(), writtenVersion);
      ObjectSpec light = ObjectSpec::Light("L");
      light.writeObjectChunk = false;
      other.Object(light);
    });
    LoadedScene loaded(bytes);
    EXPECT_FALSE(loaded.loaded);
    EXPECT_NE(loaded.error, FILEERROR_NONE);
  }
}

TEST(Caches, CacheObjectsBelongToTheirObjectAndInheritItsPlacement) {
  ObjectSpec mesh = ObjectSpec::Polygon("Generated", {{1, 0, 0}}, {});
  ObjectSpec cube = ObjectSpec::Primitive("Cube", mesh).At({0, 0, 10});
  cube.Override(ObjectSpec::Null("Deformed"));
  LoadedScene loaded(WriteScene(SceneOf({cube})));
  ASSERT_TRUE(loaded.loaded);
  C4DBaseObject* object = loaded.Object(0);
  C4DBaseObject* generated = object->GetFirstFallback();
  ASSERT_NE(generated, nullptr);
  EXPECT_EQ(NameOf(generated), "Generated");
  EXPECT_EQ(generated->GetParent(), object);
  EXPECT_FLOAT_EQ(generated->GetMg().off.z, 10.0f);
  EXPECT_EQ(NameOf(object->GetFirstOverride()), "Deformed");
  EXPECT_EQ(object->childList, nullptr);
}

TEST(Instance, ItsReferenceResolvesWhetherTheTargetComesBeforeOrAfter) {
  SceneSpec scene = SceneOf({ObjectSpec::Instance("Early", 9), ObjectSpec::Null("Target").Goal(9),
                             ObjectSpec::Instance("Late", 9), ObjectSpec::Instance("Dangling", 99)});
  LoadedScene loaded(WriteScene(scene));
  ASSERT_TRUE(loaded.loaded);
  loaded.CloseFile();
  auto reference = [&](int n) {
    auto* data = dynamic_cast<C4DInstanceObjectData*>(static_cast<C4DPluginObject*>(loaded.Object(n))->objectData);
    return data ? data->GetReference() : nullptr;
  };
  EXPECT_EQ(reference(0), loaded.Object(1));
  EXPECT_EQ(reference(2), loaded.Object(1));
  EXPECT_EQ(reference(3), nullptr);
}

TEST(TypeNames, KnownIdsHaveTheirNamesAndOthersTheUnknownOne) {
  EXPECT_STREQ(C4DTypeName(5154), "Plugin Object");
  EXPECT_STREQ(C4DTypeName(1001091), "PluginPolygon Object");
  EXPECT_STREQ(C4DTypeName(5671), "UVW Tag");
  EXPECT_STREQ(C4DTypeName(5159), "Unbekannter Typ");
}

}  // namespace
