// Every input that once broke the reader or the import goes through a whole
// import and ends cleanly: reported as unreadable or imported, every host
// object released, no host error, no crash.
#include <gtest/gtest.h>

#include "import_outcome.h"
#include "regressions.h"

namespace {

using Regressions = DamagedImport;

TEST_F(Regressions, EveryKeptInputImportsCleanly) {
  for (const NamedScene& input : RegressionInputs()) {
    const ImportOutcome r = ImportBytes(input.bytes);
    EXPECT_TRUE(r.hostError.empty()) << input.name << ": " << Describe(r);
    if (r.unreadable) {
      EXPECT_EQ(r.objects, 0u) << input.name;
    }
  }
}

}  // namespace
