// The modeless dialog that shows the import's progress and offers Cancel.
// The click only records that the user wants to stop; the import and the
// host poll the record. The dialog pumps the thread's messages itself at
// every visible change, since the import runs on the UI thread.
#pragma once
#include <afxcmn.h>
#include <afxwin.h>

class CProgressDlg : public CDialog {
  DECLARE_DYNAMIC(CProgressDlg)

 public:
  enum { IDD = 102, IDC_PROGRESS = 1000 };

  // Creates the window at once from template 102 of the current resource
  // library; the object exists even when that failed.
  CProgressDlg();
  ~CProgressDlg() override;

  // Shows the dialog with the bar's range 0 to 100 and pumps.
  void ShowProgress();
  // Moves the bar to `position` when it stands elsewhere, repaints and pumps.
  void SetProgress(int position);
  // Hides the dialog and pumps, before it is destroyed.
  void HideProgress();
  // Yields, then dispatches every message waiting for the thread.
  void PumpMessages();

  CProgressCtrl m_progress;
  CButton m_cancelButton;
  bool m_bCancelled = false;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  afx_msg void OnCancelClicked();
  DECLARE_MESSAGE_MAP()
};
