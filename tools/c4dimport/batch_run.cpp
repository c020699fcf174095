#include "batch_run.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <new>
#include <nlohmann/json.hpp>
#include <sstream>

#include "json_writer.h"
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

// A row of a file that ended without a conversion's result.
BatchRow Failed(const BatchItem& item, const std::string& status, const std::string& detail, double seconds) {
  BatchRow row = NotStarted(item);
  row.output.clear();
  row.status = status;
  row.exitCode = kExitUnreadable;
  row.detail = detail;
  row.seconds = seconds;
  return row;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", seconds);
  return text;
}

// Where a process writes a file's output before it is whole: a folder of
// its own beside it, for the output and what a format writes beside it (a
// glTF's .bin, an OBJ's .mtl), named after the output and the process.
std::string TempFolderFor(const std::string& output, pid_t pid) { return output + ".tmp-" + std::to_string(pid); }

// Converts a file into its temporary folder and moves what was written into
// place, the output itself last: an output that exists is whole. The folder
// goes, whatever happens.
Conversion ConvertInPlace(const BatchItem& item, ConvertOptions convert) {
  if (item.output.empty()) return ConvertFile(item.input, convert);
  const fs::path target(item.output);
  const fs::path folder = TempFolderFor(item.output, getpid());
  struct Removed {
    const fs::path& folder;
    ~Removed() {
      std::error_code ignored;
      fs::remove_all(folder, ignored);
    }
  } removed{folder};
  std::error_code code;
  fs::create_directories(folder, code);
  convert.output = (folder / target.filename()).string();
  Conversion conversion = ConvertFile(item.input, convert);
  conversion.output = item.output;
  if (!conversion.Wrote()) return conversion;
  std::vector<fs::path> written;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, code)) {
    if (entry.path().filename() != target.filename()) written.push_back(entry.path());
  }
  written.push_back(convert.output);
  for (const fs::path& file : written) {
    if (!code) fs::rename(file, target.parent_path() / file.filename(), code);
  }
  if (code) {
    conversion.written.written = false;
    conversion.written.error = "the output could not be moved into place: " + code.message();
  }
  return conversion;
}

// A file's conversion with a barrier: an exception out of it is the file's
// row, never the batch's end.
BatchRow ConvertRow(const BatchItem& item, const ConvertOptions& convert) {
  const auto start = std::chrono::steady_clock::now();
  try {
    return RowOf(item, ConvertInPlace(item, convert));
  } catch (const std::bad_alloc&) {
    return Failed(item, "out of memory", "", SecondsSince(start));
  } catch (const std::exception& e) {
    return Failed(item, "failed", e.what(), SecondsSince(start));
  } catch (...) {
    return Failed(item, "failed", "an exception that is no std::exception", SecondsSince(start));
  }
}

// The report file: a line for each file, appended whole as it finishes, so
// that a batch that is killed keeps the lines of the files it finished.
class ReportFile {
 public:
  explicit ReportFile(const std::string& path)
      : m_fd(path.empty() ? -1 : open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644)),
        m_failed(!path.empty() && m_fd < 0) {}
  ~ReportFile() {
    if (m_fd >= 0) close(m_fd);
  }
  bool Failed() const { return m_failed; }
  void Add(const BatchRow& row) {
    if (m_fd < 0) return;
    const std::string line = ReportJson(row) + "\n";
    m_failed |= write(m_fd, line.data(), line.size()) != static_cast<ssize_t>(line.size());
  }

 private:
  int m_fd;
  bool m_failed;
};

void MakeFolderFor(const std::string& output) {
  if (output.empty()) return;
  std::error_code ignored;
  const fs::path folder = fs::path(output).parent_path();
  if (!folder.empty()) fs::create_directories(folder, ignored);
}

}  // namespace

c4dexport::ExportScene::Units UnitsOf(const std::string& word) {
  return word == "cm" ? c4dexport::ExportScene::Units::Centimetres : c4dexport::ExportScene::Units::Millimetres;
}

