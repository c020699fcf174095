#include "host_assembly.h"

#include "import_session.h"
#include "object_colour.h"

void AssembleBasisPolyhedron(const CQEL_SmartPtr<CQEL_GeoPolyhedron3D>& geometry, const Vector& colour,
                             float transparency, uint32_t layerId, bool withSurface) {
  CQEL_SmartPtr<CQEL_BasisPolyhedron3D> basis = CQEL_BasisPolyhedron3D::CreateObj();
  const CQEL_SmartPtr<CQEL_Geometry> asGeometry(geometry);
  basis->SetGeometry(asGeometry);
  if (withSurface) AssignTransparencySurface(basis, colour, transparency);
  ApplyCommonStyle(basis, layerId, colour, transparency);
  if (CImportSession* session = CImportSession::Current()) session->AppendObject(CQEL_SmartPtr<CQEL_Object>(basis));
}
