// The host's user-interface functions that a module calls: loading a
// resource library, message boxes and the report dialog.
#pragma once
#include <string>

#include <afxwin.h>

#include "qel_export.h"

// Kinds of WarningErrorMsgBox.
enum QEL_MSGBOX_TYPE : int {
  QEL_MSGBOX_ERROR = 0,
  QEL_MSGBOX_WARNING = 1,
  QEL_MSGBOX_INFORMATION = 2,
};

// Loads the resource library of that name (no path, no extension) from where
// the host keeps its libraries. Null when there is none.
QEL_HOST_API HINSTANCE LoadResourceDll(const char* name);

// Shows `text` in a box of kind `type` over `parent` (may be null) until the
// user closes it. `flag` is 0 for a plain box.
QEL_HOST_API void WarningErrorMsgBox(CWnd* parent, int type, const char* text, int flag);

// Asks the question of string resource `stringId` of the current resource
// handle with the buttons of `style` (MB_YESNOCANCEL, ...). Returns the
// button pressed: IDYES, IDNO or IDCANCEL.
QEL_HOST_API int WarningMsgBox(CWnd* parent, UINT stringId, UINT style);

// Makes the resource library of that name the current resource handle for
// its lifetime and restores the previous handle afterwards. The handle stays
// as it is when no such library loads.
class QEL_HOST_API _ResourceHandleHelper {
 public:
  explicit _ResourceHandleHelper(const char* moduleName);
  ~_ResourceHandleHelper();
  _ResourceHandleHelper(const _ResourceHandleHelper&) = delete;
  _ResourceHandleHelper& operator=(const _ResourceHandleHelper&) = delete;

 private:
  HINSTANCE m_previous;
  bool m_switched;
};

// A modal dialog that shows a report (several lines of text) under a title.
class QEL_HOST_API CXMLTreeInfoDlg {
 public:
  CXMLTreeInfoDlg(const char* caption, const char* title, const char* report, CWnd* parent = nullptr);
  // Shows the dialog until the user closes it; returns IDOK.
  INT_PTR DoModal();

 private:
  std::string m_caption;
  std::string m_title;
  std::string m_report;
  CWnd* m_pParent;
};
