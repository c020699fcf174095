// The import run: the counting pass, the question about large meshes, the
// converting pass with its progress and Cancel, and the summary messages.
#include <algorithm>
#include <cstdio>
#include <string>

#include "import_fixture.h"

namespace {

class ImportRun : public ImportTest {
 protected:
  // A mesh of `polygonCount` records of which only the first is a real
  // triangle: the rest repeat an index and are skipped cheaply, but they
  // count towards the mesh's size.
  static ObjectSpec LargeMesh(const std::string& name, int32_t polygonCount) {
    std::vector<CPolygon> polygons(static_cast<size_t>(polygonCount), CPolygon{0, 0, 1, 1});
    polygons[0] = CPolygon{0, 1, 2, 2};
    return ObjectSpec::Polygon(name, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, std::move(polygons));
  }

  std::vector<std::string> Names(const HostObjects& objects) {
    std::vector<std::string> names;
    for (const auto& object : objects) names.push_back(std::to_string(GeometryOf(object).GetPoints().size()));
    return names;
  }
};

TEST_F(ImportRun, MeshOfExactlyTheLimitConvertsWithoutAsking) {
  const HostObjects objects = Import(SceneOf({LargeMesh("At the limit", 500000)}));
  EXPECT_EQ(objects.size(), 1u);
  EXPECT_TRUE(m_ui.Boxes().empty());
}

TEST_F(ImportRun, MeshAboveTheLimitAsksAndFollowsEachAnswer) {
  const std::string path = WriteScene(SceneOf({Triangle("Small"), LargeMesh("Large", 500001)}));

  m_ui.Answer(IDYES);
  EXPECT_EQ(Import(path).size(), 2u);
  ASSERT_EQ(m_ui.Boxes().size(), 1u);
  const standin::BoxRecord question = m_ui.Boxes()[0];
  EXPECT_EQ(question.kind, standin::BoxKind::Question);
  EXPECT_EQ(question.stringId, 106u);
  EXPECT_EQ(question.type, MB_YESNOCANCEL);

  m_ui.Clear();
  m_ui.Answer(IDNO);
  const HostObjects withoutLarge = Import(path);
  ASSERT_EQ(withoutLarge.size(), 1u);
  EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"1 of 2 objects could not be converted."});

  m_ui.Clear();
  m_ui.Answer(IDCANCEL);
  EXPECT_TRUE(Import(path).empty());
  EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"2 of 2 objects could not be converted.",
                                                    "No object of the scene could be converted."}));
  EXPECT_EQ(m_ui.UnscriptedQuestions(), 0u);
}

TEST_F(ImportRun, SummaryNamesWhatWasNotConvertedThenThatNothingWas) {
  // Points without polygons are counted but give no face; a spline of
  // another mode is counted and left out.
  HostObjects objects = Import(SceneOf({ObjectSpec::Polygon("Cloud", {{0, 0, 0}, {1, 1, 1}}, {}),
                                        SplineWith("Bezier", {{0, 0, 0}, {1, 0, 0}}, 2, false)}));
  EXPECT_TRUE(objects.empty());
  ASSERT_EQ(m_ui.Boxes().size(), 2u);
  for (const standin::BoxRecord& box : m_ui.Boxes()) {
    EXPECT_EQ(box.kind, standin::BoxKind::Error);
    EXPECT_EQ(box.type, QEL_MSGBOX_INFORMATION);
    EXPECT_EQ(box.flag, 0);
  }
  EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"2 of 2 objects could not be converted.",
                                                    "No object of the scene could be converted."}));
}

TEST_F(ImportRun, SceneOfNullsLightsAndCamerasConvertsAndCountsNothing) {
  Import(SceneOf({ObjectSpec::Null("Group").Child(ObjectSpec::Light("Sun")).Child(ObjectSpec::Camera("Eye")),
                  ObjectSpec::Light("Lamp").Fallback(Triangle("Not visited"))}));
  EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"No object of the scene could be converted."});
}

