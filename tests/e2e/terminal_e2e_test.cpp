// c4dimport on a terminal: run under a pseudo-terminal (standard input and
// error on the terminal, standard output in a file), it draws the progress
// dialog as a line and clears it, asks the large question at the prompt, and
// takes Ctrl-C as the dialog's Cancel button; into a pipe it draws nothing.
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>

#include <cerrno>
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
  TerminalRun Run(const std::vector<std::string>& arguments,
                  const std::function<std::string(const std::string&)>& react = nullptr) {
    const std::string outPath = Path("stdout.txt");
    std::vector<std::string> args = {C4DIMPORT_PATH};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    winsize size{};
    size.ws_row = 24;
    size.ws_col = 100;
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, &size);
    TerminalRun run;
    if (pid < 0) {
      ADD_FAILURE() << "forkpty failed";
      return run;
    }
    if (pid == 0) {
      const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (out >= 0) dup2(out, STDOUT_FILENO);
      execv(argv[0], argv.data());
      _exit(127);
    }
    for (;;) {
      pollfd p{master, POLLIN, 0};
      if (poll(&p, 1, 30000) <= 0) {
        ADD_FAILURE() << "the tool wrote nothing for 30 s";
        kill(pid, SIGKILL);
        break;
      }
      char buffer[4096];
      const ssize_t n = read(master, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // the terminal's other side is closed
      run.terminal.append(buffer, size_t(n));
      if (react) {
        const std::string keys = react(run.terminal);
        if (!keys.empty() && write(master, keys.data(), keys.size()) < 0) ADD_FAILURE() << "typing failed";
      }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    close(master);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream out(outPath);
    run.out.assign(std::istreambuf_iterator<char>(out), std::istreambuf_iterator<char>());
    return run;
  }
};

const std::string kClearLine = "\r\033[K";

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
  for (const char* drawn : {"\rsmall.c4d  [", "2/2 objects", "100%"}) {
    EXPECT_NE(run.terminal.find(drawn), std::string::npos) << run.terminal;
  }
  EXPECT_TRUE(run.terminal.ends_with(kClearLine)) << "nothing stays behind the cleared line";
  EXPECT_NE(run.out.find("written: "), std::string::npos);
  const ToolResult piped = Tool("import " + Quoted(small) + " -o " + Quoted(Path("small.glb")));
  EXPECT_EQ(piped.exitCode, 0);
  EXPECT_EQ(piped.err, "");

  scene.objects[0] = ObjectSpec::Polygon("Huge", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
                                         std::vector<CPolygon>(500001, CPolygon{0, 1, 2, 2}));
  bool answered = false;
  const TerminalRun asked = Run({"import", Write(scene, "huge.c4d")}, [&](const std::string& terminal) {
    if (answered || terminal.find("[y/n/c] ") == std::string::npos) return std::string();
    answered = true;
    return std::string("n\n");
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
// press Ctrl-C again while they are converted.
constexpr int kMeshes = 2000;
constexpr int kSplines = 10000;

SceneSpec MeshesThenSplines() {
  SceneSpec scene;
  std::vector<Vector> grid;
  std::vector<CPolygon> quads;
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) grid.push_back({float(x), float(y), 0});
  }
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) quads.push_back({y * 6 + x, y * 6 + x + 1, y * 6 + x + 7, y * 6 + x + 6});
  }
  for (int i = 0; i < kMeshes; ++i) scene.objects.push_back(ObjectSpec::Polygon("Mesh", grid, quads));
  std::vector<Vector> line;
  for (int i = 0; i < 100; ++i) line.push_back({float(i), 0, float(i % 7)});
  for (int i = 0; i < kSplines; ++i) scene.objects.push_back(ObjectSpec::Spline("Line", line, false));
  return scene;
}

// The converted count the bar shows last; -1 before the first.
int ShownCount(const std::string& terminal) {
  static const std::regex count(R"((\d+)/\d+ objects)");
  int shown = -1;
  for (auto it = std::sregex_iterator(terminal.begin(), terminal.end(), count); it != std::sregex_iterator(); ++it) {
    shown = std::stoi((*it)[1]);
  }
  return shown;
}

TEST_F(OnTerminal, CtrlCPressesCancelAndWhatWasConvertedIsStillWritten) {
  const std::string scene = Write(MeshesThenSplines(), "many.c4d");
  const std::string output = Path("many.glb");
  bool pressed = false;
  const TerminalRun run = Run({"import", scene, "-o", output}, [&](const std::string& terminal) {
    if (pressed || ShownCount(terminal) < 1) return std::string();
    pressed = true;
    return std::string("\x03");
  });
  ASSERT_TRUE(pressed) << run.terminal;
  EXPECT_EQ(run.exitCode, 4) << run.terminal;
  EXPECT_NE(run.terminal.find("cancelling: the objects converted so far are kept"), std::string::npos);
  EXPECT_NE(run.out.find(", cancelled"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("written: " + output), std::string::npos) << run.out;

  Assimp::Importer importer;
  const aiScene* written = importer.ReadFile(output, 0);
  ASSERT_NE(written, nullptr) << importer.GetErrorString();
  // glTF holds the objects of one layer and material as one mesh: count
  // them by their faces (each grid 50 triangles, each line 99 segments).
  size_t triangles = 0, segments = 0;
  for (unsigned i = 0; i < written->mNumMeshes; ++i) {
    for (unsigned f = 0; f < written->mMeshes[i]->mNumFaces; ++f) {
      const unsigned n = written->mMeshes[i]->mFaces[f].mNumIndices;
      triangles += n == 3;
      segments += n == 2;
    }
  }
  ASSERT_EQ(triangles % 50, 0u);
  const int meshes = int(triangles / 50);
  const int lines = int(segments / 99);
  EXPECT_GE(meshes, 1);
  EXPECT_LT(meshes, kMeshes);
  EXPECT_EQ(lines, kSplines);
}

TEST_F(OnTerminal, ASecondCtrlCEndsTheToolAtOnce) {
  const std::string scene = Write(MeshesThenSplines(), "many.c4d");
  const std::string output = Path("many.glb");
  int presses = 0;
  const TerminalRun run = Run({"import", scene, "-o", output}, [&](const std::string& terminal) {
    if (presses == 0 && ShownCount(terminal) >= 1) return ++presses, std::string("\x03");
    // The first press was taken: the splines are still being converted.
    if (presses == 1 && terminal.find("cancelling:") != std::string::npos) return ++presses, std::string("\x03");
    return std::string();
  });
  EXPECT_EQ(presses, 2) << run.terminal;
  EXPECT_EQ(run.exitCode, 4);
  EXPECT_NE(run.terminal.find("c4dimport: interrupted"), std::string::npos) << run.terminal;
  EXPECT_TRUE(run.out.empty()) << run.out;
  EXPECT_FALSE(std::filesystem::exists(output));
}

}  // namespace
