// The host process's floating-point traps.
#include <cfenv>
#if defined(_WIN32)
#include <float.h>
#endif

#include "standin_internal.h"

namespace standin {

int HostFloatTraps() { return FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW; }

#if defined(_WIN32)
// A Windows host sets its traps through the C runtime's control word, where
// a set bit masks an exception: the trap is off.
namespace {
constexpr struct {
  int flag;
  unsigned mask;
} kTrapMasks[] = {{FE_INVALID, _EM_INVALID},     {FE_DIVBYZERO, _EM_ZERODIVIDE}, {FE_OVERFLOW, _EM_OVERFLOW},
                  {FE_UNDERFLOW, _EM_UNDERFLOW}, {FE_INEXACT, _EM_INEXACT}};
}  // namespace

int EnabledFloatTraps() {
  const unsigned control = _controlfp(0, 0);
  int traps = 0;
  for (const auto& trap : kTrapMasks) traps |= (control & trap.mask) ? 0 : trap.flag;
  return traps;
}

int SetFloatTraps(int traps) {
  const int previous = EnabledFloatTraps();
  std::feclearexcept(FE_ALL_EXCEPT);
  unsigned control = _EM_DENORMAL;
  for (const auto& trap : kTrapMasks) control |= (traps & trap.flag) ? 0 : trap.mask;
  _controlfp(control, _MCW_EM);
  return previous;
}
#else
int SetFloatTraps(int traps) {
  const int previous = fegetexcept();
  // A flag raised while its trap was off would fire when the trap goes on.
  std::feclearexcept(FE_ALL_EXCEPT);
  fedisableexcept(FE_ALL_EXCEPT & ~traps);
  feenableexcept(traps);
  return previous;
}

int EnabledFloatTraps() { return fegetexcept(); }
#endif

}  // namespace standin