TEST_F(ImportRun, PrimitivesAndInstancesCountOnceAndConvertTheirCaches) {
  // Counted: the primitive, the instance, the empty primitive, and the mesh in
  // the cache of the unknown kind (its own Execute says 0 in both passes).
  // Converted: the three cache meshes and the cache mesh's child.
  ObjectSpec cacheWithChild = Triangle("Cache").Child(Triangle("Cache child"));
  const HostObjects objects =
      Import(SceneOf({ObjectSpec::Primitive("Cube", cacheWithChild),
                      ObjectSpec::Instance("Copy", 0, Triangle("Instance cache")),
                      ObjectSpec::Plugin("Unknown kind", 4711).Fallback(Triangle("Unknown's cache")),
                      ObjectSpec::Plugin("Empty sphere", 5160)}));
  EXPECT_EQ(objects.size(), 4u);
  EXPECT_TRUE(m_ui.Boxes().empty()) << "4 converted of 4 counted";

  m_ui.Clear();
  const HostObjects fewer = Import(SceneOf({ObjectSpec::Primitive("Cube", Triangle("Cache")),
                                            ObjectSpec::Plugin("Empty sphere", 5160),
                                            ObjectSpec::Plugin("Empty cone", 5162)}));
  EXPECT_EQ(fewer.size(), 1u);
  EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"2 of 3 objects could not be converted."});
}

TEST_F(ImportRun, MoreConvertedThanCountedShowsNoSummary) {
  const HostObjects objects =
      Import(SceneOf({ObjectSpec::Primitive("Cube", Triangle("Cache").Child(Triangle("Cache child")))}));
  EXPECT_EQ(objects.size(), 2u);
  EXPECT_TRUE(m_ui.Boxes().empty());
  EXPECT_EQ(m_windows.CallsStartingWith("pos "),
            (std::vector<std::string>{"pos dialog:102/1000 50", "pos dialog:102/1000 100"}));
}

TEST_F(ImportRun, BarMovesToSixteenThirtyThreeAndFiftyForThreeObjects) {
  Import(SceneOf({Triangle("A"), Triangle("B"), Triangle("C")}));
  EXPECT_EQ(m_windows.CallsStartingWith("pos "),
            (std::vector<std::string>{"pos dialog:102/1000 16", "pos dialog:102/1000 33",
                                      "pos dialog:102/1000 50"}));
}

TEST_F(ImportRun, CancelDuringConversionSkipsLaterMeshesButNotSplinesAndShowsNoSummary) {
  const std::string path = WriteScene(SceneOf({Triangle("First"), Triangle("Skipped"),
                                               SplineWith("Still converted", {{0, 0, 0}, {1, 0, 0}}, 0, false),
                                               Triangle("Skipped too")}));
  HostObjects objects;
  bool clicked = false;
  afx_frontend::ScopedMessageHook hook([&] {
    if (!clicked && objects.size() == 1) {
      clicked = afx_frontend::PostButtonClick(afx_frontend::FindDialog(kProgressDialog), IDCANCEL);
    }
  });
  CQEL_Server_C4D::StartImport();
  CQEL_Server_C4D::Read(CString(path), objects);
  EXPECT_TRUE(CQEL_Server_C4D::IsCancelled());
  CQEL_Server_C4D::EndImport();
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(GeometryOf(objects[0]).GetDimension(), QEL_DIMENSION_3D);
  EXPECT_EQ(GeometryOf(objects[1]).GetDimension(), QEL_DIMENSION_1D);
  EXPECT_TRUE(m_ui.Boxes().empty());
}

TEST_F(ImportRun, CancelBeforeAnythingIsConvertedStillConvertsSplines) {
  const std::string path = WriteScene(
      SceneOf({Triangle("Skipped"), SplineWith("Converted", {{0, 0, 0}, {1, 0, 0}}, 0, true)}));
  HostObjects objects;
  bool clicked = false;
  afx_frontend::ScopedMessageHook hook([&] {
    if (!clicked) clicked = afx_frontend::PostButtonClick(afx_frontend::FindDialog(kProgressDialog), IDCANCEL);
  });
  CQEL_Server_C4D::StartImport();
  CQEL_Server_C4D::Read(CString(path), objects);
  CQEL_Server_C4D::EndImport();
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(GeometryOf(objects[0]).GetDimension(), QEL_DIMENSION_1D);
  EXPECT_TRUE(m_ui.Boxes().empty()) << "cancelled: no summary although a mesh was left out";
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
  EXPECT_EQ(Import(path).size(), 1u);
  EXPECT_TRUE(ErrorTexts().empty());
}

}  // namespace
