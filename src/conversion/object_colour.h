// The colour and transparency of a converted object, taken from its own
// display colour or from the material that a texture tag on it (or on an
// ancestor) names, and the surface file that a transparent mesh refers to.
#pragma once
#include "c4d_types.h"
#include "qel_Objects.h"

class C4DBaseObject;

// Fills `colour` (red, green, blue in x, y, z) and `transparency`, which the
// caller has set to black and 0: the object's own colour when it uses one,
// else the colour and transparency channels of the first texture tag's
// material found on the object or its ancestors. What is not found keeps the
// caller's value.
void ResolveObjectColour(const C4DBaseObject* object, Vector& colour, float& transparency);

// Gives a mesh the surface file for its colour and transparency
// ("Transparency\colNN_transNNN.surf") when the transparency is visible.
void AssignTransparencySurface(const CQEL_SmartPtr<CQEL_BasisPolyhedron3D>& basis, const Vector& colour,
                               float transparency);
