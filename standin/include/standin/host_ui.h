// Where the stand-in host's message boxes and report dialog go: a UI backend.
// The terminal UI writes one line per box; the scripted UI records every box
// and answers questions from a script, for tests.
#pragma once
#include <deque>
#include <iosfwd>
#include <string>
#include <vector>

#include "host_control.h"

namespace standin {

enum class BoxKind { Error, Question, Report };
// "error", "question", "report".
STANDIN_API const char* BoxKindName(BoxKind kind);

struct BoxRecord {
  BoxKind kind = BoxKind::Error;
  int type = 0;              // error: its type; question: its button style; report: 0
  std::string text;          // error: the text; question: the question; report: the report
  std::string caption;       // report: the dialog's caption
  std::string title;         // report: the title above the report
  unsigned stringId = 0;     // question: the string resource asked
  int flag = 0;              // error: the last argument
  bool hasParent = false;    // a parent window was given
  int answer = 0;            // question: IDYES, IDNO or IDCANCEL; others IDOK
  std::string resourceModule;  // name of the current resource library when shown ("" none)
};

class STANDIN_API IHostUi {
 public:
  virtual ~IHostUi();
  virtual void ShowError(const BoxRecord& box) = 0;
  // Returns the button pressed: IDYES, IDNO or IDCANCEL (IDOK for MB_OK).
  virtual int Ask(const BoxRecord& box) = 0;
  virtual void ShowReport(const BoxRecord& box) = 0;
};

// Installs a UI (null: the default, a terminal UI on stderr that reads
// answers from stdin) and returns the previous one. Not owned.
STANDIN_API IHostUi* SetHostUi(IHostUi* ui);

class ScopedHostUi {
 public:
  explicit ScopedHostUi(IHostUi* ui) : m_previous(SetHostUi(ui)) {}
  ~ScopedHostUi() { SetHostUi(m_previous); }
  ScopedHostUi(const ScopedHostUi&) = delete;
  ScopedHostUi& operator=(const ScopedHostUi&) = delete;

 private:
  IHostUi* m_previous;
};

// One line per box on `out`:
//   message (error): The file x could not be read as a Cinema 4D scene.
//   question: The scene holds objects ... [y/n/c] no
//   report: Tessaro - An error occured during layer construction: <report, lines joined by " | ">
// A question takes the preset answer when there is one; otherwise it is
// answered at the prompt (y, n, c) read from `in`, and with `answerAtEnd`
// when the input has ended.
class STANDIN_API TerminalUi : public IHostUi {
 public:
  struct Options {
    std::ostream* out = nullptr;  // null: stderr
    std::istream* in = nullptr;   // null: stdin
    int presetAnswer = 0;         // IDYES, IDNO, IDCANCEL; 0 asks
    int answerAtEnd = IDNO;
  };
  TerminalUi();
  explicit TerminalUi(const Options& options);
  void ShowError(const BoxRecord& box) override;
  int Ask(const BoxRecord& box) override;
  void ShowReport(const BoxRecord& box) override;

 private:
  std::ostream& Out() const;
  Options m_options;
};

// Records every box in order. Questions are answered from the script, in
// order; when the script is used up, by the echo UI if there is one, else by
// the default answer (IDNO unless changed). Every box is also shown on the
// echo UI when one is given.
class STANDIN_API ScriptedUi : public IHostUi {
 public:
  explicit ScriptedUi(IHostUi* echo = nullptr) : m_echo(echo) {}
  ScriptedUi& Answer(int button);
  void SetDefaultAnswer(int button) { m_defaultAnswer = button; }

  void ShowError(const BoxRecord& box) override;
  int Ask(const BoxRecord& box) override;
  void ShowReport(const BoxRecord& box) override;

  const std::vector<BoxRecord>& Boxes() const { return m_boxes; }
  std::vector<BoxRecord> BoxesOfKind(BoxKind kind) const;
  // Questions that found no scripted answer.
  unsigned UnscriptedQuestions() const { return m_unscripted; }
  void Clear();

 private:
  IHostUi* m_echo;
  std::deque<int> m_script;
  int m_defaultAnswer = IDNO;
  unsigned m_unscripted = 0;
  std::vector<BoxRecord> m_boxes;
};

}  // namespace standin
