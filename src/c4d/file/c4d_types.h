// Value types shared by the file layer and the scene model.
#pragma once
#include <cstdint>

// Three single-precision components, as every vector value of a scene file.
struct Vector {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};

// A placement: a point p maps to off + p.x*xAxis + p.y*yAxis + p.z*zAxis.
// Stored and read in this field order.
struct Matrix {
  Vector off{0.0f, 0.0f, 0.0f};
  Vector xAxis{1.0f, 0.0f, 0.0f};
  Vector yAxis{0.0f, 1.0f, 0.0f};
  Vector zAxis{0.0f, 0.0f, 1.0f};
};

// Double-precision twins of Vector and Matrix: the newer file variant stores
// every real as a double, and points and placements keep that precision.
struct Vector64 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

struct Matrix64 {
  Vector64 off{0.0, 0.0, 0.0};
  Vector64 xAxis{1.0, 0.0, 0.0};
  Vector64 yAxis{0.0, 1.0, 0.0};
  Vector64 zAxis{0.0, 0.0, 1.0};
};

inline Vector Narrow(const Vector64& v) {
  return Vector{static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}
inline Vector64 Widen(const Vector& v) { return Vector64{v.x, v.y, v.z}; }
inline Matrix Narrow(const Matrix64& m) { return Matrix{Narrow(m.off), Narrow(m.xAxis), Narrow(m.yAxis), Narrow(m.zAxis)}; }
inline Matrix64 Widen(const Matrix& m) { return Matrix64{Widen(m.off), Widen(m.xAxis), Widen(m.yAxis), Widen(m.zAxis)}; }

// A time value: numerator over denominator; 0/1 is time zero.
struct GeTime {
  double numerator = 0.0;
  double denominator = 1.0;
};

// One polygon record: four point indices; c == d marks a triangle.
struct CPolygon {
  int32_t a = 0;
  int32_t b = 0;
  int32_t c = 0;
  int32_t d = 0;
};
