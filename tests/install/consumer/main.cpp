// Imports a scene file through the installed module as the host does and
// prints how many objects and layer leaves it made.
#include <cstdio>
#include <vector>

#include <QEL_Server_C4D.h>
#include <qel_host.h>
#include <standin/host_control.h>
#include <standin/host_ui.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: consumer FILE.c4d\n");
    return 2;
  }
  standin::ScriptedUi ui;
  standin::ScopedHostUi installed(&ui);
  std::vector<CQEL_SmartPtr<CQEL_Object>> objects;
  CQEL_Server_C4D::StartImport();
  CQEL_Server_C4D::Read(CString(argv[1]), objects);
  CQEL_Server_C4D::EndImport();
  std::printf("%zu objects, %zu layers\n", objects.size(), standin::ListLayerLeaves().size());
  return objects.empty() ? 1 : 0;
}
