#include "import_verb.h"

#include <unistd.h>

#include <iostream>
#include <map>
#include <memory>

#include "verbs.h"

int RunImportVerb(const ImportVerbOptions& options, std::ostream& out, std::ostream& err) {
  if (!options.layersFile.empty()) {
    std::string error;
    if (!standin::UseLayerTableFile(options.layersFile, &error)) {
      err << "c4dimport: the layer table file cannot be used: " << error << "\n";
      return kExitUsage;
    }
  }
  c4dimport::ImportOptions importOptions;
  importOptions.large = options.large;
  importOptions.cancelAfter = options.cancelAfter;
  importOptions.messageStream = &err;
  const c4dimport::ImportResult result = c4dimport::ImportFile(options.path, importOptions);
  if (options.json) {
    out << c4dimport::ResultJson(result);
  } else {
    c4dimport::PrintSummary(result, out);
  }
  return c4dimport::ExitCodeOf(result);
}

void AddImportVerb(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<ImportVerbOptions>();
  auto large = std::make_shared<std::string>();
  CLI::App* verb = app.add_subcommand(
      "import", "Import a scene file through the import module with a stand-in host and report what it made.");
  verb->add_option("FILE", options->path, "The .c4d file")->required();
  verb->add_flag("--json", options->json, "Print the result as one JSON document");
  verb->add_option("--large", *large,
                   "Answer to the question about meshes above 500000 polygons: ask, yes, no or cancel "
                   "(default: ask on a terminal, no otherwise)")
      ->check(CLI::IsMember({"ask", "yes", "no", "cancel"}));
  verb->add_option("--cancel-after", options->cancelAfter,
                   "Press the progress dialog's Cancel button once N objects have been converted");
  verb->add_option("--layers", options->layersFile,
                   "Load the host's layer table from this file if it exists, and save it there");
  verb->footer(
      "Exit codes: 0 the file was read and the import ran to its end, 1 it could not be read, 2 bad usage, "
      "3 the host raised an error, 4 the progress dialog's Cancel button was pressed.");
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
