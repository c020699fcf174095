// The import session: the counters and flags of one import, the host's
// output vector and the progress dialog, and the import run that reads a
// scene file and converts it in two passes.
#pragma once
#include "import_session.h"

class CProgressDlg;

class CImporter : public CImportSession {
 public:
  CImporter() = default;
  // Destroys the progress dialog if it is still there.
  ~CImporter() override;

  // The open session, or null.
  static CImporter* Instance();

  // Reads the file at m_path into a document, counts what can be converted,
  // asks about very large meshes, converts into m_pObjects and reports what
  // could not be converted. Host exceptions from the passes pass out after
  // the document and the file are destroyed.
  void RunImport();

  void StepProgress() override;
  bool IsCancelled() const override;
  // Moves the bar as the host asks; nothing without a dialog.
  void SetCheckProgress(int position);
  // Hides, pumps and destroys the dialog.
  void CloseProgressDialog();

  CProgressDlg* m_pProgressDlg = nullptr;  // owned; null until Read

 private:
  void OpenProgressDialog();
  void CountingPass(class C4DBaseDocument& document);
  void ConvertingPass(class C4DBaseDocument& document);
  // Asks about meshes above the limit; false when the user answered Cancel.
  bool AskAboutLargeObjects();
  void ReportSummary();
  void ReportUnreadable();
};
