// One scene file converted: imported through the module as the host does,
// then (while the progress dialog is still open, as the host's own work)
// written to an output file in a standard format, and, when the module
// reported objects it did not convert (messages 104 and 105), those objects
// found by name in the scene with the reason. Before it is written, the
// primitives the scene holds without polygon caches are rebuilt from their
// parameters and added to what the host received (see Rebuild).
//
//   ConvertOptions options;
//   options.output = "house.glb";
//   options.format = c4dexport::FindExportFormat("glb");
//   Conversion done = ConvertFile("house.c4d", options);
//   return ExitCodeOf(done);
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "export_writer.h"
#include "import_run.h"
#include "rebuild_primitives.h"

namespace c4dimport {

// When primitives without polygon caches are rebuilt. The rebuild reads the
// scene with the scene library, a second read of the file beside the
// module's own.
enum class Rebuild {
  Never,         // the module's objects only (--no-primitives)
  // Only when the module reported objects it did not convert, where the
  // scene is read anyway to name them: a plain import whose counted objects
  // all arrived reads the file once. (A primitive left without geometry goes
  // unseen there only when caches of other primitives or instances made up
  // for it in the module's counts.)
  WhenReported,
  Always,        // whatever is written, or printed as JSON, has them all
};

// A plain import (no output file, no JSON) rebuilds when reported, anything
// else always, unless `primitives` is off.
Rebuild RebuildFor(bool primitives, bool output, bool json);

// A counted object the module did not convert, for the report.
struct NotConvertedObject {
  std::string path;      // names from the top, "House / Walls"
  std::string reason;    // what it is and what would bring it in
  bool rebuilt = false;  // the converter rebuilt it from its parameters
};

// How the conversion of one file ended.
enum class ConversionStatus { Ok, Unreadable, HostError, NotWritten, Cancelled, Failed };
// "ok", "unreadable", "host error", "not written", "cancelled", "failed"
// (a step after the import failed: out of memory, say).
const char* StatusName(ConversionStatus status);

struct ConvertOptions {
  ImportOptions import;  // whileOpen is the conversion's own
  std::string output;    // "" writes nothing
  const c4dexport::ExportFormat* format = nullptr;
  Rebuild primitives = Rebuild::Always;
  // The counting figures (import.figures) worked out beforehand from the
  // converter's read of the scene: the counts while the import runs, the
  // largest mesh.
  bool countingFigures = false;
  // What rebuilt primitives may add to the file's host objects.
  uint64_t rebuildBudget = c4drebuild::kDefaultRebuildBudget;
  // Whether the user interrupted the run (Ctrl-C): nothing more is rebuilt,
  // and the conversion counts as cancelled. Null: never.
  std::function<bool()> interrupted;
};

struct Conversion {
  ImportResult result;
  std::string output;  // the file written, or tried
  const c4dexport::ExportFormat* format = nullptr;
  c4dexport::ExportReport written;
  // Message 104 or 105 appeared: the scene was searched for the counted
  // objects that were not converted, found here.
  bool searchedNotConverted = false;
  std::vector<NotConvertedObject> notConverted;
  // Every primitive found without geometry, rebuilt or not (objects null).
  std::vector<c4drebuild::RebuiltPrimitive> primitives;
  // Steps after the import that failed, each with its message; what was
  // converted before is kept.
  std::vector<std::string> failures;
  double seconds = 0;
  bool cancelled = false;  // the dialog's Cancel button or Ctrl-C

  bool Wrote() const { return !output.empty() && written.written; }
  // Objects counted but not converted (0 when more were converted).
  size_t NotConvertedCount() const;
  size_t Meshes() const;
  size_t Polylines() const;
  ConversionStatus Status() const;
};

Conversion ConvertFile(const std::string& path, const ConvertOptions& options);

// Messages 104 and 105 (the module's only information boxes) appeared.
bool ReportedNotConverted(const ImportResult& result);

// 1 unreadable, 3 host error, output not written or a step after the import
// failed, 4 cancelled, else 0.
int ExitCodeOf(const Conversion& conversion);

// The import's summary followed by the objects not converted and what was written.
void PrintConversion(const Conversion& conversion, std::ostream& out);
// The import's JSON result, with "notConverted" when message 104 or 105
// appeared and "output" when an output was asked for.
void WriteConversionJson(std::ostream& out, const Conversion& conversion);

}  // namespace c4dimport
