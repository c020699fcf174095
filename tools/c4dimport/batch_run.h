// Many scene files in one run: files and folders (every .c4d below a
// folder) converted one after the other, or by worker processes, each in a
// session of its own, into one output folder; the run ends with a table of
// file, objects, meshes, polylines, objects not converted, seconds and
// status. A file that cannot be read, a worker over its time or memory
// limit, or an exception out of a file's conversion never stops the batch.
// Outputs appear whole or not at all (written beside and moved into place),
// so a rerun skips those that exist; a report file gets a JSON line for
// every file as it finishes; a shard of the batch takes every N-th file,
// for job arrays on a cluster.
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
  bool hidden = false;      // write hidden and disabled objects too
  bool renderLevel = false; // subdivision surfaces at their render level
  std::string units = "mm";  // the output's unit: mm or cm
  // Limits of a worker, per file: the seconds it may take (0 none) and the
  // megabytes of address space it may take on top of what it holds when it
  // starts converting (0 none). Either makes the batch run in workers.
  double timeout = 0;
  size_t memoryMb = 0;
  // This run's share of the plan: the files whose 0-based place in it,
  // taken modulo `shardCount`, is `shardIndex` - 1.
  unsigned shardIndex = 1, shardCount = 1;
  bool overwrite = false;   // convert also files whose output exists (else "skipped")
  std::string reportFile;   // "" none: a JSON line for each file, appended as it finishes
};

// "I/N" with 1 <= I <= N: false when the text is none.
bool ParseShard(const std::string& text, unsigned& index, unsigned& count);

// The unit of --units: "cm" centimetres, anything else millimetres.
c4dexport::ExportScene::Units UnitsOf(const std::string& word);

// One file of the batch: where it comes from and where it goes.
struct BatchItem {
  std::string input;
  std::string output;  // "" when nothing is written
};

// The files of the inputs (a folder's .c4d files below it in name order,
// keeping their sub-folders under the output folder) with their outputs,
// made unique, and of those this shard's. False with a reason when a
// folder cannot be read.
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
  // "ok", "unreadable", "not written", "cancelled", "host error", "failed",
  // "timed out", "out of memory", "skipped" (the output exists), "not started"
  std::string status;
  int exitCode = 0;
  std::vector<std::string> notConvertedNames;  // "name: reason"
  std::string detail;  // why a file failed or was not written
};

BatchRow RowOf(const BatchItem& item, const Conversion& conversion);
// A row as one line of JSON, and back (false when the text is no row).
std::string RowJson(const BatchRow& row);
// A row as a line of the report file: file, output, status, the counts,
// seconds, exitCode and reasons (why it failed, and the objects not converted).
std::string ReportJson(const BatchRow& row);
bool ParseRow(const std::string& text, BatchRow& row);

void PrintTable(const std::vector<BatchRow>& rows, std::ostream& out);

// Runs the batch; returns 4 when the user interrupted it, 1 when any file
// could not be read or its worker failed, 3 when an output could not be
// written, else 0.
int RunBatch(const BatchOptions& options, std::ostream& out, std::ostream& err);

// What a worker does: converts one file (within options.memoryMb) and
// prints its row as one JSON line.
int RunBatchWorker(const BatchItem& item, const BatchOptions& options, std::ostream& out);

}  // namespace c4dimport
