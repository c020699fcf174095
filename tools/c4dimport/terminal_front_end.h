// The tool as a person at a terminal sees it: the progress dialog drawn as
// one line on standard error (only when that is a terminal), message boxes
// as one line each, the question about large objects asked at the prompt,
// and Ctrl-C as the dialog's Cancel button.
//
//   InstallInterruptHandler();
//   ProgressLine line(STDERR_FILENO, isatty(STDERR_FILENO), "house.c4d");
//   options.ui = &line;
//   options.windowBackend = &line;
//   options.onPump = [&](const ImportProgress& p) { line.Counts(p); PressCancelOnInterrupt(); };
#pragma once
#include <memory>
#include <string>

#include <afx_frontend.h>

#include "import_run.h"
#include "standin/host_ui.h"

namespace c4dimport {

// Ctrl-C: the first press is noted (a signal-safe flag that the pump hook
// looks at); the second ends the tool at once with exit code 4. Installing
// twice does no harm.
void InstallInterruptHandler();
// Whether Ctrl-C was pressed (or SIGINT arrived) since the handler was installed.
bool Interrupted();
// Posts the click on the progress dialog's Cancel button once after an
// interrupt, as a user's click would arrive; true when it was posted now.
bool PressCancelOnInterrupt();

// The progress dialog as a line: "house.c4d  [#####-----]  50%  3/6 objects".
// As the dialog's window backend it follows the bar; as the host's UI it
// clears the line before a message box's line and draws it again after.
class ProgressLine : public afx_frontend::IWindowBackend, public standin::IHostUi {
 public:
  // `draw` false: nothing is drawn, boxes are still shown. `largeAnswer`
  // is the preset answer to the large question (0 asks at the prompt).
  ProgressLine(int fd, bool draw, std::string label, int largeAnswer = 0);
  ~ProgressLine() override;

  void SetLabel(std::string label);
  // Written in front of each message box's line ("house.c4d: ").
  void SetBoxPrefix(std::string prefix) { m_boxPrefix = std::move(prefix); }
  // For a line that follows no dialog: shows it with the bar at `percent`.
  void ShowProgress(int percent);
  // The counts beside the bar.
  void Counts(const ImportProgress& progress);
  // Clears the line (when drawn) and draws nothing more until shown again.
  void Clear();
  // A line of its own above the bar.
  void Note(const std::string& text);

  // IWindowBackend: the dialog from template 102 and its bar.
  void OnCreate(const afx_frontend::WindowInfo& window) override;
  void OnDestroy(HWND hwnd) override;
  void OnShow(HWND hwnd, bool visible) override;
  void OnProgressRange(HWND hwnd, int low, int high) override;
  void OnProgressPos(HWND hwnd, int position) override;

  // IHostUi: one line per box; the question at the prompt (y/n/c), where
  // Ctrl-C answers Cancel.
  void ShowError(const standin::BoxRecord& box) override;
  int Ask(const standin::BoxRecord& box) override;
  void ShowReport(const standin::BoxRecord& box) override;

 private:
  void Draw();
  void WritePrefix();
  int AskAtTerminal(const standin::BoxRecord& box);

  int m_fd;
  bool m_draw;
  std::string m_label;
  HWND m_dialog = nullptr;
  HWND m_bar = nullptr;
  bool m_visible = false;
  bool m_drawn = false;
  int m_low = 0, m_high = 100, m_position = 0;
  ImportProgress m_counts;
  bool m_showCounts = false;
  std::string m_boxPrefix;
  std::string m_lastLine;
  std::unique_ptr<standin::TerminalUi> m_terminal;
  int m_largeAnswer;
};

}  // namespace c4dimport
