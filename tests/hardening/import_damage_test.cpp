// Damaged scenes imported through the module's exported operations with the
// stand-in host, as the host drives them: cut, with bytes changed, with the
// N-th allocation of the reader failing for every N, and cancelled at every
// progress step. Each import must end cleanly: the file reported as
// unreadable, or host objects and the summary, every host object released
// afterwards, and no crash (the sanitizer build also checks for leaks).
#include <gtest/gtest.h>

#include "hardening_util.h"
#include "import_outcome.h"

// The module's own allocator (module_alloc_hooks.cpp).
extern "C" void ModuleAllocFailAt(uint64_t n);
extern "C" uint64_t ModuleAllocCount();
extern "C" uint64_t ModuleAllocInjectedFailures();

namespace {

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
    ASSERT_TRUE(r.unreadable && r.objects == 0 && r.boxes == 1 && r.hostError.empty())
        << "cut at " << length << ": " << Describe(r);
  }
}

TEST_P(ImportDamage, EveryChangedByteEndsUnreadableOrImported) {
  for (size_t at : Positions(Whole().size(), kByteBudget / kSanitizerSlowdown)) {
    for (uint8_t value : ByteDamages(Whole()[at])) {
      std::vector<uint8_t> bytes = Whole();
      bytes[at] = value;
      const ImportOutcome r = ImportBytes(bytes);
      ASSERT_TRUE(r.hostError.empty()) << "byte " << at << " = " << int(value) << ": " << Describe(r);
      if (r.unreadable) {
        ASSERT_EQ(r.objects, 0u) << "byte " << at << " = " << int(value);
      }
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
    ASSERT_TRUE(r.hostError.empty()) << "allocation " << n << ": " << Describe(r);
    ASSERT_TRUE((r.unreadable && r.objects == 0) || (!r.unreadable && r.objects == whole.objects))
        << "allocation " << n << ": " << Describe(r) << " instead of " << Describe(whole);
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
    ASSERT_TRUE(r.hostError.empty() && !r.unreadable) << "cancelled at " << k << ": " << Describe(r);
    ASSERT_LE(r.objects, whole.objects) << "cancelled at " << k;
    // A cancelled import shows no summary.
    if (r.cancelled) {
      ASSERT_EQ(r.errors, 0u) << "cancelled at " << k << ": " << Describe(r);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Scenes, ImportDamage, testing::ValuesIn(ScenesToDamage()),
                         [](const testing::TestParamInfo<NamedScene>& info) {
                           std::string name;
                           for (char c : info.param.name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
