// Float-to-byte conversions of colours and transparencies: truncation toward
// zero to a 32-bit integer, of which the low eight bits are kept, so a
// component above 1.0 or below 0 wraps instead of clamping.
//
// Every decision about a value that may be out of range is taken on its
// bits: an ordered comparison with a NaN, arithmetic on a signalling NaN, an
// overflowing product or an out-of-range conversion would each raise a
// floating-point exception, and a host that runs with traps switched on
// turns that into a crash. Values come straight from the scene file.
#pragma once
#include <bit>
#include <cmath>
#include <cstdint>

// Truncates toward zero like the processor's conversion: NaN and values
// outside the int32 range give INT32_MIN instead of undefined behaviour.
inline int32_t TruncToInt32(float v) {
  // 0x4F000000 is 2^31; infinities and NaNs lie above it.
  if ((std::bit_cast<uint32_t>(v) & 0x7FFFFFFFu) >= 0x4F000000u) return INT32_MIN;
  return static_cast<int32_t>(v);
}

inline int32_t TruncToInt32(double v) {
  // 0x41E0000000000000 is 2^31.
  if ((std::bit_cast<uint64_t>(v) & 0x7FFFFFFFFFFFFFFFull) >= 0x41E0000000000000ull) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// `value` × `factor` truncated, for a factor of at most 255: from 2^24 on
// (0x4B800000), infinities and NaNs included, the product is beyond the int32
// range anyway, so it is not computed (it could overflow or meet a NaN).
inline int32_t ScaledToInt32(float value, float factor) {
  if ((std::bit_cast<uint32_t>(value) & 0x7FFFFFFFu) >= 0x4B800000u) return INT32_MIN;
  return TruncToInt32(value * factor);
}

// A colour component in 0..1 as a byte: component x 255 in single precision.
inline uint8_t ColourByte(float component) {
  return static_cast<uint8_t>(ScaledToInt32(component, 255.0f) & 0xFF);
}

// A transparency in 0..1 as a percentage byte: transparency x 100.
inline uint8_t PercentByte(float transparency) {
  return static_cast<uint8_t>(ScaledToInt32(transparency, 100.0f) & 0xFF);
}
