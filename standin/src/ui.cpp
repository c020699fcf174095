// The host's user-interface functions: resource libraries, message boxes and
// the report dialog, routed to the installed UI backend.
#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "standin/host_ui.h"
#include "standin_internal.h"

#include <afx_frontend.h>

namespace {

std::string g_resourceDirectory;  // "" is the folder of this library
standin::IHostUi* g_ui = nullptr;

standin::IHostUi& Ui() {
  static standin::TerminalUi terminal;
  return g_ui ? *g_ui : terminal;
}

std::string HostLibraryFolder() {
  const std::string file = afx_frontend::ModuleFileOf(reinterpret_cast<const void*>(&LoadResourceDll));
  return file.empty() ? "" : std::filesystem::path(file).parent_path().string();
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

const char* TypeName(int type) {
  switch (type) {
    case QEL_MSGBOX_ERROR: return "error";
    case QEL_MSGBOX_WARNING: return "warning";
    case QEL_MSGBOX_INFORMATION: return "information";
    default: return nullptr;
  }
}

const char* AnswerName(int answer) {
  switch (answer) {
    case IDYES: return "yes";
    case IDNO: return "no";
    case IDCANCEL: return "cancel";
    case IDOK: return "ok";
    default: return "?";
  }
}

// The buttons of a style as the prompt letters and their answers.
struct Choice {
  char letter;
  int answer;
};
std::vector<Choice> ChoicesOf(int style) {
  switch (style) {
    case MB_YESNOCANCEL: return {{'y', IDYES}, {'n', IDNO}, {'c', IDCANCEL}};
    case MB_YESNO: return {{'y', IDYES}, {'n', IDNO}};
    case MB_OKCANCEL: return {{'o', IDOK}, {'c', IDCANCEL}};
    default: return {{'o', IDOK}};
  }
}

standin::BoxRecord NewBox(standin::BoxKind kind, CWnd* parent) {
  standin::BoxRecord box;
  box.kind = kind;
  box.hasParent = parent != nullptr;
  box.resourceModule = standin_internal::ModuleNameOf(AfxGetResourceHandle());
  return box;
}

}  // namespace

namespace standin_internal {

std::string ModuleNameOf(HINSTANCE module) {
  char fileName[4096];
  if (!GetModuleFileName(module, fileName, sizeof fileName)) return "";
  std::string name = std::filesystem::path(fileName).filename().string();
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".dll") == 0) return name.erase(name.size() - 4);
  if (name.rfind("lib", 0) == 0) name.erase(0, 3);
  if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0) name.erase(name.size() - 3);
  return name;
}

}  // namespace standin_internal

// ---- The host's functions -------------------------------------------------

HINSTANCE LoadResourceDll(const char* name) {
  if (!name || !*name) return nullptr;
#if defined(_WIN32)
  // In a folder of their own: Windows compares names without case, and
  // Orbek_QEL_SERVER_C4D.dll beside the module would be the module.
  const std::string fileName = std::string("resources\\") + name + ".dll";
#else
  const std::string fileName = std::string("lib") + name + ".so";
#endif
  const std::string folder = g_resourceDirectory.empty() ? HostLibraryFolder() : g_resourceDirectory;
  if (!folder.empty()) {
    const std::string path = (std::filesystem::path(folder) / fileName).string();
    std::error_code code;
    if (std::filesystem::exists(path, code)) return LoadLibrary(path.c_str());
  }
  return LoadLibrary(fileName.c_str());  // the loader's own search
}

void WarningErrorMsgBox(CWnd* parent, int type, const char* text, int flag) {
  standin::BoxRecord box = NewBox(standin::BoxKind::Error, parent);
  box.type = type;
  box.text = text ? text : "";
  box.flag = flag;
  box.answer = IDOK;
  Ui().ShowError(box);
}

int WarningMsgBox(CWnd* parent, UINT stringId, UINT style) {
  standin::BoxRecord box = NewBox(standin::BoxKind::Question, parent);
  box.type = static_cast<int>(style);
  box.stringId = stringId;
  CString question;
  box.text = question.LoadString(stringId) ? question.Str() : "(string " + std::to_string(stringId) + " is missing)";
  return Ui().Ask(box);
}

_ResourceHandleHelper::_ResourceHandleHelper(const char* moduleName)
    : m_previous(AfxGetResourceHandle()), m_switched(false) {
  if (HINSTANCE module = LoadResourceDll(moduleName)) {
    AfxSetResourceHandle(module);
    m_switched = true;
  }
}

_ResourceHandleHelper::~_ResourceHandleHelper() {
  if (m_switched) AfxSetResourceHandle(m_previous);
}

