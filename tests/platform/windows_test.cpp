// Dialogs, controls, the thread's message queue and the window backend.
#include <afx_frontend.h>
#include <afxcmn.h>
#include <afxwin.h>
#include <gtest/gtest.h>

namespace {

using afx_frontend::RecordingWindowBackend;
using afx_frontend::ScopedMessageHook;
using afx_frontend::ScopedWindowBackend;

constexpr UINT kDialogId = 102;
constexpr int kBarId = 1000;

const AFX_DIALOG_CONTROL kControls[] = {
    {kBarId, PROGRESS_CLASS, nullptr},
    {IDCANCEL, BUTTON_CLASS, "Cancel"},
    {IDOK, BUTTON_CLASS, "Unmapped"},
};
const AFX_DIALOG_TEMPLATE kDialogs[] = {{kDialogId, "Working", kControls, 3}};
const AFX_RESOURCE_TABLE kTable = {AFX_RESOURCE_TABLE_VERSION, nullptr, 0, kDialogs, 1};

// A dialog like the import's progress dialog: a bar, and a Cancel button
// whose click is remembered.
class CTestProgressDlg : public CDialog {
  DECLARE_DYNAMIC(CTestProgressDlg)

 public:
  CTestProgressDlg() : CDialog(kDialogId) { Create(kDialogId, nullptr); }

  CProgressCtrl m_progress;
  CButton m_cancelButton;
  int m_clicks = 0;
  int m_initCalls = 0;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, kBarId, m_progress);
    DDX_Control(pDX, IDCANCEL, m_cancelButton);
  }
  BOOL OnInitDialog() override {
    ++m_initCalls;
    return CDialog::OnInitDialog();
  }
  afx_msg void OnCancelClicked() { ++m_clicks; }
  DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNAMIC(CTestProgressDlg, CDialog)
BEGIN_MESSAGE_MAP(CTestProgressDlg, CDialog)
  ON_BN_CLICKED(IDCANCEL, &CTestProgressDlg::OnCancelClicked)
END_MESSAGE_MAP()

class CTestApp : public CWinApp {};

// Pumps as the import's session does: yield, then one message at a time
// while any is waiting.
void PumpMessages(CWinThread& thread) {
  Sleep(0);
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) thread.PumpMessage();
}

class WindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static HINSTANCE resources = afx_frontend::CreateResourceModule(&kTable, "windows-test");
    m_previousResources = AfxGetResourceHandle();
    AfxSetResourceHandle(resources);
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  void TearDown() override { AfxSetResourceHandle(m_previousResources); }

  CTestApp m_app;
  HINSTANCE m_previousResources = nullptr;
};

TEST_F(WindowsTest, DialogIsCreatedHiddenFromItsTemplateWithBoundControls) {
  RecordingWindowBackend backend;
  ScopedWindowBackend installed(&backend);
  CTestProgressDlg dialog;
  ASSERT_NE(dialog.m_hWnd, nullptr);
  EXPECT_EQ(dialog.m_initCalls, 1);
  EXPECT_FALSE(dialog.IsWindowVisible());
  EXPECT_EQ(dialog.m_progress.m_hWnd, GetDlgItem(dialog.m_hWnd, kBarId));
  EXPECT_EQ(dialog.m_cancelButton.GetDlgCtrlID(), IDCANCEL);
  EXPECT_EQ(afx_frontend::FindDialog(kDialogId), dialog.m_hWnd);
  EXPECT_EQ(CWnd::FromHandlePermanent(dialog.m_hWnd), &dialog);
  EXPECT_EQ(backend.Calls(), (std::vector<std::string>{"create dialog:102", "create dialog:102/1000",
                                                       "create dialog:102/2", "create dialog:102/1"}));
  EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CDialog)));
  EXPECT_STREQ(dialog.GetRuntimeClass()->m_lpszClassName, "CTestProgressDlg");
  EXPECT_FALSE(dialog.IsKindOf(RUNTIME_CLASS(CButton)));
}