namespace {

ConvertOptions ConvertOptionsFor(const BatchItem& item, const BatchOptions& options) {
  ConvertOptions convert;
  convert.import.large = options.large;
  convert.import.cancelAfter = options.cancelAfter;
  convert.countingFigures = options.json;
  convert.primitives = options.primitives;
  convert.keepHidden = options.hidden;
  convert.renderLevel = options.renderLevel;
  convert.units = UnitsOf(options.units);
  convert.output = item.output;
  convert.format = options.format;
  convert.interrupted = Interrupted;
  return convert;
}

// ---- one process --------------------------------------------------------------------

std::vector<BatchRow> RunHere(const std::vector<BatchItem>& items, const BatchOptions& options, ReportFile& report) {
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
    rows.push_back(ConvertRow(item, convert));
    report.Add(rows.back());
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
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  bool timedOut = false;  // killed at the time limit
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
  if (options.hidden) args.push_back("--hidden");
  if (options.renderLevel) args.push_back("--render-level");
  if (options.units != "mm") args.insert(args.end(), {"--units", options.units});
  if (options.memoryMb) args.insert(args.end(), {"--memory", std::to_string(options.memoryMb)});
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

BatchRow Finished(const BatchItem& item, Worker& worker, const BatchOptions& options) {
  int status = 0;
  while (waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
  }
  BatchRow row;
  const size_t lineEnd = worker.out.find('\n');
  if (!worker.timedOut && ParseRow(worker.out.substr(0, lineEnd), row)) return row;
  row = Failed(item, "failed", "", SecondsSince(worker.start));
  if (!item.output.empty()) {  // what a killed worker left half written
    std::error_code ignored;
    fs::remove_all(TempFolderFor(item.output, worker.pid), ignored);
  }
  if (worker.timedOut) {
    row.status = "timed out";
    row.detail = "stopped at the time limit of " + Seconds(options.timeout) + " s";
  } else if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    row.detail = "the worker ended by signal " + std::to_string(signal);
    // An allocator that cannot throw (mimalloc, in the tool as it ships)
    // aborts at the limit, and a stack that cannot grow faults.
    if (options.memoryMb && (signal == SIGABRT || signal == SIGSEGV || signal == SIGBUS)) {
      row.status = "out of memory";
      row.detail += " at the memory limit of " + std::to_string(options.memoryMb) + " MB";
    }
    if (signal == SIGINT) row.status = "cancelled", row.exitCode = kExitCancelled;
  } else if (WIFEXITED(status) && WEXITSTATUS(status) == kExitCancelled) {
    row.status = "cancelled";
    row.exitCode = kExitCancelled;
  } else {
    row.detail = "the worker ended with exit code " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  }
  return row;
}

std::vector<BatchRow> RunWorkers(const std::vector<BatchItem>& items, const BatchOptions& options, ReportFile& report) {
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
        report.Add(row);
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
      if (options.timeout > 0 && !it->timedOut && SecondsSince(it->start) > options.timeout) {
        it->timedOut = kill(it->pid, SIGKILL) == 0;
      }
      if (it->outFd >= 0 || it->errFd >= 0) {
        ++it;
        continue;
      }
      rows[it->item] = Finished(items[it->item], *it, options);
      report.Add(*rows[it->item]);
      ++done;
      it = active.erase(it);
    }
  }
  line.Clear();
  std::vector<BatchRow> result;
  for (size_t i = 0; i < items.size(); ++i) result.push_back(rows[i] ? *rows[i] : NotStarted(items[i]));
  return result;
}

// The memory a worker may take: its address space held to what it holds now
// and `megabytes` more. An operator new that fails under it is noted.
std::atomic<bool> g_allocationFailed{false};

void LimitMemory(size_t megabytes) {
  size_t held = 0;
  std::ifstream statm("/proc/self/statm");
  statm >> held;  // pages; 0 where there is no /proc
  const rlim_t limit = rlim_t(held) * rlim_t(sysconf(_SC_PAGESIZE)) + rlim_t(megabytes) * 1024 * 1024;
  const rlimit cap{limit, limit};
  setrlimit(RLIMIT_AS, &cap);
  std::set_new_handler([] {
    g_allocationFailed = true;
    throw std::bad_alloc();
  });
}

}  // namespace

