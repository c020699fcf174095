#include "host_assembly.h"

#include "float_bytes.h"
#include "import_session.h"
#include "object_colour.h"

namespace {

CQEL_SmartPtr<CQEL_CommonStyle> StyleOf(const CQEL_SmartPtr<CQEL_BasisPolyhedron3D>& basis) {
  return basis.As<CQEL_DBObject>().GetCommonStyle();
}

}  // namespace

void AssembleBasisPolyhedron(const CQEL_SmartPtr<CQEL_GeoPolyhedron3D>& geometry, const Vector& colour,
                             float transparency, uint32_t layerId, bool withSurface) {
  CQEL_SmartPtr<CQEL_BasisPolyhedron3D> basis = CQEL_BasisPolyhedron3D::CreateObj();
  const CQEL_SmartPtr<CQEL_Geometry> asGeometry(geometry);
  basis->SetGeometry(asGeometry);
  if (withSurface) AssignTransparencySurface(basis, colour, transparency);
  ApplyCommonStyle(basis, layerId, colour, transparency);
  if (CImportSession* session = CImportSession::Current()) session->AppendObject(CQEL_SmartPtr<CQEL_Object>(basis));
}

void ApplyCommonStyle(const CQEL_SmartPtr<CQEL_BasisPolyhedron3D>& basis, uint32_t layerId, const Vector& colour,
                      float transparency) {
  StyleOf(basis)->InitLayer();
  StyleOf(basis)->Layer()->Set(layerId);
  StyleOf(basis)->InitColor();
  StyleOf(basis)->Color()->SetARGB(PercentByte(transparency), ColourByte(colour.x), ColourByte(colour.y),
                                   ColourByte(colour.z));
  StyleOf(basis)->UseConstructionLineMode(Made(CQEL_BoolRef::CreateObj(false)));
}
