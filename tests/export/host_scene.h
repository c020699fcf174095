// Host objects made directly with the stand-in host, as the import makes
// them: meshes whose faces list signed edge numbers (each polygon with its
// own edges), polylines whose closing point is the first point again.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "export_model.h"
#include "qel_host.h"

using HostObjectList = std::vector<CQEL_SmartPtr<CQEL_Object>>;

struct HostStyle {
  unsigned layer = 0;
  std::array<unsigned char, 4> argb{0, 0, 0, 0};
  std::string surface;
};

inline HostStyle Style(unsigned layer, std::array<unsigned char, 4> argb = {0, 0, 0, 0}, std::string surface = "") {
  return HostStyle{layer, argb, std::move(surface)};
}

inline CQEL_GeoPolyhedron3D::PointList HostPoints(const std::vector<c4dexport::Point3>& points) {
  CQEL_GeoPolyhedron3D::PointList list;
  for (const auto& p : points) list.push_back(CQEL_GeoPoint3D::CreateObj(p[0], p[1], p[2]));
  return list;
}

inline CQEL_SmartPtr<CQEL_Object> Styled(const CQEL_SmartPtr<CQEL_GeoPolyhedron3D>& geometry, const HostStyle& style) {
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
inline CQEL_SmartPtr<CQEL_Object> HostMesh(const std::vector<c4dexport::Point3>& points,
                                           const std::vector<std::vector<unsigned>>& polygons,
                                           const HostStyle& style = {}) {
  CQEL_GeoPolyhedron3D::EdgeList edges;
  CQEL_GeoPolyhedron3D::FaceList faces;
  for (const auto& polygon : polygons) {
    std::vector<int> face;
    for (size_t i = 0; i < polygon.size(); ++i) {
      edges.emplace_back(polygon[i] + 1, polygon[(i + 1) % polygon.size()] + 1);
      face.push_back(int(edges.size()));
    }
    faces.push_back(face);
  }
  CQEL_SmartPtr<CQEL_GeoPolyhedron3D> geometry = CQEL_GeoPolyhedron3D::CreateObj();
  geometry->SetDimension(QEL_DIMENSION_3D);
  geometry->SetOrientation(QEL_ORIENTATION_POSITIVE);
  geometry->SetPoints(HostPoints(points));
  geometry->SetEdges(edges);
  geometry->SetFaces(faces);
  return Styled(geometry, style);
}

inline CQEL_SmartPtr<CQEL_Object> HostPolyline(const std::vector<c4dexport::Point3>& points, bool closed,
                                               const HostStyle& style = {}) {
  CQEL_GeoPolyhedron3D::PointList list = HostPoints(points);
  if (closed) list.push_back(list.front());
  CQEL_GeoPolyhedron3D::EdgeList edges;
  for (unsigned i = 1; i < list.size(); ++i) edges.emplace_back(i, i + 1);
  CQEL_SmartPtr<CQEL_GeoPolyhedron3D> geometry = CQEL_GeoPolyhedron3D::CreateObj();
  geometry->SetPoints(list);
  geometry->SetEdges(edges);
  geometry->SetDimension(QEL_DIMENSION_1D);
  geometry->SetOrientation(QEL_ORIENTATION_POSITIVE);
  return Styled(geometry, style);
}

// A unit cube (in host millimetres times `size`) of six quadrangles.
inline std::vector<c4dexport::Point3> CubePoints(double size, double x = 0) {
  return {{x, 0, 0}, {x + size, 0, 0}, {x + size, size, 0}, {x, size, 0},
          {x, 0, size}, {x + size, 0, size}, {x + size, size, size}, {x, size, size}};
}
inline std::vector<std::vector<unsigned>> CubeQuads() {
  return {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
}
