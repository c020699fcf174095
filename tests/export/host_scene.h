// Host objects made directly with the stand-in host, as the import makes
// them: meshes whose faces list signed edge numbers (each polygon with its
// own edges), polylines whose closing point is the first point again.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "export_model.h"
#include "qel_host.h"

using c4dexport::Point3;

struct Style {
  Style(unsigned l = 0, std::array<unsigned char, 4> c = {}, std::string s = "") : layer(l), argb(c), surface(s) {}
  unsigned layer;
  std::array<unsigned char, 4> argb;
  std::string surface;
};

// A geometry of the points with its style: layer, colour, surface. A closed
// one repeats its first point object at the end.
inline CQEL_SmartPtr<CQEL_Object> Styled(const std::vector<Point3>& points, CQEL_GeoPolyhedron3D::EdgeList edges,
                                         CQEL_GeoPolyhedron3D::FaceList faces, const Style& style = {}, bool closed = false) {
  CQEL_GeoPolyhedron3D::PointList list;
  for (const auto& p : points) list.push_back(CQEL_GeoPoint3D::CreateObj(p[0], p[1], p[2]));
  if (closed) list.push_back(list.front());
  CQEL_SmartPtr<CQEL_GeoPolyhedron3D> geometry = CQEL_GeoPolyhedron3D::CreateObj();
  geometry->SetDimension(faces.empty() ? QEL_DIMENSION_1D : QEL_DIMENSION_3D);
  geometry->SetPoints(list);
  geometry->SetEdges(edges);
  geometry->SetFaces(faces);
  CQEL_SmartPtr<CQEL_BasisPolyhedron3D> basis = CQEL_BasisPolyhedron3D::CreateObj();
  basis->SetGeometry(CQEL_SmartPtr<CQEL_Geometry>(geometry.Get()));
  CQEL_SmartPtr<CQEL_CommonStyle> common = basis->GetCommonStyle();
  common->InitLayer();
  common->Layer()->Set(style.layer);
  common->InitColor();
  common->Color()->SetARGB(style.argb[0], style.argb[1], style.argb[2], style.argb[3]);
  if (!style.surface.empty()) basis->TextureDefinition(CQEL_FileHandle::CreateObj(style.surface));
  return CQEL_SmartPtr<CQEL_Object>(basis.Get());
}

// A mesh from polygons of 0-based point indices; every polygon gets edges
// of its own, walked forwards.
inline CQEL_SmartPtr<CQEL_Object> HostMesh(const std::vector<Point3>& points,
                                           const std::vector<std::vector<unsigned>>& polygons, const Style& style = {}) {
  CQEL_GeoPolyhedron3D::EdgeList edges;
  CQEL_GeoPolyhedron3D::FaceList faces;
  for (const auto& polygon : polygons) {
    faces.emplace_back();
    for (size_t i = 0; i < polygon.size(); ++i) {
      edges.emplace_back(polygon[i] + 1, polygon[(i + 1) % polygon.size()] + 1);
      faces.back().push_back(int(edges.size()));
    }
  }
  return Styled(points, edges, faces, style);
}

inline CQEL_SmartPtr<CQEL_Object> HostPolyline(const std::vector<Point3>& points, bool closed, const Style& style = {}) {
  CQEL_GeoPolyhedron3D::EdgeList edges;
  for (unsigned i = 1; i < points.size() + closed; ++i) edges.emplace_back(i, i + 1);
  return Styled(points, edges, {}, style, closed);
}

// A cube of six quadrangles, `size` millimetres wide, at x.
inline CQEL_SmartPtr<CQEL_Object> HostCube(double size, const Style& style = {}, double x = 0) {
  return HostMesh({{x, 0, 0}, {x + size, 0, 0}, {x + size, size, 0}, {x, size, 0}, {x, 0, size}, {x + size, 0, size},
                   {x + size, size, size}, {x, size, size}},
                  {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}}, style);
}
