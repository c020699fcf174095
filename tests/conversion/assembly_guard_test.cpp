// The guarded host calls of the assembly that a whole import never reaches
// with a null pointer: viewing a missing object as its database object, and
// converting a missing geometry to its base.
#include <memory>

#include <gtest/gtest.h>

#include "host_assembly.h"
#include "qel_host.h"
#include "standin/host_control.h"

namespace {

template <class Action>
std::unique_ptr<CQEL_NullReferenceException> NullReferenceFrom(Action action) {
  try {
    action();
  } catch (CQEL_NullReferenceException* exception) {
    return std::unique_ptr<CQEL_NullReferenceException>(exception);
  }
  return nullptr;
}

TEST(AssemblyGuard, StyleOfAMissingObjectNamesTheDatabaseObject) {
  const auto caught = NullReferenceFrom(
      [] { ApplyCommonStyle(CQEL_SmartPtr<CQEL_BasisPolyhedron3D>(), 1, Vector{1, 1, 1}, 0.0f); });
  ASSERT_TRUE(caught);
  EXPECT_EQ(caught->ReferencedClassName(), "CQEL_DBObject");
  EXPECT_EQ(caught->SourceLine(), "206");
}

TEST(AssemblyGuard, MissingGeometryIsFoundWhenItIsConvertedToItsBase) {
  standin::ResetHost();
  const long liveBefore = standin::LiveObjectCount();
  const auto caught = NullReferenceFrom([] {
    AssembleBasisPolyhedron(CQEL_SmartPtr<CQEL_GeoPolyhedron3D>(), Vector{1, 1, 1}, 0.0f, 1, true);
  });
  ASSERT_TRUE(caught);
  EXPECT_EQ(caught->ReferencedClassName(), "CQEL_GeoPolyhedron3D");
  EXPECT_EQ(caught->SourceLine(), "223");
  EXPECT_EQ(standin::LiveObjectCount(), liveBefore) << "the half-made object is dropped";
}

}  // namespace
