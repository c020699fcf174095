// Compiled only into the test build of the import module: three more exports
// through which a test makes the reader's N-th allocation fail inside the
// module, whose copy of the allocator is otherwise out of a test's reach.
#include <cstdint>

#include <afx_export.h>

#include "ge_alloc.h"

#define MODULE_TEST_HOOK AFX_EXPORT_C

MODULE_TEST_HOOK void ModuleAllocFailAt(uint64_t n) { GeAllocFailAt(n); }
MODULE_TEST_HOOK uint64_t ModuleAllocCount() { return GeAllocCount(); }
MODULE_TEST_HOOK uint64_t ModuleAllocInjectedFailures() { return GeAllocInjectedFailures(); }
