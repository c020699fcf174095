// Masks every floating-point exception for its lifetime and restores the
// caller's floating-point environment (masks and flags) when it ends, also
// when it ends by an exception. Scene values are not checked before they are
// converted, so a point conversion must not trap on a damaged coordinate.
#pragma once
#include <cfenv>

class FloatExceptionMask {
 public:
  FloatExceptionMask() {
    std::fegetenv(&m_saved);
    std::feholdexcept(&m_held);  // clears the flags and stops every trap
  }
  ~FloatExceptionMask() { std::fesetenv(&m_saved); }
  FloatExceptionMask(const FloatExceptionMask&) = delete;
  FloatExceptionMask& operator=(const FloatExceptionMask&) = delete;

 private:
  std::fenv_t m_saved;
  std::fenv_t m_held;
};
