// What the import leaves out of a scene, and why: worked out from the
// loaded scene by walking it the way the import's traversal does (override
// caches first, a fallback cache when an object is not dealt with, children
// always) and judging each object by the import's rules. The module keeps
// no log of its own; this is the tool's account of it.
//
//   std::vector<LeftOutObject> left = FindLeftOutObjects(document, LeftOutOptions{});
//   for (const LeftOutObject& o : left) if (o.counted) ...   // behind message 105
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class C4DBaseDocument;
class C4DBaseObject;

namespace c4dimport {

struct LeftOutObject {
  const C4DBaseObject* object = nullptr;
  std::string path;    // names from the top, "House / Walls"; a cache's object as "Cube / cache: Cube"
  std::string reason;  // for a person: what it is and what would bring it in
  // The import counts the object as convertible, so it is among the
  // objects message 105 reports as not converted.
  bool counted = false;
  // The converter rebuilt it from its parameters after the import.
  bool rebuilt = false;
};

struct LeftOutOptions {
  bool convertLarge = false;  // the large question was answered Yes
};

// Every object the import cannot turn into host geometry, in traversal
// order. Nulls (groups) are not listed; lights, cameras and the like are,
// with `counted` false.
std::vector<LeftOutObject> FindLeftOutObjects(const C4DBaseDocument& document, const LeftOutOptions& options);

// The reasons by object, for printers of the scene.
std::map<const C4DBaseObject*, std::string> LeftOutReasons(const C4DBaseDocument& document,
                                                           const LeftOutOptions& options);

// Loads the file with the scene library and finds what is left out of it;
// empty when the file cannot be loaded.
std::vector<LeftOutObject> FindLeftOutObjects(const std::string& path, const LeftOutOptions& options);

}  // namespace c4dimport
