// Many scene files in one run: files and folders (every .c4d below a
// folder) converted one after the other, or by worker processes, each in a
// session of its own, into one output folder; the run ends with a table of
// file, objects, meshes, polylines, objects not converted, seconds and
// status. A file that cannot be read never stops the batch.
//
//   BatchOptions options;
//   options.inputs = {"scenes/"};
//   options.outputDir = "out";
//   options.format = c4dexport::FindExportFormat("glb");
//   return RunBatch(options, std::cout, std::cerr);
#pragma once
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "convert_file.h"

namespace c4dimport {

struct BatchOptions {
  std::vector<std::string> inputs;  // files and folders
  std::string outputDir;            // "" converts without writing
  const c4dexport::ExportFormat* format = nullptr;
  LargeAnswer large = LargeAnswer::No;
  std::optional<size_t> cancelAfter;
  unsigned jobs = 1;        // worker processes; 1 converts in this process
  bool json = false;        // the table as one JSON document
  std::string layersFile;   // "" gives each file a fresh layer table
  std::string tool;         // the program a worker runs ("" this one)
  bool primitives = true;   // rebuild primitives without caches
};

// One file of the batch: where it comes from and where it goes.
struct BatchItem {
  std::string input;
  std::string output;  // "" when nothing is written
};

// The files of the inputs (a folder's .c4d files below it in name order,
// keeping their sub-folders under the output folder) with their outputs,
// made unique. False with a reason when an input does not exist.
bool PlanBatch(const BatchOptions& options, std::vector<BatchItem>& items, std::string& error);

// One line of the table.
struct BatchRow {
  std::string file;
  std::string output;
  size_t objects = 0;
  size_t meshes = 0;
  size_t polylines = 0;
  size_t notConverted = 0;
  double seconds = 0;
  std::string status;  // "ok", "unreadable", "not written", "cancelled", "host error", "failed", "not started"
  int exitCode = 0;
  std::vector<std::string> notConvertedNames;  // "name: reason"
  std::string detail;  // why a file failed or was not written
};

BatchRow RowOf(const BatchItem& item, const Conversion& conversion);
// A row as one line of JSON, and back (false when the text is no row).
std::string RowJson(const BatchRow& row);
bool ParseRow(const std::string& text, BatchRow& row);

void PrintTable(const std::vector<BatchRow>& rows, std::ostream& out);

// Runs the batch; returns 4 when the user interrupted it, 1 when any file
// could not be read or its worker failed, 3 when an output could not be
// written, else 0.
int RunBatch(const BatchOptions& options, std::ostream& out, std::ostream& err);

// What a worker does: converts one file and prints its row as one JSON line.
int RunBatchWorker(const BatchItem& item, const BatchOptions& options, std::ostream& out);

}  // namespace c4dimport
