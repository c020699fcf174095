// The framework's window, dialog, thread and application classes.
#include <cstdlib>

#include "afx_internal.h"
#include "afxcmn.h"

using afx_internal::FindWindow;
using afx_internal::Window;

// ---- CCmdTarget -----------------------------------------------------------

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY noEntries[] = {{0, 0, 0, nullptr}};
  static const AFX_MSGMAP messageMap = {nullptr, &noEntries[0]};
  return &messageMap;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::OnCmdMsg(UINT id, int code) {
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry && entry->nMessage != 0; ++entry) {
      if (entry->nMessage == WM_COMMAND && entry->nID == id && entry->nCode == static_cast<UINT>(code)) {
        (this->*(entry->pfn))();
        return TRUE;
      }
    }
  }
  return FALSE;
}

// ---- CWnd -----------------------------------------------------------------

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

CWnd::~CWnd() {
  if (m_hWnd) ::DestroyWindow(m_hWnd);
}

BOOL CWnd::ShowWindow(int cmdShow) { return ::ShowWindow(m_hWnd, cmdShow); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessage(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!m_hWnd) return FALSE;
  return ::PostMessage(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  Window* window = FindWindow(hwnd);
  if (!window || window->owner || m_hWnd) return FALSE;
  window->owner = this;
  m_hWnd = hwnd;
  return TRUE;
}

HWND CWnd::UnsubclassWindow() {
  const HWND hwnd = m_hWnd;
  if (Window* window = FindWindow(hwnd); window && window->owner == this) window->owner = nullptr;
  m_hWnd = nullptr;
  return hwnd;
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  const Window* window = FindWindow(hwnd);
  return window ? window->owner : nullptr;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && OnCommand(wParam, lParam)) return 0;
  return ::DefWindowProc(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) { return OnCmdMsg(LOWORD(wParam), HIWORD(wParam)); }

// ---- Dialogs and controls -------------------------------------------------

void DDX_Control(CDataExchange* pDX, int controlId, CWnd& control) {
  if (!pDX || !pDX->m_pDlgWnd || control.m_hWnd) return;
  control.SubclassWindow(GetDlgItem(pDX->m_pDlgWnd->m_hWnd, controlId));
}

IMPLEMENT_DYNAMIC(CDialog, CWnd)

CDialog::~CDialog() {
  if (m_hWnd) ::DestroyWindow(m_hWnd);
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  m_nIDTemplate = templateId;
  m_pParentWnd = parent;
  if (m_hWnd) return FALSE;
  const AFX_DIALOG_TEMPLATE* dialogTemplate = afx_internal::FindDialogTemplate(AfxGetResourceHandle(), templateId);
  if (!dialogTemplate) return FALSE;
  const HWND dialog = afx_internal::CreateWindowRecord(parent ? parent->m_hWnd : nullptr,
                                                       afx_frontend::WindowKind::Dialog,
                                                       static_cast<int>(templateId),
                                                       dialogTemplate->caption ? dialogTemplate->caption : "");
  if (!dialog) return FALSE;
  SubclassWindow(dialog);
  for (unsigned i = 0; dialogTemplate->controls && i < dialogTemplate->controlCount; ++i) {
    const AFX_DIALOG_CONTROL& control = dialogTemplate->controls[i];
    const HWND child = afx_internal::CreateWindowRecord(dialog, afx_internal::KindOfControlClass(control.windowClass),
                                                        static_cast<int>(control.id), control.text ? control.text : "");
    // Child controls are shown with their dialog; only the dialog's own
    // visibility changes afterwards.
    if (Window* window = FindWindow(child)) window->visible = true;
  }
  OnInitDialog();  // the dialog's WM_INITDIALOG
  return TRUE;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange exchange(this, saveAndValidate);
  DoDataExchange(&exchange);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)

// ---- Threads and the application ------------------------------------------

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

CWnd* CWinThread::GetMainWnd() { return m_pMainWnd; }
BOOL CWinThread::InitInstance() { return FALSE; }
int CWinThread::ExitInstance() { return 0; }
BOOL CWinThread::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWinThread::PumpMessage() {
  const BOOL got = ::GetMessage(&m_msgCur, nullptr, 0, 0);
  if (got == -1) return TRUE;  // nothing waiting
  if (!got) return FALSE;      // WM_QUIT
  if (!PreTranslateMessage(&m_msgCur)) {
    ::TranslateMessage(&m_msgCur);
    ::DispatchMessage(&m_msgCur);
  }
  return TRUE;
}

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

CWinApp::CWinApp(AFX_MODULE_STATE* moduleState, const char* appName)
    : m_pszAppName(appName ? _tcsdup(appName) : nullptr), m_pModuleState(moduleState) {
  if (m_pModuleState) {
    m_pModuleState->m_pCurrentWinApp = this;
    m_pModuleState->m_pCurrentWinThread = this;
  }
}

CWinApp::~CWinApp() {
  if (m_pModuleState) {
    if (m_pModuleState->m_pCurrentWinApp == this) m_pModuleState->m_pCurrentWinApp = nullptr;
    if (m_pModuleState->m_pCurrentWinThread == this) m_pModuleState->m_pCurrentWinThread = nullptr;
    if (m_pModuleState->m_lpszCurrentAppName == m_pszAppName) m_pModuleState->m_lpszCurrentAppName = nullptr;
  }
  std::free(const_cast<char*>(m_pszAppName));
}

BOOL CWinApp::InitInstance() { return TRUE; }
