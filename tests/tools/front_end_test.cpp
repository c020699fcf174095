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
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, size_t(n));
  return text;
}

class ProgressLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(pipe(m_pipe), 0);
    fcntl(m_pipe[0], F_SETFL, O_NONBLOCK);
  }
  void TearDown() override {
    close(m_pipe[0]);
    close(m_pipe[1]);
  }

  // The dialog as the module makes it: created, its bar, shown, ranged.
  void OpenDialog(ProgressLine& line) {
    line.OnCreate({m_dialog, nullptr, afx_frontend::WindowKind::Dialog, 102, ""});
    line.OnCreate({m_bar, m_dialog, afx_frontend::WindowKind::ProgressBar, 1000, ""});
    line.OnShow(m_dialog, true);
    line.OnProgressRange(m_bar, 0, 100);
  }

  int m_pipe[2];
  HWND m_dialog = reinterpret_cast<HWND>(0x10);
  HWND m_bar = reinterpret_cast<HWND>(0x20);
};

TEST_F(ProgressLineTest, DrawsTheBarWithLabelPercentAndCountsAndClearsItWhenHidden) {
  ProgressLine line(m_pipe[1], true, "house.c4d");
  OpenDialog(line);
  line.Counts({3, 6});
  line.OnProgressPos(m_bar, 25);
  const std::string drawn = Drain(m_pipe[0]);
  EXPECT_NE(drawn.find("\rhouse.c4d  [#######-----------------------]   25%  3/6 objects\033[K"), std::string::npos)
      << drawn;
  line.OnShow(m_dialog, false);
  EXPECT_EQ(Drain(m_pipe[0]), "\r\033[K");
  line.OnProgressPos(m_bar, 50);
  EXPECT_EQ(Drain(m_pipe[0]), "") << "a hidden dialog draws nothing";
}

TEST_F(ProgressLineTest, DrawsNothingWhenNotOnATerminal) {
  ProgressLine line(m_pipe[1], false, "house.c4d");
  OpenDialog(line);
  line.OnProgressPos(m_bar, 50);
  line.Note("a note still shows");
  EXPECT_EQ(Drain(m_pipe[0]), "a note still shows\n");
}

TEST_F(ProgressLineTest, OnlyTheProgressDialogsBarMovesTheLine) {
  ProgressLine line(m_pipe[1], true, "house.c4d");
  OpenDialog(line);
  Drain(m_pipe[0]);
  line.OnCreate({reinterpret_cast<HWND>(0x30), nullptr, afx_frontend::WindowKind::ProgressBar, 1000, ""});
  line.OnProgressPos(reinterpret_cast<HWND>(0x30), 80);
  EXPECT_EQ(Drain(m_pipe[0]), "");
  line.OnProgressPos(m_bar, 0);
  EXPECT_EQ(Drain(m_pipe[0]), "") << "an unchanged line is not drawn again";
}

TEST_F(ProgressLineTest, ANoteClearsTheBarAndDrawsItAgainBelow) {
  ProgressLine line(m_pipe[1], true, "house.c4d");
  OpenDialog(line);
  Drain(m_pipe[0]);
  line.Note("cancelling");
  const std::string text = Drain(m_pipe[0]);
  EXPECT_EQ(text.rfind("\r\033[Kcancelling\n\rhouse.c4d  [", 0), 0u) << text;
}

// ---- the batch's plan and rows -----------------------------------------------------

class BatchPlan : public ::testing::Test {
 protected:
  void SetUp() override {
    m_folder = std::filesystem::temp_directory_path() / ("c4dimport-plan-" + std::to_string(getpid()));
    for (const char* file : {"in/b.c4d", "in/a.C4D", "in/sub/a.c4d", "in/readme.txt", "other/a.c4d"}) {
      std::filesystem::create_directories((m_folder / file).parent_path());
      std::ofstream(m_folder / file) << "x";
    }
  }
  void TearDown() override { std::filesystem::remove_all(m_folder); }
  std::string At(const std::string& name) const { return (m_folder / name).string(); }
  std::filesystem::path m_folder;
};

TEST_F(BatchPlan, FoldersGiveTheirScenesInOrderAndOutputsStayUnique) {
  BatchOptions options;
  options.inputs = {At("in"), At("other/a.c4d"), At("missing.c4d")};
  options.outputDir = At("out");
  options.format = c4dexport::FindExportFormat("dxf");
  std::vector<BatchItem> items;
  std::string error;
  ASSERT_TRUE(PlanBatch(options, items, error)) << error;
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[0].input, At("in/a.C4D"));
  EXPECT_EQ(items[0].output, At("out/a.dxf"));
  EXPECT_EQ(items[1].input, At("in/b.c4d"));
  EXPECT_EQ(items[2].output, At("out/sub/a.dxf"));
  // A second "a" from elsewhere does not overwrite the first.
  EXPECT_EQ(items[3].output, At("out/a-2.dxf"));
  // A name that is no file still takes its turn, and fails as unreadable.
  EXPECT_EQ(items[4].input, At("missing.c4d"));
}

TEST_F(BatchPlan, WithoutAnOutputFolderNothingIsWritten) {
  BatchOptions options;
  options.inputs = {At("in")};
  std::vector<BatchItem> items;
  std::string error;
  ASSERT_TRUE(PlanBatch(options, items, error));
  for (const BatchItem& item : items) EXPECT_EQ(item.output, "");
}

TEST(BatchRows, ARowTravelsAsOneLineOfJsonAndBack) {
  BatchRow row;
  row.file = "a \"quoted\" name.c4d";
  row.output = "out/a.glb";
  row.objects = 6;
  row.meshes = 5;
  row.polylines = 1;
  row.notConverted = 2;
  row.seconds = 0.25;
  row.status = "ok";
  row.notConvertedNames = {"Cube: re-save the scene with polygon caches"};
  const std::string text = RowJson(row);
  EXPECT_EQ(text.find('\n'), std::string::npos);
  BatchRow back;
  ASSERT_TRUE(ParseRow(text, back));
  EXPECT_EQ(back.file, row.file);
  EXPECT_EQ(back.objects, 6u);
  EXPECT_EQ(back.notConvertedNames, row.notConvertedNames);
  EXPECT_EQ(back.detail, "");
  EXPECT_FALSE(ParseRow("c4dimport: something else", back));
  EXPECT_FALSE(ParseRow("{\"status\": 3}", back));
}

TEST(BatchRows, TheTableAlignsItsColumnsAndSumsUpTheStatuses) {
  BatchRow ok;
  ok.file = "a.c4d";
  ok.objects = 12;
  ok.status = "ok";
  BatchRow bad;
  bad.file = "broken-scene.c4d";
  bad.status = "unreadable";
  std::ostringstream out;
  PrintTable({ok, bad}, out);
  const std::string text = out.str();
  EXPECT_EQ(text.rfind("file              objects  meshes  polylines  not converted  seconds  status\n", 0), 0u)
      << text;
  EXPECT_NE(text.find("a.c4d                  12"), std::string::npos) << text;
  EXPECT_NE(text.find("2 files: 1 ok, 1 unreadable"), std::string::npos) << text;
}

}  // namespace
