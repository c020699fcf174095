// Controls of the stand-in host for tests and tools: failing object
// creation, the layer table and its file, the active layer. None of this is
// part of the host's interface that a module sees (src/host).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "qel_LayerResources.h"
#include "qel_SmartPointer.h"

#if defined(_WIN32)
#  define STANDIN_API QEL_HOST_API
#else
#  define STANDIN_API __attribute__((visibility("default")))
#endif

namespace standin {

// ---- Failing object creation ----------------------------------------------
// Every object the host makes counts as one creation of its class: each
// CreateObj, and the objects the host makes for itself (a database object's
// CQEL_CommonStyle, a style's CQEL_UnsignedIntRef and CQEL_ColorARGB).
// A failed creation gives a null pointer.

// The n-th creation of `className` from now (1: the next) fails, once.
STANDIN_API void FailCreateObj(const std::string& className, unsigned nth = 1);
// Every creation of `className` fails until the failures are reset.
STANDIN_API void FailCreateObjAlways(const std::string& className);
// The n-th creation of any class from now fails, once.
STANDIN_API void FailNthCreateObj(unsigned nth);
STANDIN_API void ResetCreateObjFailures();
// Creations so far, of one class or (with "") of all.
STANDIN_API std::uint64_t CreateObjCount(const std::string& className = "");

// Host objects alive now (made and not yet freed by their last reference).
STANDIN_API long LiveObjectCount();

// ---- Failing host calls ---------------------------------------------------
// Every call of the host's interface that a module makes is one host call:
// each CreateObj, the getters and setters of points, polyhedra, database
// objects and styles, every call on the layer table, its nodes and leaves,
// and the layer services. (The message boxes and the report dialog do not
// fail.) One call can be made to fail, once, in one of these ways:
enum class HostFaultKind {
  NullObject,      // "null": the N-th object creation gives a null pointer (N counts creations)
  HostError,       // "host": the N-th call throws the host's CQEL_AppException*
  FrameworkError,  // "mfc": it throws an MFC CException*
  ComError,        // "com": it throws a _com_error
  StdError,        // "std": it throws a std::exception
  Unknown,         // "other": it throws something else (an int)
};

struct HostFault {
  HostFaultKind kind = HostFaultKind::HostError;
  std::uint64_t nth = 1;  // 1: the next call (creation)
};

STANDIN_API const std::vector<HostFaultKind>& HostFaultKinds();
STANDIN_API const char* HostFaultKindName(HostFaultKind kind);
// "KIND:N" with a kind's name and N >= 1; false, with a reason, otherwise.
STANDIN_API bool ParseHostFault(const std::string& text, HostFault& fault, std::string* error = nullptr);
// Arms `fault`, counted from now; replaces one armed before.
STANDIN_API void InjectHostFault(const HostFault& fault);
// Disarms it (ResetHost does too).
STANDIN_API void ClearHostFault();
// Whether the fault armed last has fired.
STANDIN_API bool HostFaultFired();
// Host calls so far (creations: CreateObjCount()).
STANDIN_API std::uint64_t HostCallCount();

// ---- The layer table ------------------------------------------------------

// Keeps the layer table in a JSON file: loads it now when the file exists
// (replacing the table). Every SaveTable appends what changed to the
// journal "<path>.journal", which survives the process; the journal is
// folded into the file by CloseLayerTableFile (or ResetLayerTable, or the
// next UseLayerTableFile), and one left behind by a process that died is
// replayed and folded here. False, with a reason, when the file exists but
// could not be read; the table is then empty and the file is still used.
STANDIN_API bool UseLayerTableFile(const std::string& path, std::string* error = nullptr);
// Folds the journal into the table file and stops using the file; false,
// with a reason, when the file could not be written.
STANDIN_API bool CloseLayerTableFile(std::string* error = nullptr);
// Writes the table to a file now; false, with a reason, on failure.
STANDIN_API bool WriteLayerTableFile(const std::string& path, std::string* error = nullptr);
// An empty table, no file, no saves counted.
STANDIN_API void ResetLayerTable();
// SaveTable calls since the last reset.
STANDIN_API unsigned SaveTableCount();

// The layer GetActiveLayer reports (0 at start).
STANDIN_API void SetActiveLayer(unsigned id);

// A leaf of the table with the long names of the nodes above it, from the
// table's top.
struct LayerLeafEntry {
  CQEL_SmartPtr<CQEL_ResourceLayerLeaf> leaf;
  std::vector<std::string> path;
};
// Every leaf of the current table in table order: depth first, a node's
// own leaves before its nodes, each in the order added.
STANDIN_API std::vector<LayerLeafEntry> ListLayerLeaves();

// ---- Resource libraries ---------------------------------------------------

// Where LoadResourceDll looks first ("" is the folder of the host library).
STANDIN_API void SetResourceDirectory(const std::string& directory);

// ---- Floating-point traps --------------------------------------------------
// Many CAD hosts on Windows run with floating-point exceptions unmasked: an
// invalid operation, a division by zero or an overflow stops the process at
// once (here: SIGFPE). A module must not raise one anywhere.

// The traps such a host runs with: invalid, division by zero, overflow.
STANDIN_API int HostFloatTraps();
// Enables exactly `traps` (FE_... bits; 0 for none) and returns the traps
// that were enabled before.
STANDIN_API int SetFloatTraps(int traps);
// The traps enabled now.
STANDIN_API int EnabledFloatTraps();

// Runs with the host's traps on (or as before when `on` is false) while it
// lives; the traps of before return afterwards, the pending flags cleared.
class ScopedFloatTraps {
 public:
  explicit ScopedFloatTraps(bool on = true) : m_previous(on ? SetFloatTraps(HostFloatTraps()) : -1) {}
  ~ScopedFloatTraps() {
    if (m_previous >= 0) SetFloatTraps(m_previous);
  }
  ScopedFloatTraps(const ScopedFloatTraps&) = delete;
  ScopedFloatTraps& operator=(const ScopedFloatTraps&) = delete;

 private:
  int m_previous;
};

// Everything above back to its start: no failures, an empty table without a
// file, active layer 0, the host library's folder for resources.
STANDIN_API void ResetHost();

}  // namespace standin
