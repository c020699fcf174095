// How every converted object reaches the host: its geometry wrapped in a
// database object, a surface for meshes, the common style, and the place at
// the end of the host's vector.
//
// Every member call on a host object goes through the smart pointer's guarded
// dereference: a null pointer (an object the host could not make) throws a
// CQEL_NullReferenceException* and nothing is appended for the object.
#pragma once
#include <cstdint>

#include "c4d_types.h"
#include "qel_Objects.h"

// A host object that the module makes only to hand it back to the host (a
// surface file, a construction-line flag, a leaf's line style). The host
// gives a null pointer when it could not make one, and a null one passed on
// would leave the object it is for without it: half made. So it is tested
// as a member call would be, and a null one throws the null-reference
// exception naming its class (line 189); the object it was for is dropped.
template <class T>
const CQEL_SmartPtr<T>& Made(const CQEL_SmartPtr<T>& object) {
  (void)object.operator->();
  return object;
}

// Wraps `geometry` in a new CQEL_BasisPolyhedron3D, gives a mesh
// (`withSurface`) its transparency surface, applies the common style and
// appends the object to the current session's output vector.
void AssembleBasisPolyhedron(const CQEL_SmartPtr<CQEL_GeoPolyhedron3D>& geometry, const Vector& colour,
                             float transparency, uint32_t layerId, bool withSurface);

// Layer, colour (A = transparency in percent, R, G, B bytes that wrap rather
// than clamp) and construction-line mode off, each step on the style fetched
// afresh from the object.
void ApplyCommonStyle(const CQEL_SmartPtr<CQEL_BasisPolyhedron3D>& basis, uint32_t layerId, const Vector& colour,
                      float transparency);
