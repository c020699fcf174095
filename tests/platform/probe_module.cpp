// A small library built on the framework, as the import module is: its own
// application object and module state, entered by AFX_MANAGE_STATE in every
// exported function. The platform tests load it to check what a module sees.
#include <stdexcept>

#include <afxwin.h>

#define PROBE_EXPORT AFX_EXPORT_C

namespace {

int g_initCount = 0;

class CProbeApp : public CWinApp {
 public:
  CProbeApp() {
    std::free(const_cast<char*>(m_pszAppName));
    m_pszAppName = _tcsdup("Probe");
  }
  BOOL InitInstance() override {
    CWinApp::InitInstance();
    ++g_initCount;
    return TRUE;
  }
};

CProbeApp theApp;

}  // namespace

PROBE_EXPORT AFX_MODULE_STATE* ProbeStaticState() { return AfxGetStaticModuleState(); }

PROBE_EXPORT int ProbeInitCount() { return g_initCount; }

PROBE_EXPORT const char* ProbeAppName() {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  return AfxGetAppName();
}

PROBE_EXPORT AFX_MODULE_STATE* ProbeCurrentState() {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  return AfxGetModuleState();
}

PROBE_EXPORT bool ProbeIsOwnThread() {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  return AfxGetThread() == &theApp && AfxGetApp() == &theApp && AfxGetThread()->GetMainWnd() == nullptr;
}

PROBE_EXPORT void ProbeSetResourceHandle(HINSTANCE resources) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  AfxSetResourceHandle(resources);
}

// Formats string resource `id` with one number; "" when the string is missing.
PROBE_EXPORT bool ProbeFormat(UINT id, unsigned value, char* out, unsigned size) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  CString format;
  if (!format.LoadString(id)) return false;
  CString text;
  text.Format(format, value);
  std::snprintf(out, size, "%s", text.GetString());
  return true;
}

PROBE_EXPORT void ProbeThrow() {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  throw std::runtime_error("thrown inside the module");
}
