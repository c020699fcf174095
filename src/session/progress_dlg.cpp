#include "progress_dlg.h"

IMPLEMENT_DYNAMIC(CProgressDlg, CDialog)

BEGIN_MESSAGE_MAP(CProgressDlg, CDialog)
  ON_BN_CLICKED(IDCANCEL, &CProgressDlg::OnCancelClicked)
END_MESSAGE_MAP()

CProgressDlg::CProgressDlg() : CDialog(IDD, nullptr) { Create(IDD, nullptr); }

CProgressDlg::~CProgressDlg() = default;

void CProgressDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_PROGRESS, m_progress);
  DDX_Control(pDX, IDCANCEL, m_cancelButton);
}

BOOL CProgressDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  return TRUE;
}

// The click neither closes nor hides the dialog.
void CProgressDlg::OnCancelClicked() { m_bCancelled = true; }

void CProgressDlg::ShowProgress() {
  ShowWindow(SW_SHOW);
  UpdateWindow();
  m_progress.SendMessage(PBM_SETRANGE32, 0, 100);
  UpdateWindow();
  PumpMessages();
}

void CProgressDlg::SetProgress(int position) {
  if (static_cast<int>(m_progress.SendMessage(PBM_GETPOS)) == position) return;
  m_progress.SendMessage(PBM_SETPOS, static_cast<WPARAM>(position));
  UpdateWindow();
  PumpMessages();
}

void CProgressDlg::HideProgress() {
  ShowWindow(SW_HIDE);
  PumpMessages();
}

void CProgressDlg::PumpMessages() {
  Sleep(0);
  CWinThread* app = AfxGetApp();
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (!app) break;  // no application object to pump with
    app->PumpMessage();
  }
}
