// 3MF through the 3MF consortium's library (threemf_package.h), which builds
// the package and its model. The model is in millimetres with Z up, which
// are the host's own units and axes, so points are written as they are. Each
// host mesh is a mesh object of triangles whose default property is the base
// material of its colour (`#RRGGBBAA`, the opacity as alpha); each layer is a
// components object made of its meshes, named after the layer; only the
// layers go to the build.
#include "format_writers.h"
#include "threemf_package.h"

namespace c4dexport {

void Write3mf(const ExportScene& scene, const std::string& path, ExportReport& report) {
  for (const ExportPolyline& line : scene.polylines) {
    report.leftOut.push_back({line.objectNumber, "a polyline (3mf has no lines)"});
  }
  ThreeMfPackage package;
  package.AddMetadata("Application", "c4dimport");
  package.AddMetadata("Title", scene.fileNode);
  for (const ExportMaterial& m : scene.materials) {
    package.AddMaterial(m.name, {m.argb[1], m.argb[2], m.argb[3], uint8_t(m.Opacity() * 255.0 + 0.5)});
  }
  std::vector<std::vector<size_t>> meshesOfGroup(scene.groups.size());
  std::vector<std::array<float, 3>> vertices;
  std::vector<std::array<uint32_t, 3>> triangles;
  for (const ExportMesh& mesh : scene.meshes) {
    vertices.clear();
    triangles.clear();
    for (const Point3& p : mesh.points) vertices.push_back({float(p[0]), float(p[1]), float(p[2])});
    for (const std::vector<uint32_t>& polygon : mesh.polygons) {
      for (const auto& t : TriangulatePolygon(mesh.points, polygon)) {
        const std::array<uint32_t, 3> triangle = {polygon[t[0]], polygon[t[1]], polygon[t[2]]};
        // A triangle that repeats a point encloses nothing; 3MF readers reject it.
        if (triangle[0] != triangle[1] && triangle[1] != triangle[2] && triangle[2] != triangle[0]) {
          triangles.push_back(triangle);
        }
      }
    }
    const std::string name = scene.groups[mesh.group].name + " " + std::to_string(mesh.objectNumber);
    meshesOfGroup[mesh.group].push_back(package.AddMesh(name, vertices, triangles, mesh.material));
    report.polygons += triangles.size();
    ++report.meshes;
  }
  for (size_t g = 0; g < scene.groups.size(); ++g) {
    if (!meshesOfGroup[g].empty()) package.AddBuildItem(scene.groups[g].name, meshesOfGroup[g]);
  }
  if (!package.Write(path)) report.error = package.Error();
}

}  // namespace c4dexport
