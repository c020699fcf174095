#include "import_verb.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <memory>

#include "batch_run.h"
#include "convert_file.h"
#include "terminal_front_end.h"
#include "verbs.h"

namespace {

namespace fs = std::filesystem;

bool NamesAFolder(const std::string& path) {
  std::error_code code;
  return !path.empty() && (path.back() == '/' || fs::is_directory(path, code));
}

// One file, with the progress dialog on the terminal and Ctrl-C as Cancel.
int ImportOne(const ImportVerbOptions& options, const std::string& output,
              const c4dexport::ExportFormat* format, std::ostream& out) {
  const std::string& path = options.paths.front();
  c4dimport::InstallInterruptHandler();
  c4dimport::ProgressLine line(STDERR_FILENO, isatty(STDERR_FILENO), fs::path(path).filename().string(),
                               c4dimport::PresetAnswer(options.large));
  c4dimport::ConvertOptions convert;
  convert.import.large = options.large;
  convert.import.cancelAfter = options.cancelAfter;
  // The counts in the JSON come from the converter's read of the scene
  // before the import; a plain import reads the file once, on a terminal too.
  convert.countingFigures = options.json;
  convert.import.floatTraps = options.floatTraps;
  if (!options.hostFault.empty()) {
    standin::HostFault fault;
    standin::ParseHostFault(options.hostFault, fault);  // checked by RunImportVerb
    convert.import.hostFault = fault;
  }
  convert.import.ui = &line;
  convert.import.windowBackend = &line;
  convert.import.onPump = [&line](const c4dimport::ImportProgress& progress) {
    line.Counts(progress);
    if (c4dimport::PressCancelOnInterrupt()) {
      line.Note("cancelling: the objects converted so far are kept (Ctrl-C again stops at once)");
    }
  };
  convert.output = output;
  convert.format = format;
  convert.interrupted = c4dimport::Interrupted;
  convert.primitives = options.primitives;
  convert.keepHidden = options.hidden;
  convert.renderLevel = options.renderLevel;
  convert.units = c4dimport::UnitsOf(options.units);
  if (!output.empty()) {
    std::error_code ignored;
    if (fs::path(output).has_parent_path()) fs::create_directories(fs::path(output).parent_path(), ignored);
  }
  const c4dimport::Conversion conversion = c4dimport::ConvertFile(path, convert);
  line.Clear();
  if (options.json) {
    c4dimport::WriteConversionJson(out, conversion);
  } else {
    c4dimport::PrintConversion(conversion, out);
  }
  return c4dimport::ExitCodeOf(conversion);
}

}  // namespace

