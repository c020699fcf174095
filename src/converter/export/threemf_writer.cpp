// 3MF through the 3MF consortium's library (threemf_package.h), which builds
// the package and its model. The model is in millimetres with Z up, which
// are the host's own units and axes, so points are written as they are. The
// host meshes of one layer with one colour are a mesh object of triangles
// whose default property is the base material of that colour (`#RRGGBBAA`,
// the opacity as alpha); each layer is a components object made of its mesh
// objects, named after the layer; only the layers go to the build. A scene
// written in centimetres declares them and divides the points by 10.
#include <algorithm>
#include <cmath>
#include <map>

#include "format_writers.h"
#include "threemf_package.h"

namespace c4dexport {

void Write3mf(const ExportScene& scene, const std::string& path, ExportReport& report) {
  for (const ExportPolyline& line : scene.polylines) {
    report.leftOut.push_back({line.objectNumber, "a polyline (3mf has no lines)"});
  }
  ThreeMfPackage package(scene.units == ExportScene::Units::Centimetres);
  const double divisor = ZUpDivisor(scene);
  package.AddMetadata("Application", "c4dimport");
  package.AddMetadata("Title", scene.fileNode);
  for (const ExportMaterial& m : scene.materials) {
    const auto rgb = Rgb8(m);
    package.AddMaterial(m.name, {rgb[0], rgb[1], rgb[2], uint8_t(m.Opacity() * 255.0 + 0.5)});
  }
  // The library looks its resources up one by one, which takes time by the
  // square of their number: like glTF, the meshes of one layer with one
  // material make one mesh object.
  struct Part {
    size_t group, material;
    std::vector<std::array<float, 3>> vertices;
    std::vector<std::array<uint32_t, 3>> triangles;
  };
  std::vector<Part> parts;
  std::map<std::pair<size_t, size_t>, size_t> partOf;  // (group, material) -> place in `parts`
  for (const ExportMesh& mesh : scene.meshes) {
    // The library takes no coordinate beyond a billion millimetres and would
    // refuse the whole file for one.
    if (std::any_of(mesh.points.begin(), mesh.points.end(), [](const Point3& p) {
          return std::fabs(float(p[0])) > 1e9f || std::fabs(float(p[1])) > 1e9f || std::fabs(float(p[2])) > 1e9f;
        })) {
      report.leftOut.push_back({mesh.objectNumber, "a point more than 1e9 mm from the origin (3mf holds no more)"});
      continue;
    }
    std::vector<std::array<uint32_t, 3>> triangles;
    for (const std::vector<uint32_t>& polygon : mesh.polygons) {
      for (const auto& t : TriangulatePolygon(mesh.points, polygon)) {
        const std::array<uint32_t, 3> triangle = {polygon[t[0]], polygon[t[1]], polygon[t[2]]};
        // A triangle that repeats a point encloses nothing; 3MF readers reject it.
        if (triangle[0] != triangle[1] && triangle[1] != triangle[2] && triangle[2] != triangle[0]) {
          triangles.push_back(triangle);
        }
      }
    }
    // Nor does the library take a mesh object without triangles.
    if (triangles.empty()) {
      report.leftOut.push_back({mesh.objectNumber, "a mesh whose faces all repeat a point (3mf holds none of them)"});
      continue;
    }
    const auto [at, added] = partOf.emplace(std::pair(mesh.group, mesh.material), parts.size());
    if (added) parts.push_back({mesh.group, mesh.material, {}, {}});
    Part& part = parts[at->second];
    const size_t offset = part.vertices.size();
    for (const Point3& p : mesh.points) {
      part.vertices.push_back({float(p[0] / divisor), float(p[1] / divisor), float(p[2] / divisor)});
    }
    // A part past 2^32 points fails as a whole in AddMesh, so a wrapped index
    // is never written.
    for (const auto& t : triangles) {
      part.triangles.push_back({uint32_t(offset + t[0]), uint32_t(offset + t[1]), uint32_t(offset + t[2])});
    }
    report.polygons += triangles.size();
    ++report.meshes;
  }
  std::vector<std::vector<size_t>> meshesOfGroup(scene.groups.size());
  for (const Part& part : parts) {
    const std::string name = scene.groups[part.group].name + " " + scene.materials[part.material].name;
    meshesOfGroup[part.group].push_back(package.AddMesh(name, part.vertices, part.triangles, part.material));
  }
  for (size_t g = 0; g < scene.groups.size(); ++g) {
    if (!meshesOfGroup[g].empty()) package.AddBuildItem(scene.groups[g].name, meshesOfGroup[g]);
  }
  if (!package.Write(path)) report.error = package.Error();
}

}  // namespace c4dexport
