// The host's UI functions and resource libraries: strings and the dialog of
// the import's resource library, message boxes through the scripted and the
// terminal UI, the report dialog under the switched resource module.
#include <sstream>

#include <afx_frontend.h>
#include <afxcmn.h>

#include "host_test_support.h"

namespace {

class HostUiTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    m_previousResources = AfxGetResourceHandle();
  }
  void TearDown() override {
    AfxSetResourceHandle(m_previousResources);
    HostTest::TearDown();
  }
  HINSTANCE m_previousResources = nullptr;
};

CString LoadedString(UINT id) {
  CString text;
  text.LoadString(id);
  return text;
}

TEST_F(HostUiTest, ImportResourceLibraryHoldsTheMessageTexts) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  const HINSTANCE resources = LoadResourceDll("Orbek_QEL_SERVER_C4D");
  ASSERT_NE(resources, nullptr);
  EXPECT_EQ(LoadResourceDll("Orbek_QEL_SERVER_C4D"), resources) << "loaded once";
  AfxSetResourceHandle(resources);

  EXPECT_EQ(LoadedString(103), "The file %s could not be read as a Cinema 4D scene.");
  EXPECT_EQ(LoadedString(104), "No object of the scene could be converted.");
  EXPECT_EQ(LoadedString(105), "%u of %u objects could not be converted.");
  EXPECT_EQ(LoadedString(106),
            "The scene holds objects with more than 500000 polygons. Convert them too? Yes converts them, No "
            "skips them, Cancel converts nothing.");
  CString text;
  text.Format(LoadedString(105), 2u, 7u);
  EXPECT_EQ(text, "2 of 7 objects could not be converted.");
}

TEST_F(HostUiTest, ImportResourceLibraryHoldsTheProgressDialog) {
  AfxSetResourceHandle(LoadResourceDll("Orbek_QEL_SERVER_C4D"));
  CDialog dialog;
  ASSERT_TRUE(dialog.Create(102, nullptr));
  const HWND bar = GetDlgItem(dialog.m_hWnd, 1000);
  const HWND cancel = GetDlgItem(dialog.m_hWnd, IDCANCEL);
  afx_frontend::WindowInfo info;
  ASSERT_TRUE(afx_frontend::GetWindowInfo(bar, &info));
  EXPECT_EQ(info.kind, afx_frontend::WindowKind::ProgressBar);
  ASSERT_TRUE(afx_frontend::GetWindowInfo(cancel, &info));
  EXPECT_EQ(info.kind, afx_frontend::WindowKind::Button);
}

TEST_F(HostUiTest, UnknownResourceLibraryGivesNoHandle) {
  EXPECT_EQ(LoadResourceDll("Orbek_Nothing"), nullptr);
  EXPECT_EQ(LoadResourceDll(""), nullptr);
  EXPECT_NE(LoadResourceDll("Orbek_KVT_Controls"), nullptr);
}

TEST_F(HostUiTest, ErrorBoxIsRecordedWithTypeTextAndFlag) {
  CWnd parent;
  WarningErrorMsgBox(&parent, QEL_MSGBOX_INFORMATION, "3 of 4 objects could not be converted.", 0);
  WarningErrorMsgBox(nullptr, QEL_MSGBOX_ERROR, "The file x could not be read as a Cinema 4D scene.", 0);
  ASSERT_EQ(m_ui.Boxes().size(), 2u);
  const standin::BoxRecord& first = m_ui.Boxes()[0];
  EXPECT_EQ(first.kind, standin::BoxKind::Error);
  EXPECT_EQ(first.type, 2);
  EXPECT_EQ(first.text, "3 of 4 objects could not be converted.");
  EXPECT_EQ(first.flag, 0);
  EXPECT_TRUE(first.hasParent);
  EXPECT_FALSE(m_ui.Boxes()[1].hasParent);
  EXPECT_EQ(m_ui.Boxes()[1].type, 0);
}

