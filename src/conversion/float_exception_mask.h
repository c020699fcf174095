// Masks every floating-point exception for its lifetime and restores the
// caller's floating-point environment (masks and flags) when it ends, also
// when it ends by an exception. Scene values are not checked before they are
// converted, so a point conversion must not trap on a damaged coordinate.
#pragma once
#include <cfenv>
#if defined(_WIN32)
#include <xmmintrin.h>
#endif

class FloatExceptionMask {
 public:
  FloatExceptionMask() {
    std::fegetenv(&m_saved);
    std::feholdexcept(&m_held);  // clears the flags and stops every trap
#if defined(_WIN32)
    // mingw-w64's environment calls stop the x87 unit's traps only; the SSE
    // unit, where the arithmetic runs and a Windows host's traps fire, keeps
    // its own masks and flags.
    m_sse = _mm_getcsr();
    _mm_setcsr((m_sse | kSseMasks) & ~kSseFlags);
#endif
  }
  ~FloatExceptionMask() {
    std::fesetenv(&m_saved);
#if defined(_WIN32)
    _mm_setcsr(m_sse);
#endif
  }
  FloatExceptionMask(const FloatExceptionMask&) = delete;
  FloatExceptionMask& operator=(const FloatExceptionMask&) = delete;

 private:
  std::fenv_t m_saved;
  std::fenv_t m_held;
#if defined(_WIN32)
  static constexpr unsigned kSseFlags = 0x3F;    // MXCSR bits 0-5: the exceptions raised
  static constexpr unsigned kSseMasks = 0x1F80;  // MXCSR bits 7-12: the exceptions masked
  unsigned m_sse = 0;
#endif
};
