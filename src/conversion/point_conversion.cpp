#include "polygon_conversion.h"

#include <cmath>
#include <utility>

#include "host_assembly.h"

namespace {

// Component by component in single precision, in this order of sums.
float Place(float x, float y, float z, float xAxis, float yAxis, float zAxis, float off) {
  float sum = x * xAxis;
  sum += y * yAxis;
  sum += z * zAxis;
  sum += off;
  return sum;
}

constexpr double kSmallestCoordinate = 1e-12;

}  // namespace

void ConvertObjectPoints(const Vector* points, int32_t pointCount, const Matrix& mg, PointList& hostPoints) {
  if (!points || pointCount <= 0) return;
  hostPoints.reserve(hostPoints.size() + static_cast<size_t>(pointCount));
  for (int32_t i = 0; i < pointCount; ++i) {
    const Vector& p = points[i];
    const float wx = Place(p.x, p.y, p.z, mg.xAxis.x, mg.yAxis.x, mg.zAxis.x, mg.off.x);
    const float wy = Place(p.x, p.y, p.z, mg.xAxis.y, mg.yAxis.y, mg.zAxis.y, mg.off.y);
    const float wz = Place(p.x, p.y, p.z, mg.xAxis.z, mg.yAxis.z, mg.zAxis.z, mg.off.z);
    const double hx = static_cast<double>(wx * 10.0f);
    const double hy = static_cast<double>(wy * 10.0f);
    const double hz = static_cast<double>(wz * 10.0f);
    CQEL_SmartPtr<CQEL_GeoPoint3D> point = CQEL_GeoPoint3D::CreateObj(hx, hz, hy);
    if (std::fabs(point->X()) < kSmallestCoordinate) point->X(0.0);
    if (std::fabs(point->Y()) < kSmallestCoordinate) point->Y(0.0);
    if (std::fabs(point->Z()) < kSmallestCoordinate) point->Z(0.0);
    hostPoints.push_back(std::move(point));
  }
}

void ConvertObjectPoints64(const Vector64* points, int32_t pointCount, const Matrix64& mg, PointList& hostPoints) {
  if (!points || pointCount <= 0) return;
  hostPoints.reserve(hostPoints.size() + static_cast<size_t>(pointCount));
  auto host = [](double v) { return std::fabs(v) < kSmallestCoordinate ? 0.0 : v; };
  for (int32_t i = 0; i < pointCount; ++i) {
    const Vector64& p = points[i];
    const double wx = p.x * mg.xAxis.x + p.y * mg.yAxis.x + p.z * mg.zAxis.x + mg.off.x;
    const double wy = p.x * mg.xAxis.y + p.y * mg.yAxis.y + p.z * mg.zAxis.y + mg.off.y;
    const double wz = p.x * mg.xAxis.z + p.y * mg.yAxis.z + p.z * mg.zAxis.z + mg.off.z;
    // A point the host could not make would leave the polyhedron half made.
    hostPoints.push_back(Made(CQEL_GeoPoint3D::CreateObj(host(wx * 10.0), host(wz * 10.0), host(wy * 10.0))));
  }
}
