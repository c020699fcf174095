#include "qel_server_app.h"

#include <cstdlib>

COrbek_QEL_Server_C4D_App::COrbek_QEL_Server_C4D_App() : CWinApp(nullptr) {
  std::free(const_cast<char*>(m_pszAppName));
  m_pszAppName = _tcsdup("Tessaro");
}

BOOL COrbek_QEL_Server_C4D_App::InitInstance() {
  CWinApp::InitInstance();
  return TRUE;
}

// The one application object of the module.
COrbek_QEL_Server_C4D_App theApp;
