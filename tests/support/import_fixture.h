// A fixture for tests that drive the import module as the host does: a fresh
// stand-in host, a scripted UI that records every box, a window backend that
// records the progress dialog, scene files written to a folder of the test's
// own, and helpers that read the converted host objects back.
//
// Header only: include it from test targets that link the module
// (Orbek_QEL_Server_C4D), the stand-in host and the writer (c4dtestsupport).
#pragma once
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <afx_frontend.h>
#include <gtest/gtest.h>

#include "QEL_Server_C4D.h"
#include "qel_host.h"
#include "scene_writer.h"
#include "standin/host_control.h"
#include "standin/host_ui.h"

using HostObjects = std::vector<CQEL_SmartPtr<CQEL_Object>>;

constexpr UINT kProgressDialog = 102;

class ImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::ResetHost();
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    m_folder = std::filesystem::temp_directory_path() /
               ("c4dimport-" + std::string(test->test_suite_name()) + "-" + test->name() + "-" +
                std::to_string(getpid()));
    std::filesystem::create_directories(m_folder);
  }
  void TearDown() override {
    standin::ResetHost();
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }

  // Writes a scene (or bytes) to a file of the test's folder; returns its path.
  std::string WriteFile(const std::vector<uint8_t>& bytes, const std::string& name = "scene.c4d") {
    const std::string path = (m_folder / name).string();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::string WriteScene(const SceneSpec& scene, const std::string& name = "scene.c4d") {
    return WriteFile(::WriteScene(scene), name);
  }

  // A whole session: StartImport, Read, EndImport.
  HostObjects Import(const std::string& path) {
    HostObjects objects;
    CQEL_Server_C4D::StartImport();
    CQEL_Server_C4D::Read(CString(path), objects);
    CQEL_Server_C4D::EndImport();
    return objects;
  }
  HostObjects Import(const SceneSpec& scene) { return Import(WriteScene(scene)); }

  // The texts of the error boxes, in order.
  std::vector<std::string> ErrorTexts() const {
    std::vector<std::string> texts;
    for (const standin::BoxRecord& box : m_ui.BoxesOfKind(standin::BoxKind::Error)) texts.push_back(box.text);
    return texts;
  }

  standin::ScriptedUi m_ui;
  standin::ScopedHostUi m_installedUi{&m_ui};
  afx_frontend::RecordingWindowBackend m_windows;
  afx_frontend::ScopedWindowBackend m_installedWindows{&m_windows};
  std::filesystem::path m_folder;
};

// ---- reading host objects back -----------------------------------------------------

inline CQEL_BasisPolyhedron3D& BasisOf(const CQEL_SmartPtr<CQEL_Object>& object) {
  auto* basis = dynamic_cast<CQEL_BasisPolyhedron3D*>(object.Get());
  if (!basis) throw std::runtime_error("not a CQEL_BasisPolyhedron3D");
  return *basis;
}

inline const CQEL_GeoPolyhedron3D& GeometryOf(const CQEL_SmartPtr<CQEL_Object>& object) {
  const auto* geometry = dynamic_cast<const CQEL_GeoPolyhedron3D*>(BasisOf(object).GetGeometry().Get());
  if (!geometry) throw std::runtime_error("no CQEL_GeoPolyhedron3D");
  return *geometry;
}

using HostPoint = std::array<double, 3>;

inline std::vector<HostPoint> PointsOf(const CQEL_SmartPtr<CQEL_Object>& object) {
  std::vector<HostPoint> points;
  for (const auto& p : GeometryOf(object).GetPoints()) points.push_back({p->X(), p->Y(), p->Z()});
  return points;
}

inline unsigned LayerOf(const CQEL_SmartPtr<CQEL_Object>& object) {
  return BasisOf(object).GetCommonStyle()->Layer()->Get();
}

// ---- scenes --------------------------------------------------------------------------

// A polygon object of one triangle.
inline ObjectSpec Triangle(const std::string& name) {
  return ObjectSpec::Polygon(name, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}});
}

// A spline with its settings: mode (entry 1001; only 0 converts) and closed.
inline ObjectSpec SplineWith(const std::string& name, std::vector<Vector> points, int32_t mode, bool closed) {
  ObjectSpec spline = ObjectSpec::Spline(name, std::move(points), closed);
  spline.node.data = ContainerSpec().Int(1000, 0).Int(1001, mode).Int(1002, closed ? 1 : 0);
  return spline;
}
