// What the module's tests take on trust from the stand-in host and the
// platform, where a more lenient stand-in would hide a fault of the module:
// host objects die with their last reference (the count that finds the
// module's leaks), strings come from the current resource library only (a
// module that forgot its own state would still show its texts), and a
// posted click waits until it is pumped (a module that never pumps would
// still see Cancel).
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
