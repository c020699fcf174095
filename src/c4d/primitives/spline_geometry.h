// Vector arithmetic in double precision for the spline shapes.
#pragma once
#include <cmath>

#include "c4d_types.h"

namespace c4dprim {

inline Vector64 operator+(const Vector64& a, const Vector64& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector64 operator-(const Vector64& a, const Vector64& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector64 operator*(const Vector64& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vector64 operator/(const Vector64& a, double s) { return {a.x / s, a.y / s, a.z / s}; }
inline double Dot(const Vector64& a, const Vector64& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vector64 Cross(const Vector64& a, const Vector64& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(const Vector64& a) { return std::sqrt(Dot(a, a)); }
inline double Distance(const Vector64& a, const Vector64& b) { return Length(b - a); }
// The angle between two directions; 0 when either is a zero vector.
inline double Angle(const Vector64& a, const Vector64& b) { return std::atan2(Length(Cross(a, b)), Dot(a, b)); }
inline bool Finite(const Vector64& a) { return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z); }

}  // namespace c4dprim