TEST_F(WindowsTest, MissingTemplateCreatesNoWindow) {
  AfxSetResourceHandle(nullptr);
  CTestProgressDlg dialog;
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_EQ(dialog.m_initCalls, 0);
  EXPECT_EQ(dialog.m_progress.SendMessage(PBM_GETPOS), 0);
  EXPECT_FALSE(dialog.ShowWindow(SW_SHOW));
}

TEST_F(WindowsTest, ProgressBarKeepsRangeAndClampedPosition) {
  RecordingWindowBackend backend;
  ScopedWindowBackend installed(&backend);
  CTestProgressDlg dialog;
  const HWND bar = dialog.m_progress.m_hWnd;
  EXPECT_EQ(SendMessage(bar, PBM_GETPOS), 0);
  SendMessage(bar, PBM_SETRANGE32, 0, 100);
  EXPECT_EQ(SendMessage(bar, PBM_SETPOS, 33), 0) << "returns the previous position";
  EXPECT_EQ(SendMessage(bar, PBM_GETPOS), 33);
  SendMessage(bar, PBM_SETPOS, 150);
  EXPECT_EQ(SendMessage(bar, PBM_GETPOS), 100);
  SendMessage(bar, PBM_SETPOS, static_cast<WPARAM>(-5));
  EXPECT_EQ(dialog.m_progress.GetPos(), 0);
  EXPECT_EQ(backend.CallsStartingWith("range "), std::vector<std::string>{"range dialog:102/1000 0 100"});
  EXPECT_EQ(backend.CallsStartingWith("pos "),
            (std::vector<std::string>{"pos dialog:102/1000 33", "pos dialog:102/1000 100", "pos dialog:102/1000 0"}));
}

TEST_F(WindowsTest, BackendSeesShowUpdateAndDestroyInOrder) {
  RecordingWindowBackend backend;
  ScopedWindowBackend installed(&backend);
  {
    CTestProgressDlg dialog;
    backend.Clear();
    EXPECT_FALSE(dialog.ShowWindow(SW_SHOW)) << "was hidden";
    dialog.UpdateWindow();
    EXPECT_TRUE(dialog.ShowWindow(SW_HIDE)) << "was visible";
  }
  EXPECT_EQ(backend.Calls(),
            (std::vector<std::string>{"show dialog:102 1", "update dialog:102", "show dialog:102 0",
                                      "destroy dialog:102/2", "destroy dialog:102/1000", "destroy dialog:102/1",
                                      "destroy dialog:102"}))
      << "the dialog's control members go first, then the dialog with what is left";
  EXPECT_EQ(afx_frontend::FindDialog(kDialogId), nullptr);
}

TEST_F(WindowsTest, DestroyingTheDialogDetachesItsControls) {
  CTestProgressDlg dialog;
  const HWND bar = dialog.m_progress.m_hWnd;
  EXPECT_TRUE(dialog.DestroyWindow());
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_EQ(dialog.m_progress.m_hWnd, nullptr);
  EXPECT_FALSE(IsWindow(bar));
  EXPECT_FALSE(dialog.DestroyWindow());
}

TEST_F(WindowsTest, PostedClickReachesTheMessageMapOnlyWhenPumped) {
  CTestProgressDlg dialog;
  ASSERT_TRUE(afx_frontend::PostButtonClick(dialog.m_hWnd, IDCANCEL));
  EXPECT_EQ(dialog.m_clicks, 0);
  EXPECT_EQ(afx_frontend::PendingMessageCount(), 1u);
  PumpMessages(m_app);
  EXPECT_EQ(dialog.m_clicks, 1);
  EXPECT_EQ(afx_frontend::PendingMessageCount(), 0u);

  afx_frontend::PostButtonClick(dialog.m_hWnd, IDCANCEL);
  afx_frontend::PostButtonClick(dialog.m_hWnd, IDCANCEL);
  PumpMessages(m_app);
  EXPECT_EQ(dialog.m_clicks, 3);
  EXPECT_TRUE(IsWindow(dialog.m_hWnd)) << "a click neither closes nor destroys the dialog";
}

