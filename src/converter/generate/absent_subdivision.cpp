// Subdivision in a build without the subdivision library: the cage stays.
#include "subdivision.h"

namespace c4dgen {

bool Subdivide(std::vector<Vector64>&, std::vector<CPolygon>&, int, std::string& reason) {
  reason = "subdivision is not available in this build: the cage as it is";
  return false;
}

}  // namespace c4dgen
