// The exported operations. Each first switches the thread to the module's
// own module state (its resources and application object) and restores the
// caller's when it returns, also when it returns by an exception.
#include "QEL_Server_C4D.h"

#include <afxwin.h>

#include "importer.h"
#include "progress_dlg.h"
#include "qel_ui.h"

namespace {
constexpr const char* kResourceLibrary = "Orbek_QEL_SERVER_C4D";
}  // namespace

void CQEL_Server_C4D::StartImport() {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  // Unchecked: without the library, strings and the dialog are missing and
  // the import still runs.
  AfxGetModuleState()->m_hCurrentResourceHandle = LoadResourceDll(kResourceLibrary);
  // The host opens one session at a time; a stale one is closed first.
  delete CImporter::Instance();
  CImportSession::SetCurrent(new CImporter);
}

void CQEL_Server_C4D::Read(const CString& path, std::vector<CQEL_SmartPtr<CQEL_Object>>& objects) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  CImporter* importer = CImporter::Instance();
  if (!importer) return;
  importer->m_path = path;
  importer->m_pObjects = &objects;
  importer->RunImport();
}

void CQEL_Server_C4D::SetCheckProgress(int position) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (CImporter* importer = CImporter::Instance()) importer->SetCheckProgress(position);
}

bool CQEL_Server_C4D::IsCancelled() {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  CImporter* importer = CImporter::Instance();
  return importer && importer->IsCancelled();
}

void CQEL_Server_C4D::EndImport() {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  CImporter* importer = CImporter::Instance();
  if (!importer) return;
  importer->CloseProgressDialog();
  CImportSession::SetCurrent(nullptr);
  delete importer;
}

CQEL_Server_C4D& CQEL_Server_C4D::operator=(const CQEL_Server_C4D& other) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  (void)other;
  return *this;
}
