// Damaged scenes imported through the module's exported operations with the
// stand-in host, as the host drives them: cut, with bytes changed, with the
// N-th allocation of the reader failing for every N, cancelled at every
// progress step, and every input that once broke the import. Each import
// must end cleanly: the file reported as unreadable, or host objects and the
// summary, every host object released afterwards, no host error and no crash
// (the sanitizer build also checks for leaks).
#include "hardening_util.h"
#include "import_fixture.h"

// The module's own allocator (module_alloc_hooks.cpp).
extern "C" void ModuleAllocFailAt(uint64_t n);
extern "C" uint64_t ModuleAllocCount();
extern "C" uint64_t ModuleAllocInjectedFailures();

namespace {

struct ImportOutcome {
  bool unreadable = false;  // the file was reported as unreadable
  size_t objects = 0;
  size_t boxes = 0;   // every box: errors, questions, reports
  size_t errors = 0;  // error boxes: unreadable file, summary
  bool cancelled = false;
  std::string hostError;
};

std::ostream& operator<<(std::ostream& out, const ImportOutcome& r) {
  return out << (r.unreadable ? "unreadable, " : "read, ") << r.objects << " objects, " << r.boxes << " boxes"
             << (r.hostError.empty() ? "" : ", host error " + r.hostError);
}

// The scripted UI answers Yes to the question about large objects.
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
    for (const std::string& text : ErrorTexts()) run.unreadable |= text.find("could not be read") != std::string::npos;
    run.boxes = m_ui.Boxes().size();
    run.errors = ErrorTexts().size();
    standin::ResetHost();
    EXPECT_EQ(standin::LiveObjectCount(), liveBefore) << "host objects left behind";
    return run;
  }
};

constexpr size_t kCutBudget = 2000;
constexpr size_t kByteBudget = 500;

class ImportDamage : public DamagedImport, public testing::WithParamInterface<NamedScene> {
 protected:
  const std::vector<uint8_t>& Whole() const { return GetParam().bytes; }
};

TEST_P(ImportDamage, EveryCutIsReportedAsUnreadable) {
  const ImportOutcome whole = ImportBytes(Whole());
  ASSERT_FALSE(whole.unreadable);
  ASSERT_GT(whole.objects, 0u);
  for (size_t length : Positions(Whole().size(), kCutBudget / kSanitizerSlowdown)) {
    const ImportOutcome r = ImportBytes(std::vector<uint8_t>(Whole().begin(), Whole().begin() + long(length)));
    ASSERT_TRUE(r.unreadable && r.objects == 0 && r.boxes == 1 && r.hostError.empty()) << "cut at " << length << ": " << r;
  }
}

TEST_P(ImportDamage, EveryChangedByteEndsUnreadableOrImported) {
  for (size_t at : Positions(Whole().size(), kByteBudget / kSanitizerSlowdown)) {
    for (uint8_t value : ByteDamages(Whole()[at])) {
      std::vector<uint8_t> bytes = Whole();
      bytes[at] = value;
      const ImportOutcome r = ImportBytes(bytes);
      ASSERT_TRUE(r.hostError.empty() && (!r.unreadable || r.objects == 0)) << "byte " << at << " = " << int(value) << ": " << r;
    }
  }
}

TEST_P(ImportDamage, EveryFailedAllocationEndsUnreadableOrWithEveryObject) {
  const ImportOutcome whole = ImportBytes(Whole());
  const uint64_t before = ModuleAllocCount();
  ImportBytes(Whole());
  const uint64_t allocations = ModuleAllocCount() - before;
  ASSERT_GT(allocations, 10u);
  for (uint64_t n = 1; n <= allocations; ++n) {
    const uint64_t injected = ModuleAllocInjectedFailures();
    ModuleAllocFailAt(n);
    const ImportOutcome r = ImportBytes(Whole());
    ModuleAllocFailAt(0);
    ASSERT_EQ(ModuleAllocInjectedFailures(), injected + 1) << "allocation " << n << " was not reached";
    ASSERT_TRUE(r.hostError.empty() && ((r.unreadable && r.objects == 0) || (!r.unreadable && r.objects == whole.objects)))
        << "allocation " << n << ": " << r << " instead of " << whole;
  }
}

TEST_P(ImportDamage, CancelAtEveryProgressStepEndsWithWhatWasConverted) {
  const ImportOutcome whole = ImportBytes(Whole());
  const afx_frontend::PumpCounters start = afx_frontend::GetPumpCounters();
  ImportBytes(Whole());
  const uint64_t peeks = afx_frontend::GetPumpCounters().peeks - start.peeks;
  ASSERT_GT(peeks, 0u);
  for (uint64_t k = 0; k <= peeks; ++k) {
    uint64_t seen = 0;
    bool clicked = false;
    afx_frontend::ScopedMessageHook hook([&] {
      if (!clicked && seen++ >= k) {
        clicked = afx_frontend::PostButtonClick(afx_frontend::FindDialog(kProgressDialog), IDCANCEL);
      }
    });
    const ImportOutcome r = ImportBytes(Whole());
    // A cancelled import shows no summary.
    ASSERT_TRUE(r.hostError.empty() && !r.unreadable && r.objects <= whole.objects && (!r.cancelled || r.errors == 0))
        << "cancelled at " << k << ": " << r;
  }
}

INSTANTIATE_TEST_SUITE_P(Scenes, ImportDamage, testing::ValuesIn(ScenesToDamage()), SceneName);

using Regressions = DamagedImport;

TEST_F(Regressions, EveryKeptInputImportsCleanly) {
  for (const NamedScene& input : RegressionInputs()) {
    const ImportOutcome r = ImportBytes(input.bytes);
    EXPECT_TRUE(r.hostError.empty() && (!r.unreadable || r.objects == 0)) << input.name << ": " << r;
  }
}

}  // namespace
