// The tool's front end without a process: the progress line as the dialog's
// window backend, the batch plan and its rows.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "batch_run.h"
#include "terminal_front_end.h"

using namespace c4dimport;

namespace {

// Everything written to a pipe so far.
std::string Drain(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(n));
  return text;
}

TEST(ProgressLine, DrawsOnlyTheProgressDialogsBarAndOnlyOnATerminal) {
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
  const HWND dialog = reinterpret_cast<HWND>(0x10), bar = reinterpret_cast<HWND>(0x20);
  const HWND other = reinterpret_cast<HWND>(0x30);
  for (bool terminal : {true, false}) {
    ProgressLine line(pipeEnds[1], terminal, "house.c4d");
    line.OnCreate({dialog, nullptr, afx_frontend::WindowKind::Dialog, 102, ""});
    line.OnCreate({bar, dialog, afx_frontend::WindowKind::ProgressBar, 1000, ""});
    line.OnCreate({other, nullptr, afx_frontend::WindowKind::ProgressBar, 1000, ""});
    line.OnShow(dialog, true);
    line.OnProgressRange(bar, 0, 100);
    line.Counts({3, 6});
    line.OnProgressPos(bar, 25);
    line.OnProgressPos(other, 80);
    line.Note("a note");
    line.OnShow(dialog, false);
    line.OnProgressPos(bar, 50);
    const std::string drawn = Drain(pipeEnds[0]);
    if (!terminal) {
      EXPECT_EQ(drawn, "a note\n");
      continue;
    }
    const std::string bar25 = "\rhouse.c4d  [#######-----------------------]   25%  3/6 objects\033[K";
    EXPECT_NE(drawn.find(bar25 + "\r\033[Ka note\n" + bar25 + "\r\033[K"), std::string::npos) << drawn;
    EXPECT_EQ(drawn.find("80%"), std::string::npos) << drawn;
    EXPECT_TRUE(drawn.ends_with("a note\n" + bar25 + "\r\033[K")) << "hidden: nothing more is drawn";
  }
  close(pipeEnds[0]);
  close(pipeEnds[1]);
}

TEST(BatchPlan, FoldersGiveTheirScenesInOrderAndOutputsStayUnique) {
  const auto folder = std::filesystem::temp_directory_path() / ("c4dimport-plan-" + std::to_string(getpid()));
  for (const char* file : {"in/b.c4d", "in/a.C4D", "in/sub/a.c4d", "in/readme.txt", "other/a.c4d"}) {
    std::filesystem::create_directories((folder / file).parent_path());
    std::ofstream(folder / file) << "x";
  }
  auto at = [&](const char* name) { return (folder / name).string(); };
  BatchOptions options;
  options.inputs = {at("in"), at("other/a.c4d"), at("missing.c4d")};
  options.format = c4dexport::FindExportFormat("dxf");
  for (bool writing : {true, false}) {
    options.outputDir = writing ? at("out") : "";
    std::vector<BatchItem> items;
    std::string error;
    ASSERT_TRUE(PlanBatch(options, items, error)) << error;
    std::vector<std::string> plan;
    for (const BatchItem& item : items) plan.push_back(item.input + " -> " + item.output);
    // A second "a" does not overwrite the first; a name that is no file takes its turn.
    EXPECT_EQ(plan, (writing ? std::vector<std::string>{at("in/a.C4D") + " -> " + at("out/a.dxf"),
                                                        at("in/b.c4d") + " -> " + at("out/b.dxf"),
                                                        at("in/sub/a.c4d") + " -> " + at("out/sub/a.dxf"),
                                                        at("other/a.c4d") + " -> " + at("out/a-2.dxf"),
                                                        at("missing.c4d") + " -> " + at("out/missing.dxf")}
                             : std::vector<std::string>{at("in/a.C4D") + " -> ", at("in/b.c4d") + " -> ",
                                                        at("in/sub/a.c4d") + " -> ", at("other/a.c4d") + " -> ",
                                                        at("missing.c4d") + " -> "}));
  }
  std::filesystem::remove_all(folder);
}

TEST(BatchRows, ARowTravelsAsOneLineOfJsonAndTheTableSumsUpTheStatuses) {
  BatchRow row;
  row.file = "a \"quoted\" name.c4d";
  row.output = "out/a.glb";
  row.objects = 12;
  row.status = "ok";
  row.notConvertedNames = {"Cube: re-save the scene with polygon caches"};
  const std::string text = RowJson(row);
  EXPECT_EQ(text.find('\n'), std::string::npos);
  BatchRow back;
  ASSERT_TRUE(ParseRow(text, back));
  EXPECT_EQ(RowJson(back), text);
  EXPECT_FALSE(ParseRow("c4dimport: something else", back));
  EXPECT_FALSE(ParseRow("{\"status\": 3}", back));

  BatchRow bad;
  bad.file = "broken-scene.c4d";
  bad.status = "unreadable";
  std::ostringstream out;
  PrintTable({row, bad}, out);
  EXPECT_TRUE(out.str().starts_with("file                 objects  meshes  polylines  not converted  seconds  status\n"))
      << out.str();
  EXPECT_NE(out.str().find("2 files: 1 ok, 1 unreadable"), std::string::npos) << out.str();
}

}  // namespace
