// What the module's tests take on trust from the stand-in host and the
// platform: that it is no more lenient than Tessaro. Objects die with their
// last reference, a failure is injected exactly where it is asked for,
// layer names are looked up exactly, strings come from the current
// resource library only, and a posted click waits until it is pumped.
#include <afx_frontend.h>
#include <afxwin.h>
#include <gtest/gtest.h>

#include "qel_host.h"
#include "standin/host_control.h"

namespace {

TEST(HostStandin, ObjectsDieWithTheirLastReference) {
  standin::ResetHost();
  const long live = standin::LiveObjectCount();
  {
    CQEL_SmartPtr<CQEL_GeoPolyhedron3D> first = CQEL_GeoPolyhedron3D::CreateObj();
    CQEL_SmartPtr<CQEL_Geometry> base = first;
    CQEL_SmartPtr<CQEL_Object> moved = std::move(base);
    EXPECT_TRUE(base.IsNull());
    EXPECT_EQ(first->GetReferenceCount(), 2);
    moved = moved;
    EXPECT_EQ(first->GetReferenceCount(), 2);
    moved = nullptr;
    EXPECT_EQ(first->GetReferenceCount(), 1);
    EXPECT_EQ(standin::LiveObjectCount(), live + 1);
  }
  EXPECT_EQ(standin::LiveObjectCount(), live);
}

TEST(HostStandin, FailuresAreInjectedOnlyWhereAsked) {
  standin::ResetHost();
  standin::FailCreateObj("CQEL_GeoPoint3D", 2);
  EXPECT_FALSE(CQEL_GeoPoint3D::CreateObj(0, 0, 0).IsNull());
  EXPECT_FALSE(CQEL_GeoPolyhedron3D::CreateObj().IsNull()) << "other classes do not count";
  EXPECT_TRUE(CQEL_GeoPoint3D::CreateObj(0, 0, 0).IsNull());
  EXPECT_FALSE(CQEL_GeoPoint3D::CreateObj(0, 0, 0).IsNull()) << "fails once";
  standin::FailCreateObjAlways("CQEL_BoolRef");
  EXPECT_TRUE(CQEL_BoolRef::CreateObj(false).IsNull());
  EXPECT_TRUE(CQEL_BoolRef::CreateObj(true).IsNull());
  standin::ResetHost();
  EXPECT_FALSE(CQEL_BoolRef::CreateObj(true).IsNull());
}

TEST(HostStandin, LayerLeavesAreFoundByTheirExactNamesAtAnyDepth) {
  standin::ResetHost();
  auto table = CQEL_Service_LayerResources::GetTable(CQEL_Service_TessaroResources::GetResourceBuffer());
  EXPECT_EQ(CQEL_Service_LayerResources::GetNextFreeLayerLeafId(table), 1u);
  auto top = CQEL_ResourceLayerNode::CreateObj();
  auto file = CQEL_ResourceLayerNode::CreateObj();
  top->LongName("Cinema4D");
  top->AddNewLayerNode(file);
  table->AddNewLayerNode(top);
  for (unsigned id : {7u, 3u}) {
    auto leaf = CQEL_ResourceLayerLeaf::CreateObj();
    file->AddNewLayerLeaf(leaf);  // named after it was added, as the module may do
    leaf->Id(id);
    leaf->LongName("Walls " + std::to_string(id));
    leaf->ShortName("Walls");
  }
  EXPECT_EQ(CQEL_Service_LayerResources::GetNextFreeLayerLeafId(table), 8u);
  EXPECT_EQ(table->GetLayerLeafByLongName("Walls 3")->Id(), 3u);
  EXPECT_EQ(table->GetLayerLeafByShortName("Walls")->Id(), 7u) << "the first leaf added";
  EXPECT_TRUE(table->GetLayerLeafByLongName("Walls").IsNull());
  EXPECT_TRUE(table->GetLayerLeafByShortName("Walls 3").IsNull());
  EXPECT_TRUE(table->GetLayerNodeByLongName("").IsNull()) << "only the table's own nodes";
}

TEST(PlatformStandin, StringsComeFromTheCurrentResourcesAndClicksWaitForThePump) {
  const AFX_STRING_RESOURCE strings[] = {{8, "plain text"}};
  const AFX_DIALOG_CONTROL controls[] = {{IDCANCEL, BUTTON_CLASS, "Cancel"}, {1000, PROGRESS_CLASS, nullptr}};
  const AFX_DIALOG_TEMPLATE dialogs[] = {{102, "Working", controls, 2}};
  const AFX_RESOURCE_TABLE table = {AFX_RESOURCE_TABLE_VERSION, strings, 1, dialogs, 1};
  const HINSTANCE resources = afx_frontend::CreateResourceModule(&table, "standin-test");
  CString text("unchanged");
  AfxSetResourceHandle(nullptr);
  EXPECT_FALSE(text.LoadString(8));
  AfxSetResourceHandle(resources);
  EXPECT_TRUE(text.LoadString(8));
  EXPECT_EQ(text, "plain text");

  CDialog dialog;
  ASSERT_TRUE(dialog.Create(102, nullptr));
  EXPECT_FALSE(afx_frontend::PostButtonClick(dialog.m_hWnd, 1000)) << "the bar is no button";
  ASSERT_TRUE(afx_frontend::PostButtonClick(dialog.m_hWnd, IDCANCEL));
  MSG msg;
  EXPECT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(afx_frontend::PendingMessageCount(), 1u) << "a look leaves the click waiting";
  EXPECT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(afx_frontend::PendingMessageCount(), 0u);
}

}  // namespace
