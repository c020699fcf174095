// `c4dimport import FILE`: imports a scene file through the import module as
// the host does and reports what reached the host.
#pragma once
#include <iosfwd>
#include <optional>
#include <string>

#include "import_run.h"

struct ImportVerbOptions {
  std::string path;
  bool json = false;
  c4dimport::LargeAnswer large = c4dimport::LargeAnswer::No;
  std::optional<size_t> cancelAfter;
  std::string layersFile;  // "" keeps the layer table in memory only
};

// Runs the verb; returns the exit code (0 ok, 1 unreadable, 2 bad usage,
// 3 a host error, 4 the dialog's Cancel button was pressed).
int RunImportVerb(const ImportVerbOptions& options, std::ostream& out, std::ostream& err);
