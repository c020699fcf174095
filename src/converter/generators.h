// Generators that a scene holds without caches (files of the newer variant
// store none), evaluated from their parameters and their children as the
// scene program shows them: the geometry of a Cloner's clones, a Symmetry's
// two halves, an Instance's target, a deformer's bend, a Subdivision
// Surface's smoothed cage. Generators nest: the children are evaluated
// first, each in its parent's frame.
//
//   c4dgen::Evaluator evaluator(budget);
//   c4dgen::Evaluation done = evaluator.Evaluate(generator);
//   if (done.evaluated) for (const c4dgen::Piece& piece : done.pieces) ...   // in the generator's frame
//   else ... done.reason
//
// An evaluated generator replaces its inputs: its children are not written
// on their own (see output_objects.h). One that cannot be evaluated is
// reported with the reason, and its inputs are not written either.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "c4d_types.h"
#include "spline_shapes.h"

class C4DBaseObject;
struct GeAllocMeter;

namespace c4dgen {

// Data type ids of the generators and deformers known by name.
enum : int32_t {
  GENERATOR_LOFT = 5107,
  GENERATOR_ARRAY = 5150,
  GENERATOR_EXTRUDE = 5116,
  GENERATOR_LATHE = 5117,
  GENERATOR_SWEEP = 5118,
  GENERATOR_INSTANCE = 5126,
  DEFORMER_BEND = 5128,
  GENERATOR_SYMMETRY = 5142,
  GENERATOR_BOOLE = 1010865,
  GENERATOR_SUBDIVISION = 1007455,
  GENERATOR_CLONER = 1018544,
};

// What an object does with its children.
enum class Role {
  Plain,      // shows itself and its children
  Generator,  // makes its result of its children (which are not shown on their own)
  Deformer,   // bends its parent's result
};
// A plugin object of an unknown data type with children is taken for a generator.
Role RoleOf(const C4DBaseObject& object);
// A plugin object of a data type the converter does not know (no record, no
// generator, primitive or spline it evaluates).
bool IsUnknownObject(const C4DBaseObject& object);
// What the report says of one without children below another object: it may
// be a deformer whose effect is lost.
std::string UnknownBelowNote(const C4DBaseObject& object);
// "cloner", "symmetry", ...; "generator of data type N" for others.
std::string GeneratorName(int32_t dataType);
// Whether `object` has an enabled deformer among its children: it is then
// evaluated as a whole, deformed.
bool HasDeformer(const C4DBaseObject& object);

// The polylines the scene program draws of a spline object (a spline, or a
// plugin object of the spline's data type): its control points evaluated.
c4dprim::SplineRead DrawnSpline(const C4DBaseObject& object);

// One output object: a mesh (polygons) or a polyline, in the frame of the
// object evaluated, coloured and layered as `look`.
struct Piece {
  const C4DBaseObject* look = nullptr;
  std::vector<Vector64> points;
  std::vector<CPolygon> polygons;
  bool closed = false;  // a polyline's
};

struct Evaluation {
  bool evaluated = false;
  std::vector<Piece> pieces;
  std::vector<std::string> notes;  // what is approximate or left out
  std::string reason;              // why it was not evaluated
};

// Points a file's generators may make, over all of them.
constexpr uint64_t kMaxGeneratedPoints = 20000000;
// Objects a file's evaluations may visit, over all of them: instances of
// instances can ask for the same object ever again.
constexpr uint64_t kMaxEvaluatedObjects = 1000000;

class Evaluator {
 public:
  explicit Evaluator(uint64_t maxPoints = kMaxGeneratedPoints) : m_pointsLeft(maxPoints) {}
  // `object`'s result in its own frame: a generator's output, or an object
  // with its children and deformers.
  Evaluation Evaluate(const C4DBaseObject& object);

  // Subdivision surfaces at their render level rather than the editor's.
  bool renderLevel = false;

 private:
  friend class EvaluationSteps;
  uint64_t m_pointsLeft;
  uint64_t m_objectsLeft = kMaxEvaluatedObjects;
};

}  // namespace c4dgen
