// The host process's floating-point traps.
#include <cfenv>

#include "standin_internal.h"

namespace standin {

int HostFloatTraps() { return FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW; }

int SetFloatTraps(int traps) {
  const int previous = fegetexcept();
  // A flag raised while its trap was off would fire when the trap goes on.
  std::feclearexcept(FE_ALL_EXCEPT);
  fedisableexcept(FE_ALL_EXCEPT & ~traps);
  feenableexcept(traps);
  return previous;
}

int EnabledFloatTraps() { return fegetexcept(); }

}  // namespace standin
