// The verbs of c4dimport. Each registers itself as a subcommand of the tool;
// its callback stores the process's exit code in `exitCode`.
#pragma once
#include <CLI/CLI.hpp>

// Exit codes shared by every verb.
enum : int {
  kExitSuccess = 0,
  kExitFileFailed = 1,  // the file could not be read to its end
  kExitUsage = 2,
};

void AddChunksVerb(CLI::App& app, int& exitCode);
void AddSceneVerb(CLI::App& app, int& exitCode);
void AddImportVerb(CLI::App& app, int& exitCode);
void AddFormatsVerb(CLI::App& app, int& exitCode);
