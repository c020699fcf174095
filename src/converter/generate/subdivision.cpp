#include "subdivision.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>

#include <opensubdiv/far/error.h>
#include <opensubdiv/far/primvarRefiner.h>
#include <opensubdiv/far/topologyDescriptor.h>
#include <opensubdiv/far/topologyRefinerFactory.h>

namespace c4dgen {

namespace {

using namespace OpenSubdiv;

// A point as the refiner interpolates it.
struct Point {
  Vector64 p;
  void Clear(void* = nullptr) { p = {}; }
  void AddWithWeight(const Point& source, double weight) {
    p.x += weight * source.p.x;
    p.y += weight * source.p.y;
    p.z += weight * source.p.z;
  }
};

// The library prints its complaints by default; the last one becomes the reason instead.
thread_local std::string t_libraryError;

void KeepErrors() {
  static std::once_flag once;
  std::call_once(once, [] {
    Far::SetErrorCallback([](Far::ErrorType, const char* message) { t_libraryError = message ? message : ""; });
    Far::SetWarningCallback([](const char*) {});
  });
}

// Each polygon's corners, a triangle's three, repeated corners dropped;
// polygons left with fewer than three corners are no faces.
struct Faces {
  std::vector<int> counts;
  std::vector<Far::Index> corners;
};

bool CollectFaces(const std::vector<CPolygon>& polygons, size_t pointCount, Faces& faces, std::string& reason) {
  faces.counts.reserve(polygons.size());
  faces.corners.reserve(polygons.size() * 4);
  for (size_t i = 0; i < polygons.size(); ++i) {
    const CPolygon& polygon = polygons[i];
    const int32_t all[4] = {polygon.a, polygon.b, polygon.c, polygon.d};
    Far::Index kept[4];
    int count = 0;
    for (int32_t index : all) {
      if (index < 0 || size_t(index) >= pointCount) {
        reason = "polygon " + std::to_string(i) + " refers to point " + std::to_string(index) + " of " +
                 std::to_string(pointCount);
        return false;
      }
      if (std::find(kept, kept + count, index) == kept + count) kept[count++] = index;
    }
    if (count < 3) continue;
    faces.counts.push_back(count);
    faces.corners.insert(faces.corners.end(), kept, kept + count);
  }
  return true;
}

Far::TopologyRefiner* Refiner(size_t pointCount, const Faces& faces) {
  Sdc::Options options;
  options.SetVtxBoundaryInterpolation(Sdc::Options::VTX_BOUNDARY_EDGE_AND_CORNER);
  Far::TopologyDescriptor descriptor;
  descriptor.numVertices = int(pointCount);
  descriptor.numFaces = int(faces.counts.size());
  descriptor.numVertsPerFace = faces.counts.data();
  descriptor.vertIndicesPerFace = faces.corners.data();
  using Factory = Far::TopologyRefinerFactory<Far::TopologyDescriptor>;
  return Factory::Create(descriptor, Factory::Options(Sdc::SCHEME_CATMARK, options));
}

}  // namespace

bool Subdivide(std::vector<Vector64>& points, std::vector<CPolygon>& polygons, int level, std::string& reason) {
  level = std::clamp(level, 0, kMaxSubdivisionLevel);
  Faces faces;
  if (!CollectFaces(polygons, points.size(), faces, reason)) return false;
  if (level == 0 || faces.counts.empty()) return true;
  // Every corner of the cage becomes a quad at level 1, each quad four at the next.
  const uint64_t quads = uint64_t(faces.corners.size()) << (2 * (level - 1));
  if (quads > kMaxSubdividedQuads) {
    reason = "subdivided to level " + std::to_string(level) + " it would have " + std::to_string(quads) +
             " quads (at most " + std::to_string(kMaxSubdividedQuads) + ")";
    return false;
  }
  KeepErrors();
  t_libraryError.clear();
  std::unique_ptr<Far::TopologyRefiner> refiner(Refiner(points.size(), faces));
  if (!refiner) {
    reason = "the cage cannot be subdivided: " + (t_libraryError.empty() ? "topology refused" : t_libraryError);
    return false;
  }
  refiner->RefineUniform(Far::TopologyRefiner::UniformOptions(level));

  std::vector<Point> coarse(points.size()), fine;
  for (size_t i = 0; i < points.size(); ++i) coarse[i].p = points[i];
  const Far::PrimvarRefinerReal<double> interpolator(*refiner);
  for (int l = 1; l <= level; ++l) {
    fine.assign(size_t(refiner->GetLevel(l).GetNumVertices()), Point{});
    interpolator.Interpolate(l, coarse, fine);
    coarse.swap(fine);
  }

  const Far::TopologyLevel& last = refiner->GetLevel(level);
  points.resize(coarse.size());
  for (size_t i = 0; i < coarse.size(); ++i) points[i] = coarse[i].p;
  polygons.resize(size_t(last.GetNumFaces()));
  for (int f = 0; f < last.GetNumFaces(); ++f) {
    const Far::ConstIndexArray v = last.GetFaceVertices(f);
    polygons[size_t(f)] = CPolygon{v[0], v[1], v[2], v[3]};
  }
  return true;
}

}  // namespace c4dgen
