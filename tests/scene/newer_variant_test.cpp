// Scenes of the newer file variant: its base-list, object and tag payloads,
// the material link in the texture tag's container, and placement from the
// stored local matrix in double precision.
#include <gtest/gtest.h>

#include "c4d_material.h"
#include "damage_scenes.h"
#include "scene_test_util.h"

namespace {

TEST(NewerVariantScene, MeshKeepsDoublePointsPolygonsMaterialLayerAndPlacement) {
  LoadedScene loaded(WriteScene(NewerVariantScene()));
  ASSERT_TRUE(loaded.loaded) << loaded.error;
  EXPECT_EQ(loaded.error, FILEERROR_NONE);
  EXPECT_EQ(loaded.document.fileVersion, 2025100);
  const C4DBaseObject* mesh = loaded.Object(0)->GetFirstChild();
  ASSERT_EQ(NameOf(mesh), "Mesh");
  EXPECT_EQ(mesh->typeId, OBJECT_PLUGIN_POLYGON);

  const auto* points = static_cast<const PrivateC4DPointTag*>(mesh->GetTag(TAG_TYPE_POINT));
  ASSERT_TRUE(points && points->points64 && points->points);
  ASSERT_EQ(points->pointCount, 5);
  EXPECT_EQ(points->points64[0].x, 1e6 + 0.125);
  EXPECT_EQ(points->points[0].x, float(1e6 + 0.125));
  EXPECT_EQ(points->points64[4].y, 2.0);
  const auto* polygons = static_cast<const PrivateC4DPolygonTag*>(mesh->GetTag(TAG_TYPE_POLYGON));
  ASSERT_TRUE(polygons && polygons->polygonCount == 2);
  EXPECT_EQ(polygons->polygons[0].d, 3);
  EXPECT_EQ(polygons->polygons[1].c, 4);
  EXPECT_EQ(polygons->polygons[1].d, 4);
  const auto* uvw = static_cast<const C4DUVWTag*>(mesh->GetTag(TAG_TYPE_UVW));
  ASSERT_TRUE(uvw);
  EXPECT_EQ(uvw->uvwCount, 8);
  EXPECT_EQ(uvw->GetUVW(1).d.y, 0.25f);

  const auto* texture = static_cast<const C4DTextureTag*>(mesh->GetTag(TAG_TYPE_TEXTURE));
  ASSERT_TRUE(texture);
  EXPECT_EQ(NameOf(texture->GetMaterial()), "Paint");
  EXPECT_EQ(NameOf(mesh->GetLayer()), "Walls");

  // The group's stored matrix places the mesh: (10, 0, 0), scaled by 2.
  const Matrix64 mg = mesh->GetMg64();
  EXPECT_EQ(mg.off.x, 10.0);
  EXPECT_EQ(mg.xAxis.x, 2.0);
  EXPECT_EQ(mesh->GetMg().xAxis.x, 2.0f);

  const auto* spline = dynamic_cast<const C4DSplineObject*>(loaded.Object(1));
  ASSERT_TRUE(spline);
  EXPECT_TRUE(spline->IsClosed());
  EXPECT_EQ(static_cast<const PrivateC4DPointTag*>(spline->GetTag(TAG_TYPE_POINT))->pointCount, 4);
  EXPECT_EQ(NameOf(loaded.Object(2)), "Cube");
}

TEST(NewerVariantScene, ObjectPayloadGrowsWithItsLevel) {
  for (int32_t level : {0, 1, 2, 4, 5}) {
    SceneSpec scene = SceneOf({ObjectSpec::Null("N").At({1, 2, 3}).Colored({0.5f, 0.25f, 0})});
    scene.newer = true;
    scene.objects[0].objectLevel = level;
    LoadedScene loaded(WriteScene(scene));
    ASSERT_TRUE(loaded.loaded) << level << " " << loaded.error;
    const C4DBaseObject* object = loaded.Object(0);
    EXPECT_EQ(object->color.y, level >= 1 ? 0.25f : 1.0f) << level;
    EXPECT_EQ(object->useColor, level >= 2 ? 1 : 0) << level;
    EXPECT_EQ(object->hasStoredMatrix, level >= 4) << level;
    EXPECT_EQ(object->GetMg64().off.z, 3.0) << level;
  }
}

}  // namespace
