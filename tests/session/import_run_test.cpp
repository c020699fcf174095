// The import run: the question about large meshes, the converting pass
// with its progress and Cancel (what the summary counts is recorded with
// the scenes in tests/golden).
#include <algorithm>
#include <cstdio>
#include <string>

#include "import_fixture.h"

namespace {

// A mesh of `polygonCount` records of which only the first is a real
// triangle: the rest repeat an index and are skipped cheaply, but they
// count towards the mesh's size.
ObjectSpec LargeMesh(int32_t polygonCount) {
  std::vector<CPolygon> polygons(static_cast<size_t>(polygonCount), CPolygon{0, 0, 1, 1});
  polygons[0] = CPolygon{0, 1, 2, 2};
  return ObjectSpec::Polygon("Large", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, std::move(polygons));
}

const char* const kNothing = "No object of the scene could be converted.";

using ImportRun = ImportTest;

TEST_F(ImportRun, MeshAboveTheLimitAsksAndFollowsEachAnswer) {
  EXPECT_EQ(Import(SceneOf({LargeMesh(500000)})).size(), 1u);
  EXPECT_TRUE(m_ui.Boxes().empty()) << "exactly the limit: no question";

  const std::string path = WriteScene(SceneOf({Triangle("Small"), LargeMesh(500001)}));
  const std::tuple<int, size_t, std::vector<std::string>> answers[] = {
      {IDYES, 2, {}},
      {IDNO, 1, {"1 of 2 objects could not be converted."}},
      {IDCANCEL, 0, {"2 of 2 objects could not be converted.", kNothing}}};
  for (const auto& [answer, converted, errors] : answers) {
    m_ui.Clear();
    m_ui.Answer(answer);
    EXPECT_EQ(Import(path).size(), converted) << answer;
    EXPECT_EQ(ErrorTexts(), errors) << answer;
    for (const auto& box : m_ui.BoxesOfKind(standin::BoxKind::Error)) EXPECT_EQ(box.type * 10 + box.flag, QEL_MSGBOX_INFORMATION * 10);
    ASSERT_FALSE(m_ui.Boxes().empty());
    const standin::BoxRecord question = m_ui.Boxes()[0];
    EXPECT_EQ(question.kind, standin::BoxKind::Question);
    EXPECT_EQ(question.stringId, 106u);
    EXPECT_EQ(question.type, MB_YESNOCANCEL);
  }
  EXPECT_EQ(m_ui.UnscriptedQuestions(), 0u);
}

TEST_F(ImportRun, BarMovesWithTheConvertedShareOfTheCountedObjects) {
  Import(SceneOf({Triangle("A"), Triangle("B"), Triangle("C")}));
  EXPECT_EQ(m_windows.CallsStartingWith("pos "), (std::vector<std::string>{"pos dialog:102/1000 16",
                                                                           "pos dialog:102/1000 33",
                                                                           "pos dialog:102/1000 50"}));
  m_windows.Clear();
  Import(SceneOf({ObjectSpec::Primitive("Cube", Triangle("Cache").Child(Triangle("Cache child")))}));
  EXPECT_EQ(m_windows.CallsStartingWith("pos "),
            (std::vector<std::string>{"pos dialog:102/1000 50", "pos dialog:102/1000 100"}));
}

// Cancel clicked once `clickAfter` objects were converted: later meshes are
// skipped, splines still converted, and no summary is shown.
TEST_F(ImportRun, CancelSkipsLaterMeshesButNotSplines) {
  const ObjectSpec spline = SplineWith("Still converted", {{0, 0, 0}, {1, 0, 0}}, 0, false);
  const std::tuple<size_t, std::vector<ObjectSpec>, std::vector<int>> cases[] = {
      {1, {Triangle("First"), Triangle("Skipped"), spline, Triangle("Skipped too")},
       {QEL_DIMENSION_3D, QEL_DIMENSION_1D}},
      {0, {Triangle("Skipped"), spline}, {QEL_DIMENSION_1D}}};
  for (const auto& [clickAfter, objects, dimensions] : cases) {
    m_ui.Clear();
    const std::string path = WriteScene(SceneOf(objects));
    HostObjects converted;
    bool clicked = false;
    afx_frontend::ScopedMessageHook hook([&] {
      if (!clicked && converted.size() == clickAfter) {
        clicked = afx_frontend::PostButtonClick(afx_frontend::FindDialog(kProgressDialog), IDCANCEL);
      }
    });
    CQEL_Server_C4D::StartImport();
    CQEL_Server_C4D::Read(CString(path), converted);
    EXPECT_TRUE(CQEL_Server_C4D::IsCancelled());
    CQEL_Server_C4D::EndImport();
    std::vector<int> got;
    for (const auto& object : converted) got.push_back(GeometryOf(object).GetDimension());
    EXPECT_EQ(got, dimensions) << clickAfter;
    EXPECT_TRUE(m_ui.Boxes().empty()) << clickAfter;
  }
}

// The host's paths are narrow strings in the system's code page, on Windows
// with a drive letter and backslashes: a file name with a space and an
// accented letter (0xE9, an e with acute accent there) reaches the file.
TEST_F(ImportRun, PathWithSpaceAccentAndBackslashesIsRead) {
  std::string folder = m_folder.string();
#if defined(_WIN32)
  std::replace(folder.begin(), folder.end(), '/', '\\');
  ASSERT_EQ(folder.substr(1, 2), ":\\") << folder;
  const std::string path = folder + "\\Maison d'\xE9t\xE9.c4d";
#else
  const std::string path = folder + "/Maison d'\xE9t\xE9.c4d";
#endif
  const std::vector<uint8_t> bytes = ::WriteScene(SceneOf({Triangle("Wall")}));
  std::FILE* file = std::fopen(path.c_str(), "wb");  // as the host names its files
  ASSERT_NE(file, nullptr) << path;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
#if defined(_WIN32)
  ASSERT_TRUE(std::filesystem::exists(m_folder / L"Maison d'\u00E9t\u00E9.c4d")) << "the accent did not survive the code page";
#endif
  EXPECT_EQ(Import(path).size(), 1u);
  EXPECT_TRUE(ErrorTexts().empty());
}

}  // namespace
