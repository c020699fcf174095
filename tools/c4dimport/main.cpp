// c4dimport: command-line access to the scene-file reader, one verb each.
#include <CLI/CLI.hpp>

#include "verbs.h"

int main(int argc, char** argv) {
  CLI::App app{"Reads Cinema 4D scene files (.c4d) with the import module's file library, imports them and "
               "writes them to standard formats."};
  app.footer(
      "Exit codes: 0 done, 1 a file could not be read, 2 bad usage, 3 an output could not be written, "
      "4 cancelled by the user. `c4dimport VERB --help` tells each verb's own.");
  app.require_subcommand(1);
  int exitCode = kExitSuccess;
  AddChunksVerb(app, exitCode);
  AddSceneVerb(app, exitCode);
  AddImportVerb(app, exitCode);
  AddFormatsVerb(app, exitCode);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help prints and succeeds; every other parse failure is bad usage.
    return app.exit(e) == 0 ? kExitSuccess : kExitUsage;
  }
  return exitCode;
}
