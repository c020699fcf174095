#include "float_bytes.h"
#include "host_assembly.h"

namespace {

CQEL_SmartPtr<CQEL_CommonStyle> StyleOf(const CQEL_SmartPtr<CQEL_BasisPolyhedron3D>& basis) {
  return basis.As<CQEL_DBObject>().GetCommonStyle();
}

}  // namespace

void ApplyCommonStyle(const CQEL_SmartPtr<CQEL_BasisPolyhedron3D>& basis, uint32_t layerId, const Vector& colour,
                      float transparency) {
  StyleOf(basis)->InitLayer();
  StyleOf(basis)->Layer()->Set(layerId);
  StyleOf(basis)->InitColor();
  StyleOf(basis)->Color()->SetARGB(PercentByte(transparency), ColourByte(colour.x), ColourByte(colour.y),
                                   ColourByte(colour.z));
  StyleOf(basis)->UseConstructionLineMode(Made(CQEL_BoolRef::CreateObj(false)));
}
