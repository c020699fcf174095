// What the import makes of one object, and why: the one account of its
// rules. The object's Execute acts on it in both passes; everything that
// reports on an import afterwards (objects left out and their reasons,
// primitives rebuilt, the counts) asks it too, so that no rule is written
// twice.
//
//   const ObjectJudgement judgement = JudgeObject(object, {.convertLarge = answeredYes});
//   if (judgement.counted && !judgement.converts) ... // behind message 105
#pragma once
#include <cstdint>
#include <string>

class C4DBaseObject;

// Why an object gives no host object (None when it gives one or needs no word).
enum class LeftOutReason {
  None,
  SkippedKind,              // a light, camera, floor, sky, ...: `dataType` says which
  MeshWithoutPoints,        // polygons but no points
  MeshPolygonsUnreadable,   // a polygon count but no polygon records
  MeshOverLargeLimit,       // `polygons` above the large-object limit, without consent
  MeshWithoutPolygons,      // points only
  MeshDegenerate,           // every polygon repeats a corner
  SplineWithoutData,        // a spline object without its point data
  SplineNotLinear,          // a spline whose intermediate-point setting is `setting`
  UnknownObject,            // an object the import does not know
  UnknownDataWithoutCache,  // a plugin object whose data type (`dataType`) has no record
  PrimitiveWithoutCache,    // a primitive that stands for its polygon cache, without one
  InstanceWithoutCache,     // an instance that stands for its polygon cache, without one
};

struct ObjectJudgementOptions {
  bool convertLarge = false;  // the user agreed to convert meshes above the large-object limit
  // Whether a mesh's polygons are built to see that one face results; the
  // conversion finds that out as it builds them.
  bool checkFaces = false;
};

struct ObjectJudgement {
  // False: the object makes nothing itself, and the import converts its
  // fallback cache instead (when it has one).
  bool dealtWith = true;
  // The counting pass counts it among the convertible objects.
  bool counted = false;
  // The converting pass makes a host object of it (a mesh only when its
  // polygons give a face, which `checkFaces` finds out in advance).
  bool converts = false;
  uint32_t polygons = 0;  // a counted mesh's polygon count, as the large-object limit compares it
  LeftOutReason reason = LeftOutReason::None;
  int32_t dataType = 0;   // the object's data type id (plugin objects)
  int32_t setting = 0;    // a spline's intermediate-point setting
};

// Meshes above this many polygons need the user's consent.
constexpr uint32_t kLargeObjectPolygonLimit = 500000;

ObjectJudgement JudgeObject(const C4DBaseObject& object, const ObjectJudgementOptions& options);

// The reason for a person: what the object is and what would bring it in
// (`newerVariant`: the scene comes from a file of the newer variant, which
// stores no caches); "" for None.
std::string LeftOutReasonText(const ObjectJudgement& judgement, bool newerVariant);
