#include "importer.h"

#include <string>

#include <afxwin.h>

#include "alien_impl.h"
#include "c4d_document.h"
#include "float_bytes.h"
#include "float_exception_mask.h"
#include "ge_chunk_file.h"
#include "progress_dlg.h"
#include "qel_ui.h"

namespace {

// String resources of the module's resource library.
enum : UINT {
  IDS_FILE_UNREADABLE = 103,  // format: the path
  IDS_NOTHING_CONVERTED = 104,
  IDS_NOT_ALL_CONVERTED = 105,  // format: not converted, counted
  IDS_CONVERT_LARGE = 106,      // Yes/No/Cancel
};

// The share of the bar that the converting pass fills.
constexpr double kConversionShare = 50.0;

// Message boxes belong to the main window of the current thread, if any.
CWnd* MessageBoxParent() {
  CWinThread* thread = AfxGetThread();
  return thread ? thread->GetMainWnd() : nullptr;
}

CString LoadText(UINT id) {
  CString text;
  text.LoadString(id);
  return text;
}

}  // namespace

CImporter::~CImporter() { delete m_pProgressDlg; }

CImporter* CImporter::Instance() { return static_cast<CImporter*>(CImportSession::Current()); }

bool CImporter::IsCancelled() const { return m_pProgressDlg && m_pProgressDlg->m_bCancelled; }

void CImporter::StepProgress() {
  ++m_convertedCount;
  if (!m_pProgressDlg) return;
  // Nothing counted (caches of a damaged file can convert what the counting
  // pass did not see) stands for the share's end instead of a division by 0.
  const double share = m_totalCount == 0 ? kConversionShare
                                         : static_cast<double>(m_convertedCount) /
                                               static_cast<double>(m_totalCount) * kConversionShare;
  m_pProgressDlg->SetProgress(TruncToInt32(share));
}

void CImporter::SetCheckProgress(int position) {
  if (m_pProgressDlg) m_pProgressDlg->SetProgress(position);
}

void CImporter::OpenProgressDialog() {
  // A second Read in one session replaces the dialog of the first.
  delete m_pProgressDlg;
  m_pProgressDlg = nullptr;
  m_pProgressDlg = new CProgressDlg;
  m_pProgressDlg->ShowProgress();
}

void CImporter::CloseProgressDialog() {
  if (!m_pProgressDlg) return;
  m_pProgressDlg->HideProgress();
  delete m_pProgressDlg;
  m_pProgressDlg = nullptr;
}

void CImporter::RunImport() {
  // Destroyed in reverse order, also when a host exception passes: the file
  // first, then the document with every node, then the hooks.
  AlienSceneFactory factory;
  C4DBaseDocument document(&factory);
  GeChunkFile file;
  OpenProgressDialog();  // before the file is opened: also shown for an unreadable file

  const std::string path = m_path.Str();
  bool readable = false;
  {
    // Times, container entries and their conversions meet whatever numbers
    // the file holds; the read calls nothing of the host's.
    FloatExceptionMask mask;
    readable = file.Open(path.c_str()) && document.Load(file);
  }
  if (!readable) {
    ReportUnreadable();
    return;
  }
  file.Close();

  CountingPass(document);
  if (AskAboutLargeObjects()) ConvertingPass(document);
  if (!IsCancelled()) ReportSummary();
}

void CImporter::CountingPass(C4DBaseDocument& document) {
  m_countingPass = true;
  m_convertedCount = 0;
  document.ExecuteAll();
  m_countingPass = false;
  m_convertedCount = 0;
}

bool CImporter::AskAboutLargeObjects() {
  if (m_maxPolygonCount <= LargeObjectLimit) return true;
  const int answer = WarningMsgBox(MessageBoxParent(), IDS_CONVERT_LARGE, MB_YESNOCANCEL);
  m_convertLarge = answer == IDYES;
  return answer != IDCANCEL;
}

void CImporter::ConvertingPass(C4DBaseDocument& document) { document.ExecuteAll(); }

void CImporter::ReportSummary() {
  if (m_convertedCount < m_totalCount) {
    CString text;
    text.Format(LoadText(IDS_NOT_ALL_CONVERTED), m_totalCount - m_convertedCount, m_totalCount);
    WarningErrorMsgBox(MessageBoxParent(), QEL_MSGBOX_INFORMATION, text, 0);
  }
  if (m_convertedCount == 0) {
    WarningErrorMsgBox(MessageBoxParent(), QEL_MSGBOX_INFORMATION, LoadText(IDS_NOTHING_CONVERTED), 0);
  }
}

void CImporter::ReportUnreadable() {
  CString text;
  text.Format(LoadText(IDS_FILE_UNREADABLE), m_path.GetString());
  WarningErrorMsgBox(MessageBoxParent(), QEL_MSGBOX_ERROR, text, 0);
}