bool ParseShard(const std::string& text, unsigned& index, unsigned& count) {
  unsigned i = 0, n = 0;
  char slash = 0, rest = 0;
  if (std::sscanf(text.c_str(), "%u%c%u%c", &i, &slash, &n, &rest) != 3 || slash != '/' || i < 1 || i > n) return false;
  index = i;
  count = n;
  return true;
}

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
  if (options.shardCount > 1) {
    std::vector<BatchItem> share;
    for (size_t i = options.shardIndex - 1; i < items.size(); i += options.shardCount) share.push_back(items[i]);
    items = std::move(share);
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

namespace {

void Optional(JsonWriter& json, const std::string& text) { text.empty() ? json.Null() : json.String(text); }

void WriteRow(JsonWriter& json, const BatchRow& row) {
  json.BeginObject().Key("file").String(row.file).Key("output");
  Optional(json, row.output);
  json.Key("objects").Unsigned(row.objects).Key("meshes").Unsigned(row.meshes);
  json.Key("polylines").Unsigned(row.polylines).Key("notConverted").Unsigned(row.notConverted);
  json.Key("seconds").Number(row.seconds).Key("status").String(row.status).Key("exitCode").Integer(row.exitCode);
  json.Key("notConvertedNames").BeginArray();
  for (const std::string& name : row.notConvertedNames) json.String(name);
  json.EndArray().Key("detail");
  Optional(json, row.detail);
  json.EndObject();
}

}  // namespace

std::string RowJson(const BatchRow& row) {
  std::ostringstream out;
  {
    JsonWriter json(out, JsonWriter::Layout::OneLine);
    WriteRow(json, row);
  }
  std::string text = out.str();
  text.pop_back();  // the line's end is the caller's
  return text;
}

std::string ReportJson(const BatchRow& row) {
  std::ostringstream out;
  {
    JsonWriter json(out, JsonWriter::Layout::OneLine);
    json.BeginObject().Key("file").String(row.file).Key("output");
    Optional(json, row.output);
    json.Key("status").String(row.status).Key("objects").Unsigned(row.objects).Key("meshes").Unsigned(row.meshes);
    json.Key("polylines").Unsigned(row.polylines).Key("notConverted").Unsigned(row.notConverted);
    json.Key("seconds").Number(row.seconds).Key("exitCode").Integer(row.exitCode).Key("reasons").BeginArray();
    if (!row.detail.empty()) json.String(row.detail);
    for (const std::string& name : row.notConvertedNames) json.String(name);
    json.EndArray().EndObject();
  }
  std::string text = out.str();
  text.pop_back();
  return text;
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
  ReportFile report(options.reportFile);
  if (report.Failed()) {
    err << "c4dimport: the report file cannot be written: " << options.reportFile << ": " << std::strerror(errno) << "\n";
    return kExitNotWritten;
  }
  InstallInterruptHandler();
  BatchOptions effective = options;
  if (effective.tool.empty()) effective.tool = fs::read_symlink("/proc/self/exe").string();
  // Files whose output exists are done: a rerun converts nothing twice.
  std::vector<BatchRow> rows(items.size());
  std::vector<BatchItem> todo;
  std::vector<size_t> placeOf;
  for (size_t i = 0; i < items.size(); ++i) {
    std::error_code code;
    if (!options.overwrite && !items[i].output.empty() && fs::exists(items[i].output, code)) {
      rows[i] = NotStarted(items[i]);
      rows[i].status = "skipped";
      rows[i].exitCode = kExitDone;
      report.Add(rows[i]);
    } else {
      todo.push_back(items[i]);
      placeOf.push_back(i);
    }
  }
  // A limit needs a worker to hold it, even one at a time.
  const bool workers = (effective.jobs > 1 && todo.size() > 1) || options.timeout > 0 || options.memoryMb > 0;
  const std::vector<BatchRow> converted = workers ? RunWorkers(todo, effective, report) : RunHere(todo, effective, report);
  for (size_t k = 0; k < converted.size(); ++k) {
    rows[placeOf[k]] = converted[k];
    if (converted[k].status == "not started") report.Add(converted[k]);
  }
  if (options.json) {
    JsonWriter json(out);
    json.BeginObject().Key("files").BeginArray();
    for (const BatchRow& row : rows) WriteRow(json, row);
    json.EndArray().EndObject();
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
  if (options.memoryMb) LimitMemory(options.memoryMb);
  ConvertOptions convert = ConvertOptionsFor(item, options);
  convert.import.onPump = [](const ImportProgress&) { PressCancelOnInterrupt(); };
  BatchRow row = ConvertRow(item, convert);
  // An allocation refused at the limit may have surfaced as anything: an
  // unreadable file, a host error.
  if (g_allocationFailed && row.status != "ok" && row.status != "cancelled") {
    row.status = "out of memory";
    row.exitCode = kExitUnreadable;
  }
  if (row.status == "out of memory" && options.memoryMb) {
    row.detail = "over the memory limit of " + std::to_string(options.memoryMb) + " MB";
  }
  out << RowJson(row) << "\n" << std::flush;
  return row.exitCode;
}

}  // namespace c4dimport
