// The Boole operations of a build without CGAL (a 32-bit or a Windows build):
// the generator is known and refused with the reason.
#include "boole.h"

namespace c4dgen {

bool BooleMeshes(int, const std::vector<Piece>&, const std::vector<Piece>&, Piece&, std::string& reason) {
  reason = "boolean operations are not available in this build";
  return false;
}

}  // namespace c4dgen
