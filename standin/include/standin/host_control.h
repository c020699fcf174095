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

// ---- The layer table ------------------------------------------------------

// Keeps the layer table in a JSON file: loads it now when the file exists
// (replacing the table) and writes it on every SaveTable. False, with a
// reason, when the file exists but could not be read; the table is then
// empty and the file is still used for saving.
STANDIN_API bool UseLayerTableFile(const std::string& path, std::string* error = nullptr);
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

// Everything above back to its start: no failures, an empty table without a
// file, active layer 0, the host library's folder for resources.
STANDIN_API void ResetHost();

}  // namespace standin
