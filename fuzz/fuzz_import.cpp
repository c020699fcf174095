// Fuzz target: the whole import, through the module's exported operations
// with the stand-in host, as the host drives it. The scripted UI answers Yes
// to the question about large objects. Some inputs also press Cancel after a
// number of progress steps that the input's last byte gives.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <afx_frontend.h>
#include <afxwin.h>

#include "QEL_Server_C4D.h"
#include "memory_backed_path.h"
#include "qel_Exceptions.h"
#include "standin/host_control.h"
#include "standin/host_ui.h"

constexpr UINT kProgressDialog = 102;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryBackedPath backing;
  const std::string& path = backing.Write(data, size);

  standin::ResetHost();
  const long liveBefore = standin::LiveObjectCount();
  standin::ScriptedUi ui;
  ui.SetDefaultAnswer(IDYES);
  standin::ScopedHostUi installedUi(&ui);

  // Inputs whose length is a multiple of three press Cancel.
  const bool cancel = size > 0 && size % 3 == 0;
  const unsigned cancelAfter = size > 0 ? data[size - 1] % 8 : 0;
  unsigned pumps = 0;
  bool clicked = false;
  afx_frontend::ScopedMessageHook hook([&] {
    if (cancel && !clicked && pumps++ >= cancelAfter) {
      clicked = afx_frontend::PostButtonClick(afx_frontend::FindDialog(kProgressDialog), IDCANCEL);
    }
  });

  {
    std::vector<CQEL_SmartPtr<CQEL_Object>> objects;
    CQEL_Server_C4D::StartImport();
    try {
      CQEL_Server_C4D::Read(CString(path.c_str()), objects);
    } catch (CQEL_AppException* e) {
      // Host exceptions leave Read by design, but this host raises them only
      // when the module misuses it: no input may cause one.
      std::fprintf(stderr, "host exception out of Read: %s\n", e->Message().c_str());
      std::abort();
    }
    CQEL_Server_C4D::SetCheckProgress(75);
    CQEL_Server_C4D::IsCancelled();
    CQEL_Server_C4D::EndImport();
  }
  // Every host object the import made is released with the vector and the
  // host's layer table.
  standin::ResetHost();
  if (standin::LiveObjectCount() != liveBefore) std::abort();
  return 0;
}
