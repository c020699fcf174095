// The document: header, and the traversal order with override, fallback
// and marked caches, and failed allocations (damaged and hostile files are the
// hardening tests' part).
#include <gtest/gtest.h>

#include "scene_test_util.h"

namespace {

// A factory whose nodes log every Execute into one journal. Object data
// answer 1 (dealt with), except primitives and instances, which answer 0 so
// that the traversal converts their fallback caches.
class RecordingFactory : public C4DSceneFactory {
 public:
  std::string journal;
  void Note(const std::string& entry) { journal += (journal.empty() ? "" : ", ") + entry; }

  class Data : public C4DPluginObjectData {
   public:
    Data(RecordingFactory& f, int32_t result) : factory_(f), result_(result) {}
    int32_t Execute() override { return factory_.Note(NameOf(owner)), result_; }

   private:
    RecordingFactory& factory_;
    int32_t result_;
  };
  class Material : public C4DMaterial {
   public:
    explicit Material(RecordingFactory& f) : factory_(f) {}
    int32_t Execute() override { return factory_.Note("material " + NameOf(this)), 1; }

   private:
    RecordingFactory& factory_;
  };
  class Layer : public C4DBaseLayer {
   public:
    explicit Layer(RecordingFactory& f) : factory_(f) {}
    int32_t Execute() override { return factory_.Note("layer " + NameOf(this)), 1; }

   private:
    RecordingFactory& factory_;
  };

  C4DPluginObjectData* NewObjectData(int32_t dataTypeId, bool& known) override {
    known = IsKnownDataType(dataTypeId);
    if (!known) return nullptr;
    return new Data(*this, IsPrimitiveDataType(dataTypeId) || dataTypeId == DATA_INSTANCE ? 0 : 1);
  }
  C4DBaseMaterial* NewMaterial() override { return new Material(*this); }
  C4DBaseLayer* NewLayer() override { return new Layer(*this); }
};

std::string Traverse(const SceneSpec& scene) {
  RecordingFactory factory;
  LoadedScene loaded(WriteScene(scene), &factory);
  EXPECT_TRUE(loaded.loaded) << loaded.error;
  loaded.document.ExecuteAll();
  return factory.journal;
}

ObjectSpec Mesh(const std::string& name) { return ObjectSpec::Polygon(name, {}, {}); }

TEST(Traversal, MaterialsThenLayersDepthFirstThenObjectsWithTheirCaches) {
  SceneSpec scene;
  scene.objectsFirst = true;
  scene.objects = {Mesh("A").Child(Mesh("A1").Child(Mesh("A11"))).Child(Mesh("A2")), Mesh("B"),
                   // An override cache replaces the object and only its first node counts.
                   Mesh("Deformed").Override(Mesh("Cache1")).Override(Mesh("Cache2")).Child(Mesh("Kid")),
                   // An object that was not dealt with converts its fallback cache.
                   ObjectSpec::Primitive("Cube", Mesh("CubeMesh")).Fallback(Mesh("Second")).Child(Mesh("Kid")),
                   ObjectSpec::Plugin("Odd", 4242).Fallback(Mesh("OddMesh")),
                   ObjectSpec::Light("Lamp").Fallback(Mesh("NotVisited"))};
  scene.layers = {LayerSpec::Named("L1", 1).Child(LayerSpec::Named("L11", 2)), LayerSpec::Named("L2", 3)};
  scene.materials = {MaterialSpec::Colored("M1", 4, {}), MaterialSpec::Colored("M2", 5, {})};
  EXPECT_EQ(Traverse(scene),
            "material M1, material M2, layer L1, layer L11, layer L2, A, A1, A11, A2, B, Cache1, Kid, "
            "Cube, CubeMesh, Kid, OddMesh, Lamp");
}

TEST(Traversal, MarkedCachesSkipTheObjectUnlessItsFallbackHasAnOverride) {
  SceneSpec scene;
  scene.useMarkedCaches = true;
  scene.objects = {ObjectSpec::Primitive("Plain", Mesh("PlainMesh").Bits(0x200)).Bits(0x200).Child(Mesh("Kid")),
                   ObjectSpec::Primitive("Over", Mesh("OverMesh").Bits(0x200).Override(Mesh("OverCache"))).Bits(0x200),
                   ObjectSpec::Primitive("Chain", Mesh("ChainMesh")).Bits(0x200)};
  EXPECT_EQ(Traverse(scene), "Kid, OverCache, Chain, ChainMesh");
  // Without the document's switch the marks mean nothing; a header of level 0 carries no switch.
  const std::string unmarked = "Plain, PlainMesh, Kid, Over, OverCache, Chain, ChainMesh";
  scene.useMarkedCaches = false;
  EXPECT_EQ(Traverse(scene), unmarked);
  scene.useMarkedCaches = true;
  scene.headerLevel = 0;
  EXPECT_EQ(Traverse(scene), unmarked);
}

TEST(Document, WithoutAHeaderTheVersionIsZeroAndOldLayoutsAreRead) {
  SceneSpec scene = SceneOf({ObjectSpec::Null("N").At({1, 2, 3})}, kSceneVersionOld);
  scene.writeHeader = false;
  scene.useMarkedCaches = true;
  LoadedScene loaded(WriteScene(scene));
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(loaded.document.GetFileVersion(), 0);
  EXPECT_EQ(loaded.document.useMarkedCaches, 0);
  EXPECT_FLOAT_EQ(loaded.Object(0)->position.z, 3.0f);
}

}  // namespace
