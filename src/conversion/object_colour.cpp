#include "object_colour.h"

#include <string>

#include "c4d_material.h"
#include "c4d_object.h"
#include "c4d_tag.h"
#include "host_assembly.h"
#include "surface_palette.h"

namespace {

// The first texture tag on the object, else on the nearest ancestor with one.
const C4DTextureTag* FindTextureTag(const C4DBaseObject* object) {
  for (const C4DBaseObject* o = object; o; o = o->GetParent()) {
    if (C4DBaseTag* tag = o->GetTag(TAG_TYPE_TEXTURE)) return static_cast<const C4DTextureTag*>(tag);
  }
  return nullptr;
}

}  // namespace

void ResolveObjectColour(const C4DBaseObject* object, Vector& colour, float& transparency) {
  if (!object) return;
  if (object->useColor != 0) {
    colour = object->color;
    return;
  }
  const C4DTextureTag* tag = FindTextureTag(object);
  if (!tag) return;
  // Texture links are only ever paired with materials; anything else a
  // damaged file pairs them with is no material.
  const auto* material = dynamic_cast<const C4DMaterial*>(tag->GetMaterial());
  if (!material) return;
  if (material->GetChannelState(CHANNEL_COLOR)) colour = material->GetColor();
  if (material->GetChannelState(CHANNEL_TRANSPARENCY)) transparency = material->GetTransparency();
}

void AssignTransparencySurface(const CQEL_SmartPtr<CQEL_BasisPolyhedron3D>& basis, const Vector& colour,
                               float transparency) {
  const std::string name = TransparencySurfaceName(colour.x, colour.y, colour.z, transparency);
  if (name.empty()) return;  // level 0: the mesh gets no surface
  const CQEL_SmartPtr<CQEL_FileHandle> surface = CQEL_FileHandle::CreateObj(name);
  basis->TextureDefinition(Made(surface));
}