TEST_F(WindowsTest, ClickOnAnUnmappedButtonOrNoButtonDoesNothing) {
  CTestProgressDlg dialog;
  EXPECT_TRUE(afx_frontend::PostButtonClick(dialog.m_hWnd, IDOK));
  EXPECT_FALSE(afx_frontend::PostButtonClick(dialog.m_hWnd, kBarId)) << "the bar is no button";
  EXPECT_FALSE(afx_frontend::PostButtonClick(dialog.m_hWnd, 4711));
  PumpMessages(m_app);
  EXPECT_EQ(dialog.m_clicks, 0);
}

TEST_F(WindowsTest, PeekWithoutRemovingLeavesTheMessage) {
  CTestProgressDlg dialog;
  PostMessage(dialog.m_hWnd, WM_USER, 1, 2);
  MSG msg{};
  EXPECT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  EXPECT_EQ(afx_frontend::PendingMessageCount(), 1u);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE)) << "outside the filter";
  EXPECT_TRUE(PeekMessage(&msg, dialog.m_hWnd, 0, 0, PM_REMOVE));
  EXPECT_EQ(afx_frontend::PendingMessageCount(), 0u);
}

TEST_F(WindowsTest, PumpingAnEmptyQueueYieldsOnceAndDispatchesNothing) {
  const afx_frontend::PumpCounters before = afx_frontend::GetPumpCounters();
  PumpMessages(m_app);
  const afx_frontend::PumpCounters after = afx_frontend::GetPumpCounters();
  EXPECT_EQ(after.sleeps - before.sleeps, 1u);
  EXPECT_EQ(after.peeks - before.peeks, 1u);
  EXPECT_EQ(after.dispatched, before.dispatched);
  EXPECT_TRUE(m_app.PumpMessage()) << "never waits on an empty queue";
}

TEST_F(WindowsTest, QuitMessageEndsPumping) {
  PostQuitMessage(3);
  EXPECT_FALSE(m_app.PumpMessage());
  EXPECT_EQ(m_app.m_msgCur.wParam, 3u);
}

TEST_F(WindowsTest, MessagesForADestroyedWindowAreDropped) {
  auto* dialog = new CTestProgressDlg;
  afx_frontend::PostButtonClick(dialog->m_hWnd, IDCANCEL);
  delete dialog;
  const auto before = afx_frontend::GetPumpCounters().dispatched;
  PumpMessages(m_app);
  EXPECT_EQ(afx_frontend::GetPumpCounters().dispatched, before);
  EXPECT_EQ(afx_frontend::PendingMessageCount(), 0u);
}

TEST_F(WindowsTest, MessageHookCanPostAClickWhileTheQueueIsWatched) {
  CTestProgressDlg dialog;
  int peeksSeen = 0;
  ScopedMessageHook hook([&] {
    if (++peeksSeen == 3) afx_frontend::PostButtonClick(afx_frontend::FindDialog(kDialogId), IDCANCEL);
  });
  PumpMessages(m_app);
  PumpMessages(m_app);
  EXPECT_EQ(dialog.m_clicks, 0);
  PumpMessages(m_app);
  EXPECT_EQ(dialog.m_clicks, 1) << "the third look posts the click, the pump dispatches it";
}

TEST_F(WindowsTest, MessageHookDoesNotRunInsideItself) {
  int runs = 0;
  ScopedMessageHook hook([&] {
    ++runs;
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
  });
  MSG msg;
  PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_EQ(runs, 1);
}

TEST_F(WindowsTest, SendMessageToNoWindowReturnsZero) {
  EXPECT_EQ(SendMessage(nullptr, PBM_GETPOS), 0);
  EXPECT_FALSE(PostMessage(reinterpret_cast<HWND>(0x7), WM_USER, 0, 0));
  EXPECT_FALSE(ShowWindow(nullptr, SW_SHOW));
  EXPECT_FALSE(UpdateWindow(nullptr));
}

}  // namespace
