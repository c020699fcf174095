#include "preview_verb.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

#include "batch_run.h"
#include "view_camera.h"
#include "verbs.h"

namespace {

namespace fs = std::filesystem;

enum class Outcome { Written, Skipped, NoPreview, Unreadable, NotWritten };

// Written beside and moved into place, so an image appears whole or not at all.
bool WriteWhole(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::error_code ignored;
  if (fs::path(path).has_parent_path()) fs::create_directories(fs::path(path).parent_path(), ignored);
  const std::string part = path + ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out.flush()) return false;
  }
  std::error_code code;
  fs::rename(part, path, code);
  return !code;
}

Outcome WritePreview(const std::string& input, const std::string& output, std::ostream& out) {
  std::vector<uint8_t> jpeg;
  const c4dimport::PreviewRead read = c4dimport::ReadPreviewImage(input, jpeg);
  if (read == c4dimport::PreviewRead::Unreadable) {
    out << input << ": cannot be read as a scene file\n";
    return Outcome::Unreadable;
  }
  if (read == c4dimport::PreviewRead::None) {
    out << input << ": holds no preview image (the scene program stores one from version 13 on)\n";
    return Outcome::NoPreview;
  }
  if (!WriteWhole(output, jpeg)) {
    out << input << ": " << output << " could not be written\n";
    return Outcome::NotWritten;
  }
  out << input << ": " << output << " (" << jpeg.size() << " bytes)\n";
  return Outcome::Written;
}

bool NamesAFolder(const std::string& path) {
  std::error_code code;
  return !path.empty() && (path.back() == '/' || fs::is_directory(path, code));
}

int RunBatch(const PreviewVerbOptions& options, std::ostream& out, std::ostream& err) {
  static const c4dexport::ExportFormat kJpeg{"jpg", "JPEG", false, false, true, ""};
  c4dimport::BatchOptions plan;
  plan.inputs = options.paths;
  plan.outputDir = options.output;
  plan.format = &kJpeg;
  std::vector<c4dimport::BatchItem> items;
  std::string error;
  if (!c4dimport::PlanBatch(plan, items, error)) {
    err << "c4dimport: " << error << "\n";
    return kExitUnreadable;
  }
  size_t written = 0, none = 0, failed = 0;
  int exitCode = kExitDone;
  for (const c4dimport::BatchItem& item : items) {
    std::error_code code;
    if (!options.overwrite && fs::exists(item.output, code)) {
      out << item.input << ": skipped, " << item.output << " exists\n";
      continue;
    }
    switch (WritePreview(item.input, item.output, out)) {
      case Outcome::Written: ++written; break;
      case Outcome::NoPreview: ++none; break;
      case Outcome::Unreadable: ++failed, exitCode = kExitUnreadable; break;
      default: ++failed; if (exitCode == kExitDone) exitCode = c4dimport::kExitNotWritten;
    }
  }
  out << items.size() << " files: " << written << " previews written, " << none << " without one, " << failed
      << " failed\n";
  return exitCode;
}

}  // namespace

int RunPreviewVerb(const PreviewVerbOptions& options, std::ostream& out, std::ostream& err) {
  if (options.paths.empty() || options.output.empty()) {
    err << "c4dimport: preview needs a scene file or folder and -o\n";
    return kExitBadUsage;
  }
  if (options.paths.size() > 1 || NamesAFolder(options.paths.front())) return RunBatch(options, out, err);
  std::string output = options.output;
  if (NamesAFolder(output)) output = (fs::path(output) / fs::path(options.paths.front()).filename()).replace_extension(".jpg").string();
  switch (WritePreview(options.paths.front(), output, out)) {
    case Outcome::Written: return kExitDone;
    case Outcome::Unreadable: return kExitUnreadable;
    default: return c4dimport::kExitNotWritten;
  }
}

void AddPreviewVerb(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<PreviewVerbOptions>();
  CLI::App* verb = app.add_subcommand(
      "preview", "Write the preview image a scene file carries (newer files from version 13 on), as stored: a JPEG.");
  verb->add_option("FILE", options->paths, "The .c4d files, or folders of them (a batch)")->required();
  verb->add_option("-o,--output", options->output,
                   "The image to write; for several files or a folder, the folder to write NAME.jpg into")
      ->required();
  verb->add_flag("--overwrite", options->overwrite, "Batch: write also the images that exist (by default skipped)");
  verb->footer(
      "Exit codes: 0 done, 1 a file could not be read (in a batch: any), 2 bad usage, 3 the file holds no preview "
      "or the image could not be written. In a batch a file without a preview is listed and is no failure.");
  verb->callback([options, &exitCode] { exitCode = RunPreviewVerb(*options, std::cout, std::cerr); });
}
