// The walk of the objects an import visits, in its order: the object tree
// depth first, where an object with an override cache stands for the cache's
// first object, an object with marked caches passes on to its fallback
// cache's override, and an object the visitor did not deal with passes on
// to its fallback cache's first object; the children of every object
// reached are walked after it. The document's conversion traversal and
// every account of what an import made (what was left out and why, what is
// rebuilt, the counts) walk with it, so that they cannot disagree.
//
//   struct Lister : SceneWalkVisitor {
//     bool Visit(C4DBaseObject& object) override { ...; return dealtWith; }
//   } lister;
//   WalkScene(document, lister);
#pragma once

class C4DBaseDocument;
class C4DBaseObject;

class SceneWalkVisitor {
 public:
  virtual ~SceneWalkVisitor() = default;
  // An object the walk judges: true when it was dealt with; false sends the
  // walk on to the object's fallback cache. Objects that only pass the walk
  // on to a cache are not visited.
  virtual bool Visit(C4DBaseObject& object) = 0;
  // After Visit: whether the walk goes on into the object's fallback cache
  // (not dealt with, and it has one), which then stands for it.
  virtual void PassedOn(C4DBaseObject& object, bool toCache) { (void)object, (void)toCache; }
  // Around every object the walk reaches, its caches and children included:
  // `throughCache` when it stands in a cache of the object entered before.
  virtual void Enter(C4DBaseObject& object, bool throughCache) { (void)object, (void)throughCache; }
  virtual void Leave(C4DBaseObject& object) { (void)object; }
};

// Every top-level object of the document and all below it.
void WalkScene(const C4DBaseDocument& document, SceneWalkVisitor& visitor);
// One object and all below it.
void WalkSceneObject(const C4DBaseDocument& document, C4DBaseObject& object, SceneWalkVisitor& visitor);
