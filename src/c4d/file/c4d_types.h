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
