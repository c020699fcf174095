// The host's smart pointer: reference counts, and the guarded dereference
// with the line and class that tell what was missing.
#include <memory>
#include <stdexcept>

#include "host_test_support.h"

namespace {

class SmartPointerTest : public HostTest {};

TEST_F(SmartPointerTest, CopiesShareOneObjectThatDiesWithTheLastReference) {
  {
    CQEL_SmartPtr<CQEL_GeoPoint3D> first = CQEL_GeoPoint3D::CreateObj(1, 2, 3);
    ASSERT_FALSE(first.IsNull());
    EXPECT_EQ(first->GetReferenceCount(), 1);
    {
      CQEL_SmartPtr<CQEL_GeoPoint3D> second = first;
      CQEL_SmartPtr<CQEL_GeoPoint3D> third;
      third = second;
      EXPECT_EQ(first->GetReferenceCount(), 3);
      EXPECT_EQ(third.Get(), first.Get());
    }
    EXPECT_EQ(first->GetReferenceCount(), 1);
    CQEL_SmartPtr<CQEL_GeoPoint3D> moved = std::move(first);
    EXPECT_TRUE(first.IsNull());
    EXPECT_EQ(moved->GetReferenceCount(), 1);
    EXPECT_EQ(LiveSinceStart(), 1);
  }
  EXPECT_EQ(LiveSinceStart(), 0);
}

TEST_F(SmartPointerTest, ConversionToABaseKeepsTheCount) {
  CQEL_SmartPtr<CQEL_GeoPolyhedron3D> polyhedron = CQEL_GeoPolyhedron3D::CreateObj();
  CQEL_SmartPtr<CQEL_Geometry> geometry = polyhedron;
  EXPECT_EQ(polyhedron->GetReferenceCount(), 2);
  CQEL_SmartPtr<CQEL_Object> object = std::move(geometry);
  EXPECT_TRUE(geometry.IsNull());
  EXPECT_EQ(polyhedron->GetReferenceCount(), 2);
  object = nullptr;
  EXPECT_EQ(polyhedron->GetReferenceCount(), 1);
}

TEST_F(SmartPointerTest, SelfAssignmentKeepsTheObject) {
  CQEL_SmartPtr<CQEL_BoolRef> flag = CQEL_BoolRef::CreateObj(true);
  CQEL_SmartPtr<CQEL_BoolRef>& same = flag;
  flag = same;
  EXPECT_EQ(flag->GetReferenceCount(), 1);
  EXPECT_TRUE(flag->Get());
}

TEST_F(SmartPointerTest, MemberAccessThroughNullThrowsLine189WithTheTargetClass) {
  CQEL_SmartPtr<CQEL_GeoPoint3D> missing;
  std::unique_ptr<CQEL_NullReferenceException> thrown(CatchNullReference([&] { missing->X(1.0); }));
  ASSERT_TRUE(thrown);
  EXPECT_EQ(thrown->ReferencedClassName(), "CQEL_GeoPoint3D");
  EXPECT_EQ(thrown->SourceLine(), "189");
  EXPECT_EQ(thrown->Source(), "src/host/qel_SmartPointer.h");

  CQEL_SmartPtr<CQEL_ColorARGB> colour;
  thrown.reset(CatchNullReference([&] { (*colour).SetARGB(0, 0, 0, 0); }));
  ASSERT_TRUE(thrown);
  EXPECT_EQ(thrown->ReferencedClassName(), "CQEL_ColorARGB");
  EXPECT_EQ(thrown->SourceLine(), "189");
}

TEST_F(SmartPointerTest, ViewingANullObjectAsItsBaseThrowsLine206NamingTheBase) {
  CQEL_SmartPtr<CQEL_BasisPolyhedron3D> missing;
  std::unique_ptr<CQEL_NullReferenceException> thrown(
      CatchNullReference([&] { missing.As<CQEL_DBObject>().GetCommonStyle(); }));
  ASSERT_TRUE(thrown);
  EXPECT_EQ(thrown->ReferencedClassName(), "CQEL_DBObject");
  EXPECT_EQ(thrown->SourceLine(), "206");

  CQEL_SmartPtr<CQEL_BasisPolyhedron3D> present = CQEL_BasisPolyhedron3D::CreateObj();
  CQEL_DBObject& viewed = present.As<CQEL_DBObject>();
  EXPECT_EQ(&viewed, static_cast<CQEL_DBObject*>(present.Get()));
}

TEST_F(SmartPointerTest, ConvertingANullPolyhedronToGeometryThrowsLine223NamingThePolyhedron) {
  CQEL_SmartPtr<CQEL_GeoPolyhedron3D> missing;
  std::unique_ptr<CQEL_NullReferenceException> thrown(
      CatchNullReference([&] { CQEL_SmartPtr<CQEL_Geometry> geometry = missing; }));
  ASSERT_TRUE(thrown);
  EXPECT_EQ(thrown->ReferencedClassName(), "CQEL_GeoPolyhedron3D");
  EXPECT_EQ(thrown->SourceLine(), "223");
}

TEST_F(SmartPointerTest, NullReferenceIsCaughtAsTheHostsBaseException) {
  CQEL_SmartPtr<CQEL_CommonStyle> missing;
  try {
    missing->InitLayer();
    FAIL() << "no exception";
  } catch (CQEL_AppException* exception) {
    const std::string report = exception->PrintReport();
    EXPECT_STREQ(exception->GetClassName(), "CQEL_NullReferenceException");
    EXPECT_NE(report.find("CQEL_CommonStyle"), std::string::npos) << report;
    EXPECT_NE(report.find("src/host/qel_SmartPointer.h, line 189"), std::string::npos) << report;
    delete exception;
  }
}

class TestFrameworkException : public CException {
 public:
  BOOL GetErrorMessage(LPTSTR error, UINT maxError, PUINT) const override {
    std::snprintf(error, maxError, "out of handles");
    return TRUE;
  }
};

TEST_F(SmartPointerTest, ForeignErrorsBecomeReportsWithTheirDescription) {
  TestFrameworkException framework;
  EXPECT_NE(CQEL_AppForeignException(&framework).PrintReport().find("out of handles"), std::string::npos);
  CException silent;
  EXPECT_NE(CQEL_AppForeignException(&silent).PrintReport().find("without a description"), std::string::npos);

  const std::string com = CQEL_AppForeignException(_com_error(static_cast<HRESULT>(0x80004005))).PrintReport();
  EXPECT_NE(com.find("0x80004005"), std::string::npos) << com;

  const std::string standard = CQEL_AppForeignException(std::runtime_error("disk full")).PrintReport();
  EXPECT_NE(standard.find("disk full"), std::string::npos) << standard;

  CQEL_AppForeignException unknown;
  unknown.Source("alien_impl(536)");
  const std::string report = unknown.PrintReport();
  EXPECT_STREQ(unknown.GetClassName(), "CQEL_AppForeignException");
  EXPECT_NE(report.find("Source: alien_impl(536)\n"), std::string::npos) << report;
}

}  // namespace
