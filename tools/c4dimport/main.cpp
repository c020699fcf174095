// c4dimport: command-line access to the scene-file reader, one verb each.
#include <CLI/CLI.hpp>

#include "verbs.h"

int main(int argc, char** argv) {
  CLI::App app{"Reads Cinema 4D scene files (.c4d) with the import module's file library."};
  app.footer(
      "Exit codes: 0 the file was read to its end, 1 it was not (the file's error code is printed), "
      "2 bad usage.");
  app.require_subcommand(1);
  int exitCode = kExitSuccess;
  AddChunksVerb(app, exitCode);
  AddSceneVerb(app, exitCode);
  AddImportVerb(app, exitCode);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help prints and succeeds; every other parse failure is bad usage.
    return app.exit(e) == 0 ? kExitSuccess : kExitUsage;
  }
  return exitCode;
}
