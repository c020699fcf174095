// The stand-in's objects keep what a module sets, and object creation fails
// when a test asks it to.
#include <cmath>
#include <memory>

#include "host_test_support.h"

namespace {

class HostObjectsTest : public HostTest {};

TEST_F(HostObjectsTest, PolyhedronKeepsItsListsAndSharesItsPoints) {
  CQEL_SmartPtr<CQEL_GeoPoint3D> point = CQEL_GeoPoint3D::CreateObj(10, 30, 20);
  point->Z(-0.0);
  CQEL_SmartPtr<CQEL_GeoPolyhedron3D> polyhedron = CQEL_GeoPolyhedron3D::CreateObj();
  EXPECT_EQ(polyhedron->GetDimension(), QEL_DIMENSION_0D);
  polyhedron->SetDimension(QEL_DIMENSION_1D);
  polyhedron->SetOrientation(QEL_ORIENTATION_POSITIVE);
  polyhedron->SetPoints({point, CQEL_GeoPoint3D::CreateObj(1, 2, 3), point});
  polyhedron->SetEdges({{1, 2}, {2, 3}});
  polyhedron->SetFaces({{1, 2, 3}, {-3, 4, 5}});

  EXPECT_EQ(polyhedron->GetDimension(), 1);
  EXPECT_EQ(polyhedron->GetOrientation(), 1);
  ASSERT_EQ(polyhedron->GetPoints().size(), 3u);
  EXPECT_EQ(polyhedron->GetPoints()[2].Get(), point.Get()) << "a closed chain repeats the same point";
  EXPECT_EQ(point->GetReferenceCount(), 3);
  EXPECT_EQ(polyhedron->GetPoints()[0]->X(), 10.0);
  EXPECT_EQ(polyhedron->GetPoints()[0]->Y(), 30.0);
  EXPECT_TRUE(std::signbit(polyhedron->GetPoints()[0]->Z()));
  EXPECT_EQ(polyhedron->GetEdges()[1], (std::pair<unsigned, unsigned>(2, 3)));
  EXPECT_EQ(polyhedron->GetFaces()[1], (std::vector<int>{-3, 4, 5}));
}

TEST_F(HostObjectsTest, BasisPolyhedronCarriesGeometryStyleAndSurface) {
  CQEL_SmartPtr<CQEL_BasisPolyhedron3D> object = CQEL_BasisPolyhedron3D::CreateObj();
  CQEL_SmartPtr<CQEL_GeoPolyhedron3D> polyhedron = CQEL_GeoPolyhedron3D::CreateObj();
  object.As<CQEL_DBObject>().SetGeometry(polyhedron);
  object->TextureDefinition(CQEL_FileHandle::CreateObj("Transparency\\col06_trans050.surf"));

  CQEL_SmartPtr<CQEL_CommonStyle> style = object.As<CQEL_DBObject>().GetCommonStyle();
  EXPECT_EQ(object->GetCommonStyle().Get(), style.Get()) << "fetched afresh, the style is the same";
  EXPECT_TRUE(style->Layer().IsNull()) << "no layer before InitLayer";
  EXPECT_TRUE(style->Color().IsNull()) << "no colour before InitColor";
  style->InitLayer();
  style->Layer()->Set(7);
  style->InitColor();
  style->Color()->SetARGB(50, 255, 127, 0);
  style->UseConstructionLineMode(CQEL_BoolRef::CreateObj(false));

  EXPECT_EQ(object->GetGeometry().Get(), static_cast<CQEL_Geometry*>(polyhedron.Get()));
  EXPECT_EQ(object->GetCommonStyle()->Layer()->Get(), 7u);
  CQEL_SmartPtr<CQEL_ColorARGB> colour = object->GetCommonStyle()->Color();
  EXPECT_EQ((std::vector<int>{colour->A(), colour->R(), colour->G(), colour->B()}), (std::vector<int>{50, 255, 127, 0}));
  ASSERT_FALSE(style->ConstructionLineMode().IsNull());
  EXPECT_FALSE(style->ConstructionLineMode()->Get());
  EXPECT_EQ(object->TextureDefinition()->Path(), "Transparency\\col06_trans050.surf");
  EXPECT_EQ(object->TextureDefinition()->FileName(), "col06_trans050.surf");
  EXPECT_STREQ(object->GetClassName(), "CQEL_BasisPolyhedron3D");
}

TEST_F(HostObjectsTest, FileHandleNamesTheLastPartOfEitherPathStyle) {
  EXPECT_EQ(CQEL_FileHandle::CreateObj("/scenes/big/house.c4d")->FileName(), "house.c4d");
  EXPECT_EQ(CQEL_FileHandle::CreateObj("C:\\scenes\\house.c4d")->FileName(), "house.c4d");
  EXPECT_EQ(CQEL_FileHandle::CreateObj("house.c4d")->FileName(), "house.c4d");
}

TEST_F(HostObjectsTest, ObjectsDieWithTheirLastHolder) {
  {
    std::vector<CQEL_SmartPtr<CQEL_Object>> objects;
    CQEL_SmartPtr<CQEL_BasisPolyhedron3D> object = CQEL_BasisPolyhedron3D::CreateObj();
    object->SetGeometry(CQEL_GeoPolyhedron3D::CreateObj());
    object->GetCommonStyle()->InitLayer();
    objects.push_back(object);
    EXPECT_GT(LiveSinceStart(), 0);
  }
  EXPECT_EQ(LiveSinceStart(), 0);
}

TEST_F(HostObjectsTest, FailedCreationOfOneClassGivesNullOnTheNthCallOnly) {
  standin::FailCreateObj("CQEL_GeoPoint3D", 2);
  EXPECT_FALSE(CQEL_GeoPoint3D::CreateObj(0, 0, 0).IsNull());
  EXPECT_FALSE(CQEL_GeoPolyhedron3D::CreateObj().IsNull()) << "other classes do not count";
  EXPECT_TRUE(CQEL_GeoPoint3D::CreateObj(0, 0, 0).IsNull());
  EXPECT_FALSE(CQEL_GeoPoint3D::CreateObj(0, 0, 0).IsNull()) << "fails once";
}

TEST_F(HostObjectsTest, FailedCreationCountsEveryClassForTheNthCall) {
  standin::FailNthCreateObj(3);
  EXPECT_FALSE(CQEL_ResourceLayerNode::CreateObj().IsNull());
  EXPECT_FALSE(CQEL_FileHandle::CreateObj("a").IsNull());
  EXPECT_TRUE(CQEL_ResourceLayerLeaf::CreateObj().IsNull());
  EXPECT_FALSE(CQEL_ResourceLineStyleLinkDef::CreateObj().IsNull());
}

TEST_F(HostObjectsTest, AlwaysFailingCreationLastsUntilReset) {
  standin::FailCreateObjAlways("CQEL_BoolRef");
  EXPECT_TRUE(CQEL_BoolRef::CreateObj(false).IsNull());
  EXPECT_TRUE(CQEL_BoolRef::CreateObj(true).IsNull());
  standin::ResetCreateObjFailures();
  EXPECT_FALSE(CQEL_BoolRef::CreateObj(true).IsNull());
}

TEST_F(HostObjectsTest, ObjectsTheHostMakesForItselfCanFailToo) {
  CQEL_SmartPtr<CQEL_BasisPolyhedron3D> object = CQEL_BasisPolyhedron3D::CreateObj();
  standin::FailCreateObj("CQEL_ColorARGB");
  CQEL_SmartPtr<CQEL_CommonStyle> style = object.As<CQEL_DBObject>().GetCommonStyle();
  style->InitColor();
  std::unique_ptr<CQEL_NullReferenceException> thrown(
      CatchNullReference([&] { style->Color()->SetARGB(0, 1, 2, 3); }));
  ASSERT_TRUE(thrown);
  EXPECT_EQ(thrown->ReferencedClassName(), "CQEL_ColorARGB");

  CQEL_SmartPtr<CQEL_BasisPolyhedron3D> other = CQEL_BasisPolyhedron3D::CreateObj();
  standin::FailCreateObj("CQEL_CommonStyle");
  EXPECT_TRUE(other->GetCommonStyle().IsNull());
  EXPECT_FALSE(other->GetCommonStyle().IsNull()) << "made on the next use";
}

TEST_F(HostObjectsTest, CreationCountsLetATestFailEachCreationInTurn) {
  const std::uint64_t before = standin::CreateObjCount();
  const std::uint64_t pointsBefore = standin::CreateObjCount("CQEL_GeoPoint3D");
  CQEL_GeoPoint3D::CreateObj(0, 0, 0);
  CQEL_BasisPolyhedron3D::CreateObj()->GetCommonStyle()->InitLayer();
  EXPECT_EQ(standin::CreateObjCount() - before, 4u) << "point, object, style, layer reference";
  EXPECT_EQ(standin::CreateObjCount("CQEL_GeoPoint3D") - pointsBefore, 1u);
}

}  // namespace
