// c4dimport: command-line access to the scene-file reader, one verb each.
#include <CLI/CLI.hpp>

#include "verbs.h"

#ifdef C4D_TOOL_MIMALLOC
#include <mimalloc.h>

#include <thread>
#endif

namespace {

int RunVerbs(int argc, char** argv) {
  CLI::App app{"Reads Cinema 4D scene files (.c4d) with the import module's file library, imports them and "
               "writes them to standard formats."};
  app.footer(
      "Exit codes: 0 done, 1 a file could not be read, 2 bad usage, 3 an output could not be written, "
      "4 cancelled by the user. `c4dimport VERB --help` tells each verb's own.");
  app.require_subcommand(1);
  int exitCode = kExitDone;
  AddChunksVerb(app, exitCode);
  AddSceneVerb(app, exitCode);
  AddImportVerb(app, exitCode);
  AddFormatsVerb(app, exitCode);
  AddPreviewVerb(app, exitCode);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help prints and succeeds; every other parse failure is bad usage.
    return app.exit(e) == 0 ? kExitDone : kExitBadUsage;
  }
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef C4D_TOOL_MIMALLOC
  // A large scene's arrays and host objects are hundreds of megabytes touched
  // once: on 2 MiB pages they fault a five-hundredth as often as on 4 KiB
  // ones, and committed at once rather than in steps. The allocator takes
  // the setting for the memory it asks the system for from now on. The main
  // thread's first 32 MiB were asked for before main, by the C++ runtime's
  // first allocation, on small pages; the verbs run on a thread of their own,
  // whose memory all comes after the setting.
  mi_option_set(mi_option_eager_commit_delay, 0);
  mi_option_enable(mi_option_large_os_pages);
  int exitCode = kExitDone;
  std::thread verbs([&exitCode, argc, argv] { exitCode = RunVerbs(argc, argv); });
  verbs.join();
  return exitCode;
#else
  return RunVerbs(argc, argv);
#endif
}
