// The import module's interface to the host: the static operations of one
// exported class. The host calls StartImport, then Read with the path and
// its vector of objects, any number of SetCheckProgress and IsCancelled, and
// EndImport.
#pragma once
#include <vector>

#include <afxstr.h>

#include "qel_Objects.h"

#if defined(_WIN32)
#  if defined(QEL_SERVER_C4D_BUILD)
#    define QEL_SERVER_C4D_API __declspec(dllexport)
#  else
#    define QEL_SERVER_C4D_API __declspec(dllimport)
#  endif
#else
#  define QEL_SERVER_C4D_API __attribute__((visibility("default")))
#endif

class QEL_SERVER_C4D_API CQEL_Server_C4D {
 public:
  // Loads the module's resource library and opens an import session.
  static void StartImport();
  // Imports the scene file at `path`, appending every converted object to
  // `objects` (nothing is removed). The progress dialog appears at the start
  // and stays until EndImport. A file that cannot be read and objects that
  // could not be converted are reported to the user by message boxes; an
  // exception raised by the host while objects are converted passes out.
  static void Read(const CString& path, std::vector<CQEL_SmartPtr<CQEL_Object>>& objects);
  // Moves the progress bar (0 to 100; the import fills 0 to 50) when
  // `position` differs from where it stands.
  static void SetCheckProgress(int position);
  // Whether the user pressed the progress dialog's Cancel button.
  static bool IsCancelled();
  // Closes the progress dialog and the session.
  static void EndImport();

  // Copies nothing: the class has no state.
  CQEL_Server_C4D& operator=(const CQEL_Server_C4D& other);
};
