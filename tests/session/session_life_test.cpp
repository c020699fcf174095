// The exported operations: session life, the progress dialog between Read
// and EndImport, the module state around every call, host exceptions
// leaving Read, and the module's dynamic symbol table.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "import_fixture.h"

namespace {

using afx_frontend::FindDialog;

// Records, for every error box, whether the progress dialog was showing.
class DialogWatchingUi : public standin::ScriptedUi {
 public:
  void ShowError(const standin::BoxRecord& box) override {
    const HWND dialog = FindDialog(kProgressDialog);
    dialogShown.push_back(dialog && IsWindowVisible(dialog));
    ScriptedUi::ShowError(box);
  }
  std::vector<bool> dialogShown;
};

using SessionLife = ImportTest;

TEST_F(SessionLife, UnreadableFileIsReportedWhileTheDialogShowsAndLeavesTheVectorAlone) {
  CQEL_Server_C4D::StartImport();
  EXPECT_FALSE(CQEL_Server_C4D::IsCancelled());
  const auto sleepsBefore = afx_frontend::GetPumpCounters().sleeps;
  CQEL_Server_C4D::SetCheckProgress(40);
  EXPECT_TRUE(m_windows.Calls().empty()) << "before Read there is no dialog to move";
  EXPECT_EQ(afx_frontend::GetPumpCounters().sleeps, sleepsBefore);

  DialogWatchingUi ui;
  standin::ScopedHostUi installed(&ui);
  const std::string old = WriteFile({'X', 'C', '4', 'D', 'C', '4', 'D', '5', 0, 0}, "old.c4d");
  HostObjects objects{CQEL_SmartPtr<CQEL_Object>(CQEL_GeoPoint3D::CreateObj(1, 2, 3))};
  const CQEL_Object* first = objects[0].Get();
  CQEL_Server_C4D::Read(CString(old), objects);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.Boxes()[0].type, QEL_MSGBOX_ERROR);
  EXPECT_EQ(ui.Boxes()[0].text, "The file " + old + " could not be read as a Cinema 4D scene.");
  EXPECT_EQ(ui.Boxes()[0].flag, 0);
  EXPECT_EQ(ui.dialogShown, std::vector<bool>{true});
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0].Get(), first);
  EXPECT_EQ(m_windows.Calls(), (std::vector<std::string>{"create dialog:102", "create dialog:102/1000",
                                                         "create dialog:102/2", "show dialog:102 1",
                                                         "update dialog:102", "range dialog:102/1000 0 100",
                                                         "update dialog:102"}));
  m_windows.Clear();
  CQEL_Server_C4D::EndImport();
  ASSERT_FALSE(m_windows.Calls().empty());
  EXPECT_EQ(m_windows.Calls().front(), "show dialog:102 0");
  EXPECT_EQ(FindDialog(kProgressDialog), nullptr);
}

TEST_F(SessionLife, ProgressAndCancelActOnTheDialogUntilEndImport) {
  HostObjects objects{CQEL_SmartPtr<CQEL_Object>(CQEL_GeoPoint3D::CreateObj(1, 2, 3))};
  CQEL_Server_C4D::StartImport();
  CQEL_Server_C4D::Read(CString(WriteScene(SceneOf({Triangle("A")}))), objects);
  ASSERT_EQ(objects.size(), 2u) << "appended behind what the vector held";
  EXPECT_NE(dynamic_cast<CQEL_GeoPoint3D*>(objects[0].Get()), nullptr);

  m_windows.Clear();
  auto sleeps = afx_frontend::GetPumpCounters().sleeps;
  CQEL_Server_C4D::SetCheckProgress(70);
  EXPECT_EQ(m_windows.Calls(), (std::vector<std::string>{"pos dialog:102/1000 70", "update dialog:102"}));
  EXPECT_EQ(afx_frontend::GetPumpCounters().sleeps, sleeps + 1) << "a change pumps the messages";
  m_windows.Clear();
  sleeps = afx_frontend::GetPumpCounters().sleeps;
  CQEL_Server_C4D::SetCheckProgress(70);
  EXPECT_TRUE(m_windows.Calls().empty());
  EXPECT_EQ(afx_frontend::GetPumpCounters().sleeps, sleeps) << "no change, no pump";

  const HWND dialog = FindDialog(kProgressDialog);
  ASSERT_TRUE(afx_frontend::PostButtonClick(dialog, IDCANCEL));
  EXPECT_FALSE(CQEL_Server_C4D::IsCancelled()) << "the click waits in the queue until the module pumps";
  CQEL_Server_C4D::SetCheckProgress(60);
  EXPECT_TRUE(CQEL_Server_C4D::IsCancelled());
  afx_frontend::PostButtonClick(dialog, IDCANCEL);
  CQEL_Server_C4D::SetCheckProgress(61);
  EXPECT_TRUE(CQEL_Server_C4D::IsCancelled());
  EXPECT_TRUE(IsWindowVisible(dialog)) << "Cancel neither closes nor hides the dialog";
  CQEL_Server_C4D::EndImport();
  EXPECT_FALSE(CQEL_Server_C4D::IsCancelled()) << "no session, no dialog";
}

TEST_F(SessionLife, EveryCallRunsInTheModulesStateAndRestoresTheCallers) {
  const HINSTANCE callersResources = AfxGetResourceHandle();
  AFX_MODULE_STATE* callersState = AfxGetModuleState();
  Import(SceneOf({Triangle("A"), ObjectSpec::Polygon("Points only", {{0, 0, 0}}, {})}));
  EXPECT_EQ(AfxGetResourceHandle(), callersResources);
  EXPECT_EQ(AfxGetModuleState(), callersState);
  ASSERT_EQ(m_ui.Boxes().size(), 1u);
  EXPECT_EQ(m_ui.Boxes()[0].resourceModule, "Orbek_QEL_SERVER_C4D") << "shown with the module's resources";
  EXPECT_FALSE(m_ui.Boxes()[0].hasParent) << "the module's thread has no main window";
}

// The ELF symbol table; a Windows build checks its DLL's export table
// instead (tests/windows).
#if !defined(_WIN32)
TEST(ModuleSymbols, TheModuleExportsTheSixOperationsAndNothingElse) {
  const std::string command = "nm -D --defined-only -C '" + std::string(QEL_MODULE_PATH) + "' | cut -d' ' -f3-";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  ASSERT_TRUE(pipe);
  std::vector<std::string> names;
  for (char line[4096]; fgets(line, sizeof line, pipe.get());) names.emplace_back(line, strcspn(line, "\n"));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{
                       "CQEL_Server_C4D::EndImport()", "CQEL_Server_C4D::IsCancelled()",
                       "CQEL_Server_C4D::Read(CString const&, std::vector<CQEL_SmartPtr<CQEL_Object>, "
                       "std::allocator<CQEL_SmartPtr<CQEL_Object> > >&)",
                       "CQEL_Server_C4D::SetCheckProgress(int)", "CQEL_Server_C4D::StartImport()",
                       "CQEL_Server_C4D::operator=(CQEL_Server_C4D const&)"}));
}
#endif

}  // namespace
