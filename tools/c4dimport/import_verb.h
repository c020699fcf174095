// `c4dimport import FILE...`: imports scene files through the import module
// as the host does and reports what reached the host; with -o writes it to a
// file in a standard format. Several files, or a folder, make a batch.
#pragma once
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "import_run.h"

struct ImportVerbOptions {
  std::vector<std::string> paths;  // files and folders
  bool json = false;
  c4dimport::LargeAnswer large = c4dimport::LargeAnswer::No;
  std::optional<size_t> cancelAfter;
  std::string layersFile;  // "" keeps the layer table in memory only
  std::string output;      // -o: a file, or a folder (for a batch, or ending in "/")
  std::string format;      // --format: a name from `c4dimport formats`; "" from the output's extension
  unsigned jobs = 1;       // -j: worker processes of a batch
  bool row = false;        // a batch's worker: one file, its table row as one JSON line
  bool floatTraps = false; // --float-traps: the module runs with the host's floating-point traps on
  std::string hostFault;   // --host-fault KIND:N: the N-th host call fails ("" none)
  bool primitives = true;  // false (--no-primitives): primitives are not rebuilt
  bool hidden = false;     // --hidden: hidden and disabled objects are written too
  bool renderLevel = false;  // --render-level: subdivision surfaces at their render level
  std::string units = "mm";  // --units: mm or cm, the unit the output is written in
  // Batches (any of the first four makes one of a single file too):
  double timeout = 0;      // --timeout: seconds a file's worker may take (0 none)
  size_t memoryMb = 0;     // --memory: megabytes a worker may take (0 none)
  std::string shard;       // --shard I/N: this run's share of the files
  std::string reportFile;  // --report: JSON lines of every file, appended as each finishes
  bool overwrite = false;  // --overwrite: convert also files whose output exists
};

// Runs the verb; returns the exit code (0 done, 1 a file could not be read,
// 2 bad usage, 3 an output could not be written or the host raised an
// error, 4 cancelled by the user).
int RunImportVerb(const ImportVerbOptions& options, std::ostream& out, std::ostream& err);
