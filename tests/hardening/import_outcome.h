// One import of scene bytes through the module's exported operations with
// the stand-in host, and what came of it. The scripted UI answers Yes to the
// question about large objects.
#pragma once
#include <string>
#include <vector>

#include "import_fixture.h"

struct ImportOutcome {
  bool unreadable = false;  // the file was reported as unreadable
  size_t objects = 0;
  size_t boxes = 0;   // every box: errors, questions, reports
  size_t errors = 0;  // error boxes: unreadable file, summary
  bool cancelled = false;
  std::string hostError;
};

class DamagedImport : public ImportTest {
 protected:
  void SetUp() override {
    ImportTest::SetUp();
    m_ui.SetDefaultAnswer(IDYES);
  }

  // One session around one Read of `bytes`; the host's objects are released
  // and the host reset before it returns, and every host object must be gone.
  ImportOutcome ImportBytes(const std::vector<uint8_t>& bytes) {
    const std::string path = WriteFile(bytes);
    standin::ResetHost();
    m_ui.Clear();
    const long liveBefore = standin::LiveObjectCount();
    ImportOutcome run;
    {
      HostObjects objects;
      CQEL_Server_C4D::StartImport();
      try {
        CQEL_Server_C4D::Read(CString(path.c_str()), objects);
      } catch (CQEL_AppException* e) {
        run.hostError = e->Message();
        delete e;
      }
      run.cancelled = CQEL_Server_C4D::IsCancelled();
      CQEL_Server_C4D::EndImport();
      run.objects = objects.size();
    }
    for (const std::string& text : ErrorTexts()) {
      if (text.find("could not be read") != std::string::npos) run.unreadable = true;
    }
    run.boxes = m_ui.Boxes().size();
    run.errors = ErrorTexts().size();
    standin::ResetHost();
    EXPECT_EQ(standin::LiveObjectCount(), liveBefore) << "host objects left behind";
    return run;
  }
};

inline std::string Describe(const ImportOutcome& r) {
  return (r.unreadable ? "unreadable, " : "read, ") + std::to_string(r.objects) + " objects, " +
         std::to_string(r.boxes) + " boxes" + (r.hostError.empty() ? "" : ", host error " + r.hostError);
}

