// Float-to-byte conversions of colours and transparencies: truncation toward
// zero to a 32-bit integer, of which the low eight bits are kept, so a
// component above 1.0 or below 0 wraps instead of clamping.
#pragma once
#include <cmath>
#include <cstdint>

// Truncates toward zero like the processor's conversion: NaN and values
// outside the int32 range give INT32_MIN instead of undefined behaviour.
inline int32_t TruncToInt32(float v) {
  if (!(v > -2147483649.0f && v < 2147483648.0f)) return INT32_MIN;
  return static_cast<int32_t>(v);
}

inline int32_t TruncToInt32(double v) {
  if (!(v > -2147483649.0 && v < 2147483648.0)) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// A colour component in 0..1 as a byte: component x 255 in single precision.
inline uint8_t ColourByte(float component) {
  return static_cast<uint8_t>(TruncToInt32(component * 255.0f) & 0xFF);
}

// A transparency in 0..1 as a percentage byte: transparency x 100.
inline uint8_t PercentByte(float transparency) {
  return static_cast<uint8_t>(TruncToInt32(transparency * 100.0f) & 0xFF);
}
