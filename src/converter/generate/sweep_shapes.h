// Meshes swept from a profile: the Extrude generator (the profile moved along
// a vector), the Lathe generator (the profile turned about the Y axis), the
// Sweep generator (the profile carried along a path) and the Loft generator
// (a skin over splines in turn), built from their parameters for scenes saved
// without caches.
//
//   std::vector<std::string> notes;
//   GenMesh mesh = Extrude(profile, ReadExtrudeParams(object->data, notes), notes);
//   if (mesh.faces.empty()) ... notes says why nothing was built
//
// The profile comes in the generator's own frame (the child's matrix applied);
// the mesh is in that frame too. Faces follow c4dprim's primitives: their
// points run so that (b - a) x (c - a) points out of the solid.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "c4d_types.h"
#include "spline_shapes.h"

class GeContainer;

namespace c4dgen {

// Faces are triangles or quads of 0-based point indices.
struct GenMesh {
  std::vector<Vector64> points;
  std::vector<std::vector<uint32_t>> faces;
};

// Work refused: more subdivisions than this, or a mesh of more points.
constexpr int32_t kMaxSweepSubdivisions = 10000;
constexpr size_t kMaxSweepPoints = 2000000;

// Extrude (data type 5116).
constexpr int32_t kExtrudeType = 5116;
struct ExtrudeParams {
  Vector64 movement{0.0, 0.0, 20.0};                // 1002
  int32_t subdivisions = 1;                         // 1001: rows of walls along the movement
  bool startCap = true;                             // 2000: on the profile
  bool endCap = true;                               // 2002: at profile + movement
  std::optional<double> phongAngle = std::nullopt;  // 2012 as stored (likely radians), when present
};
// Missing ids take the defaults above (a capped solid); fillet caps are read
// as plain caps with a note.
ExtrudeParams ReadExtrudeParams(const GeContainer& data, std::vector<std::string>& notes);
// Closed segments give walls and caps (a segment inside another is a hole,
// by even-odd nesting); open segments give walls only. An empty mesh, with a
// note, when the parameters or the profile are refused.
GenMesh Extrude(const c4dprim::SplineShape& profile, const ExtrudeParams& params, std::vector<std::string>& notes);

// Lathe (data type 5117). The ids are this converter's own choice: no file
// seen so far holds a Lathe.
constexpr int32_t kLatheType = 5117;
struct LatheParams {
  double angle = 2.0 * 3.14159265358979323846;  // 1000: the turn, radians
  int32_t subdivisions = 24;                    // 1001: steps around
  double movement = 0.0;                        // 1002: rise along Y per full turn
};
LatheParams ReadLatheParams(const GeContainer& data, std::vector<std::string>& notes);
// Turns from +X towards +Z for a positive angle. A whole turn without
// movement closes on itself; otherwise closed segments get caps at both ends.
// Points on the axis are shared between steps.
GenMesh Lathe(const c4dprim::SplineShape& profile, const LatheParams& params, std::vector<std::string>& notes);

// Sweep (data type 5118). The ids are likely, not checked against a mesh the
// scene program made.
constexpr int32_t kSweepType = 5118;
struct SweepParams {
  double endScale = 1.0;     // 1002: the profile's size at the end of the path
  double endRotation = 0.0;  // 1013: its turn about the path at the end, radians
  bool startCap = true;      // 2000, as Extrude's
  bool endCap = true;        // 2002
};
// Growth (1003, 1004) other than the whole path is noted and left out.
SweepParams ReadSweepParams(const GeContainer& data, std::vector<std::string>& notes);
// The profile, in its own XY plane, carried along the path's first segment:
// a row at each path point, in a frame that turns as little as the path lets
// it (the profile's Z axis along the path at the start), scaled from 1 to the
// end scale and turned from 0 to the end rotation by the length travelled.
// At a corner the row stands across the mean of the two directions. A closed
// path is run once round, ending where it starts, capped as an open one.
GenMesh SweepAlong(const c4dprim::SplineShape& profile, const c4dprim::SplineShape& path, const SweepParams& params,
                   std::vector<std::string>& notes);

// Loft (data type 5107): no file seen so far holds one, and it takes no
// parameters here. Each shape's first segment is a row; the later rows are
// resampled at the fractions of length at which the first row's points stand,
// and neighbouring rows joined by quads; closed rows (all of them) are capped
// at both ends with the first row's triangulation.
constexpr int32_t kLoftType = 5107;
GenMesh Loft(const std::vector<c4dprim::SplineShape>& rows, std::vector<std::string>& notes);

}  // namespace c4dgen
