// The verbs of c4dimport. Each registers itself as a subcommand of the tool;
// its callback stores the process's exit code in `exitCode`.
#pragma once
#include <CLI/CLI.hpp>

#include "import_run.h"  // the exit codes

using c4dimport::kExitBadUsage;
using c4dimport::kExitDone;
using c4dimport::kExitUnreadable;

void AddChunksVerb(CLI::App& app, int& exitCode);
void AddSceneVerb(CLI::App& app, int& exitCode);
void AddImportVerb(CLI::App& app, int& exitCode);
void AddFormatsVerb(CLI::App& app, int& exitCode);
void AddPreviewVerb(CLI::App& app, int& exitCode);
