// c4dimport on a terminal: run under a pseudo-terminal (standard input and
// error on the terminal, standard output in a file), it draws the progress
// dialog as a line and clears it, asks the large question at the prompt, and
// takes Ctrl-C as the dialog's Cancel button; into a pipe it draws nothing.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>

#include <functional>
#include <regex>

#include "tool_process.h"

namespace {

struct TerminalRun {
  int exitCode = -1;
  std::string terminal;  // everything the tool wrote to the terminal
  std::string out;       // its standard output
};

class OnTerminal : public ToolProcessTest {
 protected:
  // Runs the tool on a pseudo-terminal of 100 columns. `react` sees what
  // reached the terminal so far and returns bytes to type ("" none).
  TerminalRun Run(std::vector<std::string> args, const std::function<std::string(const std::string&)>& react = {}) {
    args.insert(args.begin(), C4DIMPORT_PATH);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    winsize size{24, 100, 0, 0};
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, &size);
    if (pid == 0) {
      dup2(open(Path("stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
      execv(argv[0], argv.data());
      _exit(127);
    }
    TerminalRun run;
    char buffer[4096];
    for (pollfd p{master, POLLIN, 0}; pid > 0;) {
      if (poll(&p, 1, 30000) <= 0) {
        ADD_FAILURE() << "the tool wrote nothing for 30 s";
        kill(pid, SIGKILL);
        break;
      }
      const ssize_t n = read(master, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // the terminal's other side is closed
      run.terminal.append(buffer, size_t(n));
      const std::string keys = react ? react(run.terminal) : "";
      if (!keys.empty() && write(master, keys.data(), keys.size()) < 0) ADD_FAILURE() << "typing failed";
    }
    int status = 0;
    waitpid(pid, &status, 0);
    close(master);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream out(Path("stdout.txt"));
    run.out.assign(std::istreambuf_iterator<char>(out), std::istreambuf_iterator<char>());
    return run;
  }
};

// The bar is drawn with the file's name and counts and cleared at the end;
// into a pipe nothing is drawn. The large question is asked at the prompt.
TEST_F(OnTerminal, TheBarIsDrawnAndClearedAndTheLargeQuestionIsAskedAtThePrompt) {
  SceneSpec scene;
  scene.layers = {LayerSpec::Named("Walls", 1)};
  scene.objects = {ObjectSpec::Polygon("A", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}}).OnLayer(1),
                   ObjectSpec::Spline("B", {{0, 0, 0}, {1, 0, 0}}, false)};
  const std::string small = Write(scene, "small.c4d");
  const TerminalRun run = Run({"import", small, "-o", Path("small.glb")});
  EXPECT_EQ(run.exitCode, 0) << run.terminal;
  for (const char* drawn : {"\rsmall.c4d  [", "  2 objects", "100%"}) {
    EXPECT_NE(run.terminal.find(drawn), std::string::npos) << run.terminal;
  }
  EXPECT_TRUE(run.terminal.ends_with("\r\033[K")) << "nothing stays behind the cleared line";
  EXPECT_NE(run.out.find("written: "), std::string::npos);
  EXPECT_EQ(Tool("import " + Quoted(small)).err, "") << "into a pipe nothing is drawn";

  scene.objects[0] = ObjectSpec::Polygon("Huge", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
                                         std::vector<CPolygon>(500001, CPolygon{0, 1, 2, 2}));
  bool answered = false;
  const TerminalRun asked = Run({"import", Write(scene, "huge.c4d")}, [&](const std::string& terminal) {
    if (answered || terminal.find("[y/n/c] ") == std::string::npos) return "";
    answered = true;
    return "n\n";
  });
  EXPECT_TRUE(answered) << asked.terminal;
  EXPECT_EQ(asked.exitCode, 0) << asked.terminal;
  EXPECT_NE(asked.out.find("objects: 1 polyline"), std::string::npos) << asked.out;
  EXPECT_NE(asked.out.find("\"Huge\": a mesh of 500001 polygons"), std::string::npos) << asked.out;
  // The message box about it is one line on the terminal, not inside the bar.
  EXPECT_NE(asked.terminal.find("message (information): "), std::string::npos) << asked.terminal;
}

// Many small meshes, then many splines: after Cancel the module skips the
// remaining meshes but still converts every spline. The bar (and with it
// the pump that sees Ctrl-C) moves every fiftieth of the objects, so the
// meshes span several of its steps, and the splines take long enough to
// press Ctrl-C again while they are converted: that second press ends the
// tool at once, writing nothing.
TEST_F(OnTerminal, CtrlCPressesCancelAndASecondCtrlCEndsTheToolAtOnce) {
  constexpr int kMeshes = 2000, kSplines = 10000;
  SceneSpec scene;
  std::vector<Vector> grid, line;
  std::vector<CPolygon> quads;
  for (int i = 0; i < 36; ++i) grid.push_back({float(i % 6), float(i / 6), 0});
  for (int i = 0, k = 0; i < 25; ++i, k = i / 5 * 6 + i % 5) quads.push_back({k, k + 1, k + 7, k + 6});
  for (int i = 0; i < 100; ++i) line.push_back({float(i), 0, float(i % 7)});
  for (int i = 0; i < kMeshes; ++i) scene.objects.push_back(ObjectSpec::Polygon("Mesh", grid, quads));
  for (int i = 0; i < kSplines; ++i) scene.objects.push_back(ObjectSpec::Spline("Line", line, false));
  const std::string path = Write(scene, "many.c4d"), output = Path("many.glb");
  static const std::regex converted(R"( [1-9]\d* objects)");  // the bar shows a converted object
  for (int wanted : {1, 2}) {
    int presses = 0;
    const TerminalRun run = Run({"import", path, "-o", output}, [&](const std::string& terminal) {
      if (presses == wanted) return "";
      const bool next = presses == 0 ? std::regex_search(terminal, converted) : terminal.find("cancelling:") != std::string::npos;
      return next ? ++presses, "\x03" : "";
    });
    EXPECT_EQ(presses, wanted) << run.terminal;
    EXPECT_EQ(run.exitCode, 4) << run.terminal;
    EXPECT_NE(run.terminal.find("cancelling: the objects converted so far are kept"), std::string::npos);
    if (wanted == 2) {
      EXPECT_NE(run.terminal.find("c4dimport: interrupted"), std::string::npos) << run.terminal;
      EXPECT_EQ(run.out, "");
      EXPECT_FALSE(std::filesystem::exists(output));
      continue;
    }
    EXPECT_NE(run.out.find(", cancelled"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("written: " + output), std::string::npos) << run.out;
    // Every spline, and of the meshes those converted before the press
    // (under load it may land after the last one).
    std::smatch kept;
    ASSERT_TRUE(std::regex_search(run.out, kept, std::regex(R"(objects: (\d+) meshes?, (\d+) polylines)"))) << run.out;
    EXPECT_GE(std::stoi(kept[1]), 1);
    EXPECT_LE(std::stoi(kept[1]), kMeshes);
    EXPECT_EQ(std::stoi(kept[2]), kSplines);
    std::filesystem::remove(output);
  }
}

}  // namespace