CXMLTreeInfoDlg::CXMLTreeInfoDlg(const char* caption, const char* title, const char* report, CWnd* parent)
    : m_caption(caption ? caption : ""), m_title(title ? title : ""), m_report(report ? report : ""),
      m_pParent(parent) {}

INT_PTR CXMLTreeInfoDlg::DoModal() {
  standin::BoxRecord box = NewBox(standin::BoxKind::Report, m_pParent);
  box.caption = m_caption;
  box.title = m_title;
  box.text = m_report;
  box.answer = IDOK;
  Ui().ShowReport(box);
  return IDOK;
}

// ---- UI backends ----------------------------------------------------------

namespace standin {

const char* BoxKindName(BoxKind kind) {
  switch (kind) {
    case BoxKind::Error: return "error";
    case BoxKind::Question: return "question";
    case BoxKind::Report: return "report";
  }
  return "?";
}

IHostUi::~IHostUi() = default;

IHostUi* SetHostUi(IHostUi* ui) {
  IHostUi* previous = g_ui;
  g_ui = ui;
  return previous;
}

TerminalUi::TerminalUi() = default;
TerminalUi::TerminalUi(const Options& options) : m_options(options) {}

std::ostream& TerminalUi::Out() const { return m_options.out ? *m_options.out : std::cerr; }

void TerminalUi::ShowError(const BoxRecord& box) {
  const char* type = TypeName(box.type);
  Out() << "message (" << (type ? type : ("type " + std::to_string(box.type)).c_str()) << "): " << OneLine(box.text)
        << std::endl;
}

int TerminalUi::Ask(const BoxRecord& box) {
  const std::vector<Choice> choices = ChoicesOf(box.type);
  std::string letters;
  for (const Choice& choice : choices) letters += std::string(letters.empty() ? "" : "/") + choice.letter;
  Out() << "question: " << OneLine(box.text) << " [" << letters << "] ";
  auto valid = [&](int answer) {
    for (const Choice& choice : choices) {
      if (choice.answer == answer) return true;
    }
    return false;
  };
  if (m_options.presetAnswer && valid(m_options.presetAnswer)) {
    Out() << AnswerName(m_options.presetAnswer) << std::endl;
    return m_options.presetAnswer;
  }
  std::istream& in = m_options.in ? *m_options.in : std::cin;
  std::string line;
  while (std::getline(in, line)) {
    const char letter = line.empty() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
    for (const Choice& choice : choices) {
      if (choice.letter != letter) continue;
      // A person at a terminal ended the line with Enter; piped input did not.
      if (&in != &std::cin || !isatty(STDIN_FILENO)) Out() << AnswerName(choice.answer) << std::endl;
      return choice.answer;
    }
    Out() << "please answer " << letters << ": ";
  }
  const int answer = valid(m_options.answerAtEnd) ? m_options.answerAtEnd : choices.back().answer;
  Out() << AnswerName(answer) << " (no input)" << std::endl;
  return answer;
}

void TerminalUi::ShowReport(const BoxRecord& box) {
  Out() << "report: " << box.caption << " - " << box.title << ": " << OneLine(box.text) << std::endl;
}

ScriptedUi& ScriptedUi::Answer(int button) {
  m_script.push_back(button);
  return *this;
}

void ScriptedUi::ShowError(const BoxRecord& box) {
  m_boxes.push_back(box);
  if (m_echo) m_echo->ShowError(box);
}

int ScriptedUi::Ask(const BoxRecord& box) {
  BoxRecord asked = box;
  if (!m_script.empty()) {
    asked.answer = m_script.front();
    m_script.pop_front();
  } else {
    ++m_unscripted;
    asked.answer = m_echo ? m_echo->Ask(box) : m_defaultAnswer;
  }
  m_boxes.push_back(asked);
  return asked.answer;
}

void ScriptedUi::ShowReport(const BoxRecord& box) {
  m_boxes.push_back(box);
  if (m_echo) m_echo->ShowReport(box);
}

std::vector<BoxRecord> ScriptedUi::BoxesOfKind(BoxKind kind) const {
  std::vector<BoxRecord> found;
  for (const BoxRecord& box : m_boxes) {
    if (box.kind == kind) found.push_back(box);
  }
  return found;
}

void ScriptedUi::Clear() {
  m_boxes.clear();
  m_script.clear();
  m_unscripted = 0;
}

void SetResourceDirectory(const std::string& directory) { g_resourceDirectory = directory; }

void ResetHost() {
  ResetCreateObjFailures();
  ClearHostFault();
  ResetLayerTable();
  SetActiveLayer(0);
  SetResourceDirectory("");
}

}  // namespace standin
