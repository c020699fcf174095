// Scenes of the newer file variant: its base-list, object and tag payloads,
// the material link in the texture tag's container, and placement from the
// position, rotation and scale in double precision.
#include <gtest/gtest.h>

#include <filesystem>

#include "c4d_material.h"
#include "damage_scenes.h"
#include "scene_test_util.h"

namespace {

TEST(NewerVariantScene, MeshKeepsDoublePointsPolygonsMaterialLayerAndPlacement) {
  LoadedScene loaded(WriteScene(NewerVariantScene()));
  ASSERT_TRUE(loaded.loaded) << loaded.error;
  const C4DBaseObject* mesh = loaded.Object(0)->GetFirstChild();
  ASSERT_EQ(NameOf(mesh), "Mesh");
  const auto* points = static_cast<const PrivateC4DPointTag*>(mesh->GetTag(TAG_TYPE_POINT));
  const auto* polygons = static_cast<const PrivateC4DPolygonTag*>(mesh->GetTag(TAG_TYPE_POLYGON));
  const auto* uvw = static_cast<const C4DUVWTag*>(mesh->GetTag(TAG_TYPE_UVW));
  const auto* texture = static_cast<const C4DTextureTag*>(mesh->GetTag(TAG_TYPE_TEXTURE));
  ASSERT_TRUE(points && points->points64 && points->pointCount == 5 && polygons && uvw && texture);
  EXPECT_EQ(points->points64[0].x, 1e6 + 0.125);
  ASSERT_EQ(polygons->polygonCount, 2);
  EXPECT_EQ(polygons->polygons[1].c, 4);
  EXPECT_EQ(polygons->polygons[1].d, 4);
  EXPECT_EQ(uvw->uvwCount, 8);
  EXPECT_EQ(uvw->GetUVW(1).d.y, 0.25f);
  EXPECT_EQ(NameOf(texture->GetMaterial()), "Paint");
  EXPECT_EQ(NameOf(mesh->GetLayer()), "Walls");
  // The group's position and scale place the mesh: (10, 0, 0), scaled by 2.
  EXPECT_EQ(mesh->GetMg64().off.x, 10.0);
  EXPECT_EQ(mesh->GetMg().xAxis.x, 2.0f);
  const auto* spline = dynamic_cast<const C4DSplineObject*>(loaded.Object(1));
  ASSERT_TRUE(spline && spline->IsClosed());
  EXPECT_EQ(static_cast<const PrivateC4DPointTag*>(spline->GetTag(TAG_TYPE_POINT))->pointCount, 4);
  EXPECT_NEAR(spline->GetMg64().xAxis.z, 1.0, 1e-7);  // a quarter turn of heading takes x to z
}

// Polygon objects, their points and polygons, and each spline's points, of
// a tree of objects with its caches.
struct Held {
  int meshes = 0, points = 0, polygons = 0;
  std::vector<int> splines;
  void Add(const C4DRootObject* list) {
    for (const C4DBaseObject* o : list ? list->Objects() : C4DNodeRange<C4DBaseObject>(nullptr)) {
      const auto* p = static_cast<const PrivateC4DPointTag*>(o->GetTag(TAG_TYPE_POINT));
      const auto* q = static_cast<const PrivateC4DPolygonTag*>(o->GetTag(TAG_TYPE_POLYGON));
      if (dynamic_cast<const C4DSplineObject*>(o)) splines.push_back(p ? p->pointCount : 0);
      if (q) meshes += 1, polygons += q->polygonCount, points += p ? p->pointCount : 0;
      Add(o->childList), Add(o->overrideCache), Add(o->fallbackCache);
    }
  }
};

TEST(NewerVariantScene, CorpusFilesLoadWhole) {
  struct Case { const char* file; int meshes, points, polygons; std::vector<int> splines; };
  const Case cases[] = {
      {"mesh-volume.c4d", 9, 33353, 61472, {}},   {"mesh-icon.c4d", 4, 2504, 2638, {}},
      {"spline-bezier.c4d", 0, 0, 0, {101}},      {"spline-offset-path.c4d", 0, 0, 0, {203, 60}},
      {"generators-pie-chart.c4d", 0, 0, 0, {}},  {"generators-spiral.c4d", 0, 0, 0, {}},
      {"header6-export.c4d", 0, 0, 0, {}},        {"header6-light-tag.c4d", 0, 0, 0, {}},
  };
  if (!std::filesystem::exists(C4D_CORPUS_NEWER_DIR)) GTEST_SKIP() << "no corpus at " << C4D_CORPUS_NEWER_DIR;
  for (const Case& c : cases) {
    LoadedScene loaded(ReadFileBytes(std::string(C4D_CORPUS_NEWER_DIR) + "/" + c.file));
    EXPECT_TRUE(loaded.loaded) << c.file;
    EXPECT_EQ(loaded.error, FILEERROR_NONE) << c.file;
    EXPECT_EQ(loaded.file->Remaining(), 0) << c.file;
    Held held;
    held.Add(loaded.document.objects);
    EXPECT_EQ(held.meshes, c.meshes) << c.file;
    EXPECT_EQ(held.points, c.points) << c.file;
    EXPECT_EQ(held.polygons, c.polygons) << c.file;
    EXPECT_EQ(held.splines, c.splines) << c.file;
  }
}

}  // namespace