TEST_F(HostUiTest, QuestionShowsTheStringOfTheCurrentResourcesAndTakesScriptedAnswers) {
  AfxSetResourceHandle(LoadResourceDll("Orbek_QEL_SERVER_C4D"));
  m_ui.Answer(IDYES).Answer(IDCANCEL);
  EXPECT_EQ(WarningMsgBox(nullptr, 106, MB_YESNOCANCEL), IDYES);
  EXPECT_EQ(WarningMsgBox(nullptr, 106, MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(WarningMsgBox(nullptr, 106, MB_YESNOCANCEL), IDNO) << "the default once the script is used up";
  EXPECT_EQ(m_ui.UnscriptedQuestions(), 1u);

  const std::vector<standin::BoxRecord> questions = m_ui.BoxesOfKind(standin::BoxKind::Question);
  ASSERT_EQ(questions.size(), 3u);
  EXPECT_EQ(questions[0].type, MB_YESNOCANCEL);
  EXPECT_EQ(questions[0].stringId, 106u);
  EXPECT_EQ(questions[0].text.rfind("The scene holds objects with more than 500000 polygons.", 0), 0u);
  EXPECT_EQ(questions[0].resourceModule, "Orbek_QEL_SERVER_C4D");
  EXPECT_EQ(questions[1].answer, IDCANCEL);
}

TEST_F(HostUiTest, ReportDialogRunsUnderTheSwitchedResourceModule) {
  const HINSTANCE importResources = LoadResourceDll("Orbek_QEL_SERVER_C4D");
  AfxSetResourceHandle(importResources);
  {
    _ResourceHandleHelper switched("Orbek_KVT_Controls");
    CXMLTreeInfoDlg dialog("Tessaro", "An error occured during layer construction", "line one\nline two\n");
    EXPECT_EQ(dialog.DoModal(), IDOK);
  }
  EXPECT_EQ(AfxGetResourceHandle(), importResources);
  {
    _ResourceHandleHelper missing("Orbek_Nothing");
    EXPECT_EQ(AfxGetResourceHandle(), importResources) << "nothing to switch to";
  }
  ASSERT_EQ(m_ui.Boxes().size(), 1u);
  const standin::BoxRecord& report = m_ui.Boxes()[0];
  EXPECT_EQ(report.kind, standin::BoxKind::Report);
  EXPECT_EQ(report.caption, "Tessaro");
  EXPECT_EQ(report.title, "An error occured during layer construction");
  EXPECT_EQ(report.text, "line one\nline two\n");
  EXPECT_EQ(report.resourceModule, "Orbek_KVT_Controls");
}

TEST_F(HostUiTest, TerminalWritesOneLinePerBoxAndAnswersAtThePrompt) {
  std::ostringstream out;
  std::istringstream in("maybe\nc\n");
  standin::TerminalUi::Options options;
  options.out = &out;
  options.in = &in;
  standin::TerminalUi terminal(options);
  standin::ScopedHostUi installed(&terminal);
  AfxSetResourceHandle(LoadResourceDll("Orbek_QEL_SERVER_C4D"));

  WarningErrorMsgBox(nullptr, QEL_MSGBOX_ERROR, "cannot read", 0);
  EXPECT_EQ(WarningMsgBox(nullptr, 106, MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(WarningMsgBox(nullptr, 106, MB_YESNOCANCEL), IDNO) << "no more input";
  CXMLTreeInfoDlg("Tessaro", "Title", "first\nsecond").DoModal();

  const std::string text = out.str();
  EXPECT_NE(text.find("message (error): cannot read\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Cancel converts nothing. [y/n/c] please answer y/n/c: cancel\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[y/n/c] no (no input)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("report: Tessaro - Title: first | second\n"), std::string::npos) << text;
}

TEST_F(HostUiTest, TerminalTakesAPresetAnswerWithoutReading) {
  std::ostringstream out;
  std::istringstream in("y\n");
  standin::TerminalUi::Options options;
  options.out = &out;
  options.in = &in;
  options.presetAnswer = IDNO;
  standin::TerminalUi terminal(options);
  standin::ScriptedUi recorder(&terminal);
  standin::ScopedHostUi installed(&recorder);
  EXPECT_EQ(WarningMsgBox(nullptr, 106, MB_YESNOCANCEL), IDNO);
  EXPECT_NE(out.str().find("] no\n"), std::string::npos) << out.str();
  ASSERT_EQ(recorder.Boxes().size(), 1u) << "the recorder in front still records";
  EXPECT_EQ(recorder.Boxes()[0].answer, IDNO);
}

}  // namespace
