// The module's application object: a regular library built on the window
// framework has one of its own, whose name the module's windows and the
// layer error report show.
#pragma once
#include <afxwin.h>

class COrbek_QEL_Server_C4D_App : public CWinApp {
 public:
  COrbek_QEL_Server_C4D_App();
  BOOL InitInstance() override;
};
