// What a spline object's drawn shape is made from: its control points, its
// Bezier handles and its segments, as plain values. The tags are there only
// when the document was read with a factory that keeps spline tags
// (C4DSceneFactory::KeepsSplineTags); the settings are entries of the
// object's `data`.
#pragma once
#include <cstdint>
#include <vector>

#include "c4d_types.h"

class C4DBaseObject;

struct C4DSplineInput {
  std::vector<Vector64> points;    // a newer file's doubles as stored, a classic file's floats widened
  std::vector<Vector64> tangents;  // left and right handle per point, relative to it; empty without a tangent tag
  struct Segment {
    int32_t pointCount = 0;
    bool closed = false;
  };
  std::vector<Segment> segments;  // empty without a segment tag
};

// Whether `object` is a spline: a spline object, or a plugin object of the
// spline's data type (5101).
bool IsSplineObject(const C4DBaseObject* object);

// The object's control points, handles and segments; false (and `input`
// left empty) when it is no spline.
bool ReadSplineInput(const C4DBaseObject* object, C4DSplineInput& input);
