#include "spline_conversion.h"

#include <utility>

#include "host_assembly.h"

void AppendSplinePolyline(PointList points, uint32_t layerId, const Vector& colour, float transparency,
                          bool closed) {
  if (closed && !points.empty()) points.push_back(points.front());
  EdgeList edges;
  const size_t n = points.size();
  if (n > 1) edges.reserve(n - 1);
  for (size_t i = 1; i < n; ++i) edges.emplace_back(static_cast<unsigned>(i), static_cast<unsigned>(i + 1));
  CQEL_SmartPtr<CQEL_GeoPolyhedron3D> polyline = CQEL_GeoPolyhedron3D::CreateObj();
  polyline->SetPoints(std::move(points));
  polyline->SetEdges(std::move(edges));
  polyline->SetDimension(QEL_DIMENSION_1D);
  polyline->SetOrientation(QEL_ORIENTATION_POSITIVE);
  AssembleBasisPolyhedron(polyline, colour, transparency, layerId, false);
}
