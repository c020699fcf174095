#include "batch_run.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "standin/host_control.h"
#include "terminal_front_end.h"

namespace fs = std::filesystem;

namespace c4dimport {

namespace {

using json = nlohmann::ordered_json;

bool IsSceneFile(const fs::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return extension == ".c4d";
}

// The output for a scene: its path below the output folder with the
// format's extension, made unique against those already taken.
std::string OutputFor(const fs::path& relative, const BatchOptions& options, std::set<std::string>& taken) {
  if (options.outputDir.empty()) return "";
  fs::path stem = fs::path(options.outputDir) / relative;
  stem.replace_extension();
  const std::string extension = "." + (options.format ? options.format->name : std::string("glb"));
  std::string candidate = stem.string() + extension;
  for (int n = 2; !taken.insert(candidate).second; ++n) candidate = stem.string() + "-" + std::to_string(n) + extension;
  return candidate;
}

int PresetAnswer(LargeAnswer answer) {
  switch (answer) {
    case LargeAnswer::Yes: return IDYES;
    case LargeAnswer::No: return IDNO;
    case LargeAnswer::Cancel: return IDCANCEL;
    case LargeAnswer::Ask: return 0;
  }
  return 0;
}

const char* AnswerWord(LargeAnswer answer) {
  switch (answer) {
    case LargeAnswer::Yes: return "yes";
    case LargeAnswer::Cancel: return "cancel";
    case LargeAnswer::Ask:  // a worker cannot ask: no
    case LargeAnswer::No: return "no";
  }
  return "no";
}

std::string FileName(const std::string& path) { return fs::path(path).filename().string(); }

BatchRow NotStarted(const BatchItem& item) {
  BatchRow row;
  row.file = item.input;
  row.output = item.output;
  row.status = "not started";
  row.exitCode = kExitCancelled;
  return row;
}

void MakeFolderFor(const std::string& output) {
  if (output.empty()) return;
  std::error_code ignored;
  const fs::path folder = fs::path(output).parent_path();
  if (!folder.empty()) fs::create_directories(folder, ignored);
}

ConvertOptions ConvertOptionsFor(const BatchItem& item, const BatchOptions& options) {
  ConvertOptions convert;
  convert.import.large = options.large;
  convert.import.cancelAfter = options.cancelAfter;
  convert.countingFigures = options.json;
  convert.primitives = RebuildFor(options.primitives, !item.output.empty(), options.json);
  convert.output = item.output;
  convert.format = options.format;
  convert.interrupted = Interrupted;
  return convert;
}

// ---- one process --------------------------------------------------------------------

std::vector<BatchRow> RunHere(const std::vector<BatchItem>& items, const BatchOptions& options) {
  ProgressLine line(STDERR_FILENO, isatty(STDERR_FILENO), "", PresetAnswer(options.large));
  std::vector<BatchRow> rows;
  for (size_t i = 0; i < items.size(); ++i) {
    const BatchItem& item = items[i];
    if (Interrupted()) {
      rows.push_back(NotStarted(item));
      continue;
    }
    if (options.layersFile.empty()) standin::ResetLayerTable();
    const std::string name = FileName(item.input);
    line.SetLabel("[" + std::to_string(i + 1) + "/" + std::to_string(items.size()) + "] " + name);
    line.SetBoxPrefix(name + ": ");
    ConvertOptions convert = ConvertOptionsFor(item, options);
    convert.import.ui = &line;
    convert.import.windowBackend = &line;
    convert.import.onPump = [&line](const ImportProgress& progress) {
      line.Counts(progress);
      if (PressCancelOnInterrupt()) line.Note("cancelling: the objects converted so far are kept (Ctrl-C again stops at once)");
    };
    MakeFolderFor(item.output);
    rows.push_back(RowOf(item, ConvertFile(item.input, convert)));
  }
  return rows;
}

// ---- worker processes ---------------------------------------------------------------

struct Worker {
  pid_t pid = -1;
  size_t item = 0;
  int outFd = -1;
  int errFd = -1;
  std::string out;
  std::string err;
};

void CloseOnExec(int fd) { fcntl(fd, F_SETFD, FD_CLOEXEC); }

bool Spawn(const BatchItem& item, size_t index, const BatchOptions& options, Worker& worker) {
  int out[2], err[2];
  if (pipe(out) != 0) return false;
  if (pipe(err) != 0) {
    close(out[0]), close(out[1]);
    return false;
  }
  CloseOnExec(out[0]);
  CloseOnExec(err[0]);
  std::vector<std::string> args = {options.tool, "import", "--row", item.input, "--large", AnswerWord(options.large)};
  if (!item.output.empty()) args.insert(args.end(), {"-o", item.output, "--format", options.format->name});
  if (options.cancelAfter) args.insert(args.end(), {"--cancel-after", std::to_string(*options.cancelAfter)});
  if (!options.layersFile.empty()) args.insert(args.end(), {"--layers", options.layersFile});
  if (!options.primitives) args.push_back("--no-primitives");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) {
    close(out[0]), close(out[1]), close(err[0]), close(err[1]);
    return false;
  }
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    const int none = open("/dev/null", O_RDONLY);
    if (none >= 0) dup2(none, STDIN_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  worker = Worker{pid, index, out[0], err[0], "", ""};
  return true;
}

// Reads what a worker wrote; false at the end of its output.
bool Drain(int& fd, std::string& into) {
  char buffer[4096];
  const ssize_t n = read(fd, buffer, sizeof buffer);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  if (n <= 0) {
    close(fd);
    fd = -1;
    return false;
  }
  into.append(buffer, size_t(n));
  return true;
}

BatchRow Finished(const BatchItem& item, Worker& worker) {
  int status = 0;
  while (waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
  }
  BatchRow row;
  const size_t lineEnd = worker.out.find('\n');
  if (ParseRow(worker.out.substr(0, lineEnd), row)) return row;
  row.file = item.input;
  row.output = item.output;
  row.status = "failed";
  row.exitCode = kExitUnreadable;
  if (WIFSIGNALED(status)) {
    row.detail = "the worker ended by signal " + std::to_string(WTERMSIG(status));
    if (WTERMSIG(status) == SIGINT) row.status = "cancelled", row.exitCode = kExitCancelled;
  } else if (WIFEXITED(status) && WEXITSTATUS(status) == kExitCancelled) {
    row.status = "cancelled";
    row.exitCode = kExitCancelled;
  } else {
    row.detail = "the worker ended with exit code " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  }
  return row;
}

std::vector<BatchRow> RunWorkers(const std::vector<BatchItem>& items, const BatchOptions& options) {
  std::vector<std::optional<BatchRow>> rows(items.size());
  std::vector<Worker> active;
  ProgressLine line(STDERR_FILENO, isatty(STDERR_FILENO), "");
  size_t next = 0, done = 0;
  auto status = [&] {
    std::string names;
    for (const Worker& w : active) names += (names.empty() ? "" : ", ") + FileName(items[w.item].input);
    line.SetLabel(std::to_string(done) + "/" + std::to_string(items.size()) + " done; converting " + names);
    line.ShowProgress(int(done * 100 / items.size()));
  };
  // Lines a worker wrote on its standard error, each under the file's name.
  auto passOn = [&](Worker& w, bool all) {
    size_t end;
    while ((end = w.err.find('\n')) != std::string::npos || (all && !w.err.empty())) {
      if (end == std::string::npos) end = w.err.size();
      line.Note(FileName(items[w.item].input) + ": " + w.err.substr(0, end));
      w.err.erase(0, std::min(end + 1, w.err.size()));
    }
  };
  for (;;) {
    while (active.size() < options.jobs && next < items.size() && !Interrupted()) {
      MakeFolderFor(items[next].output);
      Worker worker;
      if (Spawn(items[next], next, options, worker)) {
        active.push_back(worker);
      } else {
        BatchRow row = NotStarted(items[next]);
        row.status = "failed";
        row.exitCode = kExitUnreadable;
        row.detail = "no worker process could be started";
        rows[next] = row;
      }
      ++next;
    }
    if (active.empty()) break;
    status();
    std::vector<pollfd> fds;
    for (const Worker& w : active) {
      if (w.outFd >= 0) fds.push_back({w.outFd, POLLIN, 0});
      if (w.errFd >= 0) fds.push_back({w.errFd, POLLIN, 0});
    }
    if (poll(fds.data(), fds.size(), 200) < 0 && errno != EINTR) break;
    for (const pollfd& p : fds) {
      if (!(p.revents & (POLLIN | POLLHUP | POLLERR))) continue;
      for (Worker& w : active) {
        if (p.fd == w.outFd) Drain(w.outFd, w.out);
        if (p.fd == w.errFd) {
          Drain(w.errFd, w.err);
          passOn(w, w.errFd < 0);
        }
      }
    }
    for (auto it = active.begin(); it != active.end();) {
      if (it->outFd >= 0 || it->errFd >= 0) {
        ++it;
        continue;
      }
      rows[it->item] = Finished(items[it->item], *it);
      ++done;
      it = active.erase(it);
    }
  }
  line.Clear();
  std::vector<BatchRow> result;
  for (size_t i = 0; i < items.size(); ++i) result.push_back(rows[i] ? *rows[i] : NotStarted(items[i]));
  return result;
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", seconds);
  return text;
}

}  // namespace

bool PlanBatch(const BatchOptions& options, std::vector<BatchItem>& items, std::string& error) {
  std::set<std::string> taken;
  for (const std::string& input : options.inputs) {
    std::error_code code;
    if (!fs::is_directory(input, code)) {
      // A file, or a name that is none: it fails as unreadable in its turn.
      items.push_back({input, OutputFor(fs::path(input).filename(), options, taken)});
      continue;
    }
    std::vector<fs::path> scenes;
    fs::recursive_directory_iterator walk(input, fs::directory_options::skip_permission_denied, code);
    if (code) {
      error = input + ": the folder cannot be read: " + code.message();
      return false;
    }
    for (const fs::directory_entry& entry : walk) {
      if (entry.is_regular_file(code) && IsSceneFile(entry.path())) scenes.push_back(entry.path());
    }
    std::sort(scenes.begin(), scenes.end());
    for (const fs::path& scene : scenes) {
      items.push_back({scene.string(), OutputFor(scene.lexically_relative(input), options, taken)});
    }
  }
  return true;
}

BatchRow RowOf(const BatchItem& item, const Conversion& conversion) {
  BatchRow row;
  row.file = item.input;
  row.output = conversion.Wrote() ? item.output : "";
  row.objects = conversion.result.objects.size();
  row.meshes = conversion.Meshes();
  row.polylines = conversion.Polylines();
  row.notConverted = conversion.NotConvertedCount();
  row.seconds = conversion.seconds;
  row.status = StatusName(conversion.Status());
  row.exitCode = ExitCodeOf(conversion);
  for (const NotConvertedObject& object : conversion.notConverted) {
    row.notConvertedNames.push_back(object.path + ": " + object.reason);
  }
  if (!conversion.result.hostError.empty()) row.detail = conversion.result.hostError;
  if (conversion.result.readable && !item.output.empty() && !conversion.written.written) {
    row.detail = conversion.written.error;
  }
  return row;
}

std::string RowJson(const BatchRow& row) {
  const json j = {{"file", row.file},
                  {"output", row.output.empty() ? json(nullptr) : json(row.output)},
                  {"objects", row.objects},
                  {"meshes", row.meshes},
                  {"polylines", row.polylines},
                  {"notConverted", row.notConverted},
                  {"seconds", row.seconds},
                  {"status", row.status},
                  {"exitCode", row.exitCode},
                  {"notConvertedNames", row.notConvertedNames},
                  {"detail", row.detail.empty() ? json(nullptr) : json(row.detail)}};
  return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

bool ParseRow(const std::string& text, BatchRow& row) {
  const json j = json::parse(text, nullptr, false);
  if (j.is_discarded() || !j.is_object() || !j.contains("status")) return false;
  try {
    row.file = j.at("file").get<std::string>();
    row.output = j.at("output").is_null() ? "" : j.at("output").get<std::string>();
    row.objects = j.at("objects").get<size_t>();
    row.meshes = j.at("meshes").get<size_t>();
    row.polylines = j.at("polylines").get<size_t>();
    row.notConverted = j.at("notConverted").get<size_t>();
    row.seconds = j.at("seconds").get<double>();
    row.status = j.at("status").get<std::string>();
    row.exitCode = j.at("exitCode").get<int>();
    row.notConvertedNames = j.at("notConvertedNames").get<std::vector<std::string>>();
    row.detail = j.at("detail").is_null() ? "" : j.at("detail").get<std::string>();
  } catch (const json::exception&) {
    return false;
  }
  return true;
}

void PrintTable(const std::vector<BatchRow>& rows, std::ostream& out) {
  const std::vector<std::string> heads = {"file", "objects", "meshes", "polylines", "not converted", "seconds", "status"};
  std::vector<std::vector<std::string>> cells;
  for (const BatchRow& r : rows) {
    std::string status = r.status;
    if (!r.detail.empty()) status += " (" + r.detail + ")";
    cells.push_back({r.file, std::to_string(r.objects), std::to_string(r.meshes), std::to_string(r.polylines),
                     std::to_string(r.notConverted), Seconds(r.seconds), status});
  }
  std::vector<size_t> widths;
  for (const std::string& head : heads) widths.push_back(head.size());
  for (const auto& row : cells) {
    for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  auto print = [&](const std::vector<std::string>& row) {
    std::string text;
    for (size_t c = 0; c < row.size(); ++c) {
      const bool left = c == 0 || c + 1 == row.size();
      const std::string pad(widths[c] - row[c].size(), ' ');
      if (c) text += "  ";
      text += left ? row[c] + (c + 1 == row.size() ? "" : pad) : pad + row[c];
    }
    out << text << "\n";
  };
  print(heads);
  for (const auto& row : cells) print(row);
  for (const BatchRow& r : rows) {
    if (r.notConvertedNames.empty()) continue;
    out << "not converted in " << r.file << ":\n";
    for (const std::string& name : r.notConvertedNames) out << "  " << name << "\n";
  }
  std::map<std::string, size_t> byStatus;
  for (const BatchRow& r : rows) ++byStatus[r.status];
  std::string totals;
  for (const auto& [status, n] : byStatus) totals += (totals.empty() ? "" : ", ") + std::to_string(n) + " " + status;
  out << rows.size() << (rows.size() == 1 ? " file: " : " files: ") << totals << "\n";
}

int RunBatch(const BatchOptions& options, std::ostream& out, std::ostream& err) {
  std::vector<BatchItem> items;
  std::string error;
  if (!PlanBatch(options, items, error)) {
    err << "c4dimport: " << error << "\n";
    return kExitUnreadable;
  }
  InstallInterruptHandler();
  BatchOptions effective = options;
  if (effective.tool.empty()) effective.tool = fs::read_symlink("/proc/self/exe").string();
  const std::vector<BatchRow> rows =
      effective.jobs > 1 && items.size() > 1 ? RunWorkers(items, effective) : RunHere(items, effective);
  if (options.json) {
    json files = json::array();
    for (const BatchRow& row : rows) files.push_back(json::parse(RowJson(row)));
    out << json({{"files", files}}).dump(1, ' ', false, json::error_handler_t::replace) << "\n";
  } else {
    PrintTable(rows, out);
  }
  bool unreadable = false, notWritten = false, cancelled = Interrupted();
  for (const BatchRow& row : rows) {
    unreadable |= row.exitCode == kExitUnreadable;
    notWritten |= row.exitCode == kExitNotWritten;
    cancelled |= row.exitCode == kExitCancelled;
  }
  if (cancelled) return kExitCancelled;
  if (unreadable) return kExitUnreadable;
  if (notWritten) return kExitNotWritten;
  return kExitDone;
}

int RunBatchWorker(const BatchItem& item, const BatchOptions& options, std::ostream& out) {
  InstallInterruptHandler();
  ConvertOptions convert = ConvertOptionsFor(item, options);
  convert.import.onPump = [](const ImportProgress&) { PressCancelOnInterrupt(); };
  const Conversion conversion = ConvertFile(item.input, convert);
  const BatchRow row = RowOf(item, conversion);
  out << RowJson(row) << "\n" << std::flush;
  return row.exitCode;
}

}  // namespace c4dimport
