#include "terminal_front_end.h"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace c4dimport {

namespace {

constexpr UINT kProgressDialogTemplate = 102;

volatile sig_atomic_t g_interrupts = 0;
volatile sig_atomic_t g_lineOnTerminal = 0;  // a progress line stands on the terminal now
bool g_cancelPosted = false;

void WriteAll(int fd, const char* text, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, text, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text += n;
    size -= size_t(n);
  }
}

void OnInterrupt(int) {
  const sig_atomic_t before = g_interrupts;
  g_interrupts = before + 1;
  if (before == 0) return;
  // The second press: end now, leaving the terminal's line clean.
  static const char kClear[] = "\r\033[K";
  static const char kNote[] = "c4dimport: interrupted\n";
  if (g_lineOnTerminal) WriteAll(STDERR_FILENO, kClear, sizeof kClear - 1);
  WriteAll(STDERR_FILENO, kNote, sizeof kNote - 1);
  _exit(4);
}

// Texts on one line: line breaks become " | ".
std::string OneLine(const std::string& text) {
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') continue;
    if (text[i] == '\n') {
      if (i + 1 < text.size()) line += " | ";
    } else {
      line += text[i];
    }
  }
  return line;
}

int Columns(int fd) {
  winsize size{};
  if (ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace

void InstallInterruptHandler() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // reads and writes go on after the first press
  sigaction(SIGINT, &action, nullptr);
}

bool Interrupted() { return g_interrupts > 0; }

bool PressCancelOnInterrupt() {
  if (!Interrupted() || g_cancelPosted) return false;
  const HWND dialog = afx_frontend::FindDialog(kProgressDialogTemplate);
  if (!dialog || !afx_frontend::PostButtonClick(dialog, IDCANCEL)) return false;
  g_cancelPosted = true;
  return true;
}

ProgressLine::ProgressLine(int fd, bool draw, std::string label, int largeAnswer)
    : m_fd(fd), m_draw(draw), m_label(std::move(label)), m_largeAnswer(largeAnswer) {
  standin::TerminalUi::Options options;
  options.presetAnswer = largeAnswer;
  m_terminal = std::make_unique<standin::TerminalUi>(options);
}

ProgressLine::~ProgressLine() { Clear(); }

void ProgressLine::SetLabel(std::string label) {
  m_label = std::move(label);
  Draw();
}

void ProgressLine::Counts(const ImportProgress& progress) {
  m_counts = progress;
  m_showCounts = true;
  Draw();
}

void ProgressLine::ShowProgress(int percent) {
  m_visible = true;
  m_low = 0;
  m_high = 100;
  m_position = percent;
  Draw();
}

void ProgressLine::WritePrefix() {
  if (!m_boxPrefix.empty()) WriteAll(m_fd, m_boxPrefix.data(), m_boxPrefix.size());
}

void ProgressLine::Note(const std::string& text) {
  const bool wasDrawn = m_drawn;
  Clear();
  const std::string line = text + "\n";
  WriteAll(m_fd, line.data(), line.size());
  if (wasDrawn) Draw();
}

void ProgressLine::Clear() {
  if (!m_drawn) return;
  static const char kClear[] = "\r\033[K";
  WriteAll(m_fd, kClear, sizeof kClear - 1);
  m_drawn = false;
  g_lineOnTerminal = 0;
  m_lastLine.clear();
}

void ProgressLine::Draw() {
  if (!m_draw || !m_visible) return;
  const int span = std::max(1, m_high - m_low);
  const int percent = std::clamp((m_position - m_low) * 100 / span, 0, 100);
  std::string tail = "  " + std::string(percent < 10 ? "  " : percent < 100 ? " " : "") + std::to_string(percent) + "%";
  if (m_showCounts) {
    // The objects counted are known only where the tool ran a counting pass
    // of its own (JSON).
    tail.append("  ").append(std::to_string(m_counts.converted));
    if (m_counts.counted > 0) tail.append("/").append(std::to_string(m_counts.counted));
    tail.append(" objects");
  }
  // The line never reaches the last column, so the terminal does not wrap it.
  const int room = Columns(m_fd) - 1;
  std::string label = m_label;
  int barWidth = std::clamp(room - int(label.size()) - int(tail.size()) - 4, 10, 30);
  const int labelRoom = room - barWidth - int(tail.size()) - 4;
  if (labelRoom < int(label.size())) label = labelRoom > 3 ? "..." + label.substr(label.size() - size_t(labelRoom - 3)) : "";
  const int filled = barWidth * percent / 100;
  std::string line = label + "  [" + std::string(size_t(filled), '#') + std::string(size_t(barWidth - filled), '-') +
                     "]" + tail;
  if (int(line.size()) > room) line.resize(size_t(std::max(room, 0)));
  if (m_drawn && line == m_lastLine) return;
  const std::string text = "\r" + line + "\033[K";
  WriteAll(m_fd, text.data(), text.size());
  m_lastLine = line;
  m_drawn = true;
  g_lineOnTerminal = 1;
}

void ProgressLine::OnCreate(const afx_frontend::WindowInfo& window) {
  if (window.kind == afx_frontend::WindowKind::Dialog && window.id == int(kProgressDialogTemplate)) {
    m_dialog = window.hwnd;
    m_position = m_low = 0;
    m_high = 100;
  } else if (window.kind == afx_frontend::WindowKind::ProgressBar && window.parent && window.parent == m_dialog) {
    m_bar = window.hwnd;
  }
}

void ProgressLine::OnDestroy(HWND hwnd) {
  if (hwnd != m_dialog) return;
  m_visible = false;
  m_dialog = m_bar = nullptr;
  Clear();
}

void ProgressLine::OnShow(HWND hwnd, bool visible) {
  if (hwnd != m_dialog) return;
  m_visible = visible;
  if (visible) {
    Draw();
  } else {
    Clear();
  }
}

void ProgressLine::OnProgressRange(HWND hwnd, int low, int high) {
  if (hwnd != m_bar) return;
  m_low = low;
  m_high = high;
  Draw();
}

void ProgressLine::OnProgressPos(HWND hwnd, int position) {
  if (hwnd != m_bar) return;
  m_position = position;
  Draw();
}

void ProgressLine::ShowError(const standin::BoxRecord& box) {
  const bool wasDrawn = m_drawn;
  Clear();
  WritePrefix();
  m_terminal->ShowError(box);
  if (wasDrawn) Draw();
}

void ProgressLine::ShowReport(const standin::BoxRecord& box) {
  const bool wasDrawn = m_drawn;
  Clear();
  WritePrefix();
  m_terminal->ShowReport(box);
  if (wasDrawn) Draw();
}

int ProgressLine::Ask(const standin::BoxRecord& box) {
  const bool wasDrawn = m_drawn;
  Clear();
  const bool atTerminal = m_largeAnswer == 0 && box.type == MB_YESNOCANCEL && isatty(STDIN_FILENO);
  WritePrefix();
  const int answer = atTerminal ? AskAtTerminal(box) : m_terminal->Ask(box);
  if (wasDrawn) Draw();
  return answer;
}

// Reads the answer from the terminal while watching for Ctrl-C, which
// answers Cancel.
int ProgressLine::AskAtTerminal(const standin::BoxRecord& box) {
  std::string prompt = "question: " + OneLine(box.text) + " [y/n/c] ";
  WriteAll(m_fd, prompt.data(), prompt.size());
  std::string line;
  for (;;) {
    if (Interrupted()) {
      static const char kCancel[] = "cancel (Ctrl-C)\n";
      WriteAll(m_fd, kCancel, sizeof kCancel - 1);
      return IDCANCEL;
    }
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, 100) <= 0) continue;
    char c = 0;
    const ssize_t n = read(STDIN_FILENO, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      static const char kNoInput[] = "no (no input)\n";
      WriteAll(m_fd, kNoInput, sizeof kNoInput - 1);
      return IDNO;
    }
    if (c != '\n') {
      line += c;
      continue;
    }
    const char letter = line.empty() ? '\0' : char(std::tolower(static_cast<unsigned char>(line[0])));
    line.clear();
    if (letter == 'y') return IDYES;
    if (letter == 'n') return IDNO;
    if (letter == 'c') return IDCANCEL;
    static const char kAgain[] = "please answer y/n/c: ";
    WriteAll(m_fd, kAgain, sizeof kAgain - 1);
  }
}

}  // namespace c4dimport
