// The import run: the counting pass and its summary, the question about
// large meshes, the converting pass with its progress and Cancel.
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

struct SummaryCase {
  const char* what;
  std::vector<ObjectSpec> objects;
  size_t converted;
  std::vector<std::string> errors;
};

using ImportRun = ImportTest;

TEST_F(ImportRun, SummaryCountsWhatWasNotConverted) {
  const ObjectSpec bezier = SplineWith("Bezier", {{0, 0, 0}, {1, 0, 0}}, 2, false);
  ObjectSpec withoutData = SplineWith("Data replaced", {{0, 0, 0}, {1, 0, 0}}, 0, false);
  withoutData.dataTypeId = 5101;  // a data chunk of the spline's own type leaves it without data
  const SummaryCase cases[] = {
      {"mesh without a face", {ObjectSpec::Polygon("Flat", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
                                                   {{0, 0, 1, 1}, {4, 4, 5, 6}, {0, 1, 7, 7}})},
       0, {"1 of 1 objects could not be converted.", kNothing}},
      {"points without polygons, spline of another mode",
       {ObjectSpec::Polygon("Cloud", {{0, 0, 0}, {1, 1, 1}}, {}), bezier},
       0, {"2 of 2 objects could not be converted.", kNothing}},
      {"neither points nor polygons: not counted, its cache not visited",
       {ObjectSpec::Polygon("Empty", {}, {}).Fallback(Triangle("Not visited")), Triangle("A")}, 1, {}},
      {"spline without points or data: not counted", {SplineWith("No points", {}, 0, true), withoutData}, 0,
       {kNothing}},
      {"nulls, lights and cameras",
       {ObjectSpec::Null("Group").Child(ObjectSpec::Light("Sun")).Child(ObjectSpec::Camera("Eye")),
        ObjectSpec::Light("Lamp").Fallback(Triangle("Not visited"))},
       0, {kNothing}},
      // Counted: the primitive, the instance, the empty primitive, and the
      // mesh in the cache of the unknown kind. Converted: the cache meshes
      // and the cache mesh's child.
      {"primitives and instances count once and convert their caches",
       {ObjectSpec::Primitive("Cube", Triangle("Cache").Child(Triangle("Cache child"))),
        ObjectSpec::Instance("Copy", 0, Triangle("Instance cache")),
        ObjectSpec::Plugin("Unknown kind", 4711).Fallback(Triangle("Unknown's cache")),
        ObjectSpec::Plugin("Empty sphere", 5160)},
       4, {}},
      {"empty primitives", {ObjectSpec::Primitive("Cube", Triangle("Cache")), ObjectSpec::Plugin("Empty sphere", 5160),
                            ObjectSpec::Plugin("Empty cone", 5162)},
       1, {"2 of 3 objects could not be converted."}},
      {"more converted than counted", {ObjectSpec::Primitive("Cube", Triangle("Cache").Child(Triangle("Child")))}, 2,
       {}},
  };
  for (const SummaryCase& c : cases) {
    m_ui.Clear();
    EXPECT_EQ(Import(SceneOf(c.objects)).size(), c.converted) << c.what;
    EXPECT_EQ(ErrorTexts(), c.errors) << c.what;
    EXPECT_EQ(m_ui.Boxes().size(), c.errors.size()) << c.what;
    for (const standin::BoxRecord& box : m_ui.Boxes()) {
      EXPECT_TRUE(box.type == QEL_MSGBOX_INFORMATION && box.flag == 0) << c.what;
    }
  }
}

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
