// One scene file converted: imported through the module as the host does,
// then (while the progress dialog is still open, as the host's own work)
// completed from the converter's own read of the scene (output_objects.h:
// hidden objects taken out, primitives rebuilt, splines drawn) and written
// to an output file in a standard format; the counted objects that reach no
// output are named with the reason.
//
//   ConvertOptions options;
//   options.output = "house.glb";
//   options.format = c4dexport::FindExportFormat("glb");
//   Conversion done = ConvertFile("house.c4d", options);
//   return ExitCodeOf(done);
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "export_writer.h"
#include "import_run.h"
#include "output_objects.h"

namespace c4dimport {

// A counted object the module did not convert, for the report.
struct NotConvertedObject {
  std::string path;      // names from the top, "House / Walls"
  std::string reason;    // what it is and what would bring it in
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
  bool primitives = true;   // rebuild primitives from their parameters (--no-primitives: off)
  bool keepHidden = false;  // write hidden and disabled objects too (--hidden)
  bool renderLevel = false; // subdivision surfaces at their render level (--render-level)
  // The unit the output is written in (--units mm|cm).
  c4dexport::ExportScene::Units units = c4dexport::ExportScene::Units::Millimetres;
  // Keep the export scene, with the scene's structure, in Conversion::scene
  // also when nothing is written (Python, Blender).
  bool keepScene = false;
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
  // The converter read the scene: the counted objects that reach no output
  // (neither converted by the module nor made by the converter, nor hidden)
  // are found here.
  bool searchedNotConverted = false;
  std::vector<NotConvertedObject> notConverted;
  // Objects left out because the scene hides them.
  std::vector<HiddenObject> hidden;
  // Every object the converter tried to make, made or not (objects null).
  std::vector<c4drebuild::RebuiltPrimitive> made;
  // What was (or would be) written, with the scene tree, materials, cameras
  // and lights; kept when asked for (ConvertOptions::keepScene).
  std::optional<c4dexport::ExportScene> scene;
  // Steps after the import that failed, each with its message; what was
  // converted before is kept.
  std::vector<std::string> failures;
  double seconds = 0;
  bool cancelled = false;  // the dialog's Cancel button or Ctrl-C

  bool Wrote() const { return !output.empty() && written.written; }
  // Counted objects that reach no output.
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
// The import's JSON result, with "notConverted" and "hidden" when the scene
// was read, "made" when the converter made objects, and "output" when an
// output was asked for.
void WriteConversionJson(std::ostream& out, const Conversion& conversion);

}  // namespace c4dimport
