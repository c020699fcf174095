// Text outlines of a build without FreeType (a 32-bit or a Windows build):
// a Text without a cache is refused with the reason.
#include "text_outline.h"

namespace c4dgen {

c4dprim::SplineRead TextOutline(const GeContainer&) {
  c4dprim::SplineRead read;
  read.reason = "text outlines are not available in this build";
  return read;
}

}  // namespace c4dgen