int RunImportVerb(const ImportVerbOptions& options, std::ostream& out, std::ostream& err) {
  if (options.paths.empty()) {
    err << "c4dimport: import needs a scene file or a folder\n";
    return kExitBadUsage;
  }
  const c4dexport::ExportFormat* format = nullptr;
  if (!options.format.empty() && !(format = c4dexport::FindExportFormat(options.format))) {
    err << "c4dimport: no format \"" << options.format << "\"; `c4dimport formats` lists them\n";
    return kExitBadUsage;
  }
  const bool batchOnly = options.timeout > 0 || options.memoryMb > 0 || !options.shard.empty() ||
                         !options.reportFile.empty();
  const bool batch = !options.row && (batchOnly || options.paths.size() > 1 || NamesAFolder(options.paths.front()));
  unsigned shardIndex = 1, shardCount = 1;
  if (!options.shard.empty() && !c4dimport::ParseShard(options.shard, shardIndex, shardCount)) {
    err << "c4dimport: --shard takes I/N, this run's number from 1 to N of N\n";
    return kExitBadUsage;
  }
  if ((batch || options.row) && (options.floatTraps || !options.hostFault.empty())) {
    err << "c4dimport: --float-traps and --host-fault are test aids for one file\n";
    return kExitBadUsage;
  }
  standin::HostFault fault;
  std::string faultError;
  if (!options.hostFault.empty() && !standin::ParseHostFault(options.hostFault, fault, &faultError)) {
    err << "c4dimport: --host-fault: " << faultError << "\n";
    return kExitBadUsage;
  }
  if (batch && (options.jobs > 1 || options.timeout > 0 || options.memoryMb > 0) && !options.layersFile.empty()) {
    err << "c4dimport: --layers keeps one table file, which worker processes (-j, --timeout, --memory) cannot "
           "share\n";
    return kExitBadUsage;
  }
  std::string output = options.output;
  if (!output.empty() && (batch || NamesAFolder(output))) {
    // Into a folder: every file under its own name with the format's extension.
    if (!format) format = c4dexport::FindExportFormat("glb");
    if (!batch) {
      output = (fs::path(output) / fs::path(options.paths.front()).filename()).replace_extension(format->name).string();
    }
  } else if (!output.empty() && !format && !(format = c4dexport::FormatOfPath(output))) {
    err << "c4dimport: the format of " << output << " is not known by its extension: give --format "
        << "(`c4dimport formats` lists them)\n";
    return kExitBadUsage;
  }
  if (!options.layersFile.empty()) {
    std::string error;
    if (!standin::UseLayerTableFile(options.layersFile, &error)) {
      err << "c4dimport: the layer table file cannot be used: " << error << "\n";
      return kExitBadUsage;
    }
  }

  c4dimport::BatchOptions batchOptions;
  batchOptions.inputs = options.paths;
  batchOptions.outputDir = output;
  batchOptions.format = format;
  batchOptions.large = options.large;
  batchOptions.cancelAfter = options.cancelAfter;
  batchOptions.jobs = options.jobs;
  batchOptions.json = options.json;
  batchOptions.layersFile = options.layersFile;
  batchOptions.primitives = options.primitives;
  batchOptions.hidden = options.hidden;
  batchOptions.renderLevel = options.renderLevel;
  batchOptions.units = options.units;
  batchOptions.timeout = options.timeout;
  batchOptions.memoryMb = options.memoryMb;
  batchOptions.shardIndex = shardIndex;
  batchOptions.shardCount = shardCount;
  batchOptions.overwrite = options.overwrite;
  batchOptions.reportFile = options.reportFile;
  int exitCode = 0;
  if (options.row) {
    exitCode = c4dimport::RunBatchWorker({options.paths.front(), output}, batchOptions, out);
  } else if (batch) {
    exitCode = c4dimport::RunBatch(batchOptions, out, err);
  } else {
    // The last barrier: whatever escapes the conversion's own ends this file
    // with a message, never the process with a core dump.
    try {
      exitCode = ImportOne(options, output, format, out);
    } catch (const std::exception& error) {
      err << "c4dimport: " << options.paths.front() << ": the conversion failed: " << error.what() << "\n";
      exitCode = c4dimport::kExitNotWritten;
    }
  }
  // The session's saves are in the table's journal until it is folded.
  std::string error;
  if (!options.layersFile.empty() && !standin::CloseLayerTableFile(&error)) {
    err << "c4dimport: the layer table file cannot be written: " << error << "\n";
  }
  return exitCode;
}

