// Strings, resources and module states: what a module sees through
// AFX_MANAGE_STATE, and that every switch is undone.
#include <stdexcept>

#include <afx_frontend.h>
#include <afxwin.h>
#include <gtest/gtest.h>

extern "C" {
AFX_MODULE_STATE* ProbeStaticState();
int ProbeInitCount();
const char* ProbeAppName();
AFX_MODULE_STATE* ProbeCurrentState();
bool ProbeIsOwnThread();
void ProbeSetResourceHandle(HINSTANCE resources);
bool ProbeFormat(UINT id, unsigned value, char* out, unsigned size);
void ProbeThrow();
}

namespace {

const AFX_STRING_RESOURCE kStrings[] = {
    {7, "%u apples"},
    {8, "plain text"},
};
const AFX_RESOURCE_TABLE kTable = {AFX_RESOURCE_TABLE_VERSION, kStrings, 2, nullptr, 0};

HINSTANCE TestResources() {
  static HINSTANCE resources = afx_frontend::CreateResourceModule(&kTable, "test-resources");
  return resources;
}

TEST(CStringFormat, FollowsPrintfRules) {
  CString text;
  text.Format("%s has %u of %u, %05.1f%%", "file.c4d", 3u, 10u, 2.5);
  EXPECT_STREQ(text, "file.c4d has 3 of 10, 002.5%");
  text.Format("%s", std::string(5000, 'x').c_str());
  EXPECT_EQ(text.GetLength(), 5000);
}

TEST(CStringText, LeftMidAndAppendWorkOnBytes) {
  CString name("abcdefghijk");
  EXPECT_EQ(name.Left(8), "abcdefgh");
  EXPECT_EQ(name.Left(40), "abcdefghijk");
  EXPECT_EQ(name.Left(-1), "");
  EXPECT_EQ(name.Mid(9), "jk");
  EXPECT_EQ(name.Mid(20), "");
  name += "\xE4";
  EXPECT_EQ(name.GetLength(), 12);
  EXPECT_EQ(CString(nullptr), "");
}

TEST(CStringLoad, ReadsFromTheCurrentResourceHandleOnly) {
  const HINSTANCE before = AfxGetResourceHandle();
  CString text("unchanged");
  AfxSetResourceHandle(nullptr);
  EXPECT_FALSE(text.LoadString(8));
  EXPECT_EQ(text, "unchanged");

  AfxSetResourceHandle(TestResources());
  EXPECT_TRUE(text.LoadString(8));
  EXPECT_EQ(text, "plain text");
  EXPECT_FALSE(text.LoadString(9));
  EXPECT_EQ(text, "plain text");
  AfxSetResourceHandle(before);
}

TEST(ModuleState, EachSharedObjectHasItsOwn) {
  EXPECT_NE(ProbeStaticState(), AfxGetStaticModuleState());
  EXPECT_NE(ProbeStaticState(), AfxGetAppModuleState());
  EXPECT_EQ(AfxGetModuleState(), AfxGetAppModuleState());
}

TEST(ModuleState, ManageStateSwitchesForTheCallAndRestores) {
  EXPECT_EQ(ProbeCurrentState(), ProbeStaticState());
  EXPECT_EQ(AfxGetModuleState(), AfxGetAppModuleState());
}

TEST(ModuleState, RestoresTheCallersStateWhenAnExceptionLeaves) {
  EXPECT_THROW(ProbeThrow(), std::runtime_error);
  EXPECT_EQ(AfxGetModuleState(), AfxGetAppModuleState());
}

TEST(ModuleState, NestedSwitchesUnwindInOrder) {
  AFX_MODULE_STATE* outer = AfxGetStaticModuleState();
  {
    AFX_MANAGE_STATE(outer);
    EXPECT_EQ(AfxGetModuleState(), outer);
    EXPECT_EQ(ProbeCurrentState(), ProbeStaticState());
    EXPECT_EQ(AfxGetModuleState(), outer);
  }
  EXPECT_EQ(AfxGetModuleState(), AfxGetAppModuleState());
}

TEST(ModuleState, StartsTheModulesApplicationOnceOnFirstEntry) {
  EXPECT_STREQ(ProbeAppName(), "Probe");
  ProbeCurrentState();
  EXPECT_EQ(ProbeInitCount(), 1);
  EXPECT_TRUE(ProbeIsOwnThread());
  EXPECT_EQ(AfxGetAppName(), nullptr) << "the program's own state has no application";
}

TEST(ModuleState, ResourceHandleBelongsToTheModuleNotTheCaller) {
  const HINSTANCE callers = AfxGetResourceHandle();
  ProbeSetResourceHandle(TestResources());
  EXPECT_EQ(AfxGetResourceHandle(), callers);

  char text[64] = "";
  ASSERT_TRUE(ProbeFormat(7, 12, text, sizeof text));
  EXPECT_STREQ(text, "12 apples");
  EXPECT_FALSE(ProbeFormat(99, 1, text, sizeof text));
  ProbeSetResourceHandle(nullptr);
  EXPECT_FALSE(ProbeFormat(7, 1, text, sizeof text));
}

TEST(ResourceModules, LoadingAMissingFileGivesNoHandle) {
  EXPECT_EQ(LoadLibrary("/nonexistent/libNothing.so"), nullptr);
  EXPECT_EQ(LoadLibrary(""), nullptr);
  char name[64];
  EXPECT_EQ(GetModuleFileName(nullptr, name, sizeof name), 0u);
  EXPECT_GT(GetModuleFileName(TestResources(), name, sizeof name), 0u);
  EXPECT_STREQ(name, "test-resources");
}

}  // namespace