void AddImportVerb(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<ImportVerbOptions>();
  auto large = std::make_shared<std::string>();
  CLI::App* verb = app.add_subcommand(
      "import",
      "Import scene files through the import module with a stand-in host, report what it made, and write it "
      "to a standard format with -o.");
  verb->add_option("FILE", options->paths, "The .c4d files, or folders of them (a batch)")->required();
  verb->add_flag("--json", options->json, "Print the result as one JSON document");
  verb->add_option("-o,--output", options->output,
                   "Write what was imported to this file, its format chosen by the extension; for several files or "
                   "a folder, the folder to write them into");
  verb->add_option("--format", options->format,
                   "The format to write (glb, gltf, obj, ply, stl, dae, 3mf, dxf; default for a folder: glb)");
  verb->add_option("-j,--jobs", options->jobs, "Convert a batch in this many worker processes")
      ->check(CLI::Range(1u, 256u));
  verb->add_option("--large", *large,
                   "Answer to the question about meshes above 500000 polygons: ask, yes, no or cancel "
                   "(default: ask on a terminal, no otherwise)")
      ->check(CLI::IsMember({"ask", "yes", "no", "cancel"}));
  verb->add_option("--cancel-after", options->cancelAfter,
                   "Press the progress dialog's Cancel button once N objects have been converted");
  verb->add_option("--layers", options->layersFile,
                   "Load the host's layer table from this file if it exists, and save it there");
  verb->add_flag("--float-traps", options->floatTraps,
                 "Test aid: run the module with the floating-point traps (invalid, division by zero, overflow) "
                 "on, as many CAD hosts do; a module that raised one would crash");
  verb->add_option("--host-fault", options->hostFault,
                   "Test aid: the stand-in host fails its N-th call during the import, as KIND:N. KIND null: the "
                   "N-th object creation gives nothing; host, mfc, com, std, other: the N-th host call throws the "
                   "host's exception, an MFC CException*, a _com_error, a std::exception or something else");
  verb->add_flag("!--no-primitives", options->primitives,
                 "Leave primitives without polygon caches out, as the module does, instead of rebuilding them "
                 "from their parameters");
  verb->add_flag("--hidden", options->hidden,
                 "Keep the objects the scene hides (hidden in the editor, or disabled themselves or through a "
                 "parent), which are left out by default and listed");
  verb->add_flag("--render-level", options->renderLevel,
                 "Subdivide subdivision surfaces at the level the file stores for rendering, not the editor's");
  verb->add_option("--units", options->units,
                   "The unit the output is written in: mm (default; glTF in metres), or cm (the scene's own "
                   "numbers, declared as centimetres where the format declares a unit; glTF one unit per "
                   "centimetre)")
      ->check(CLI::IsMember({"mm", "cm"}));
  verb->add_option("--timeout", options->timeout,
                   "Batch: stop a file's worker process after this many seconds (the file's row says \"timed out\")")
      ->check(CLI::PositiveNumber);
  verb->add_option("--memory", options->memoryMb,
                   "Batch: a file's worker process may take this many megabytes of memory beyond the program "
                   "itself (the row says \"out of memory\")")
      ->check(CLI::Range(size_t(1), size_t(1) << 30));
  verb->add_option("--shard", options->shard,
                   "Batch: convert only share I of N (1-based): the files whose place in the sorted list, "
                   "counted from 0, modulo N is I-1; for job arrays, e.g. --shard $SLURM_ARRAY_TASK_ID/N");
  verb->add_option("--report", options->reportFile,
                   "Batch: append a JSON line for every file to this file as the file finishes");
  verb->add_flag("--overwrite", options->overwrite,
                 "Batch: convert also the files whose output exists (by default they are skipped)");
  verb->add_flag("--row", options->row, "Worker of a batch: convert one file and print its row as JSON")
      ->group("");
  verb->footer(
      "Exit codes: 0 done, 1 a file could not be read (in a batch: any file failed), 2 bad usage, 3 an output "
      "could not be written or the host raised an error, 4 cancelled by the user (Ctrl-C, or the progress "
      "dialog's Cancel button). On a terminal the first Ctrl-C presses Cancel and what was converted is still "
      "written; the second ends the tool at once.");
  verb->callback([options, large, &exitCode] {
    static const std::map<std::string, c4dimport::LargeAnswer> kAnswers = {
        {"ask", c4dimport::LargeAnswer::Ask},
        {"yes", c4dimport::LargeAnswer::Yes},
        {"no", c4dimport::LargeAnswer::No},
        {"cancel", c4dimport::LargeAnswer::Cancel}};
    if (large->empty()) {
      options->large = isatty(STDIN_FILENO) ? c4dimport::LargeAnswer::Ask : c4dimport::LargeAnswer::No;
    } else {
      options->large = kAnswers.at(*large);
    }
    exitCode = RunImportVerb(*options, std::cout, std::cerr);
  });
}
