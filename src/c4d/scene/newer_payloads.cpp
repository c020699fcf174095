// Node payloads of the newer file variant ("QC4D" "C4D6"), kept apart from
// the classic layouts: each classic reader hands over here at one visible
// branch on GeChunkFile::IsNewerVariant. Reals, vectors and matrices are
// doubles in these files; the file layer reads them at either precision.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "c4d_object.h"
#include "c4d_tag.h"
#include "ge_alloc.h"
#include "scene_read.h"

// Chunk 110050 after its sub-chunk block: the classic level-3 word and the
// level-4 word list are gone, the layer link follows at once. What comes
// after it (a byte, a 16-byte block, a bool, words) is skipped.
void C4DBaseList2D::ReadNewerBaseListTail(GeChunkFile& file, int32_t level) {
  if (level >= 5) ReadLinkRecord(file, layerLink);
  file.SkipChunkRest();
}

// The cosine and sine of an angle through its exact reduction to whole
// quarter turns and a rest within an eighth of a turn, the rest a sum of two
// doubles: the angle's 53 bits are multiplied by 2/pi held to 224 bits, in
// integers, so no quarter turn is lost however many there are (the closest
// an angle below 2^30 comes to a multiple of pi/2 costs about 60 bits of the
// rest). For |angle| < 2^30; other angles go to the library as they are.
// Windows builds place objects with it (TurnOf); it is built on every
// platform so that it can be held against an exact library anywhere.
namespace scene_read {

void ExactCosineSine(double angle, double& cosine, double& sine);

namespace {

// 2/pi in 224 bits after the point, in 32-bit words from the top.
constexpr uint32_t kTwoOverPi[7] = {0xa2f9836e, 0x4e441529, 0xfc2757d1, 0xf534ddc0,
                                    0xdb629599, 0x3c439041, 0xfe5163ab};
constexpr int kProductWords = 9;

// Bits [low, low + count) of a number of kProductWords words, lowest word
// first; bits outside it are 0. count <= 64.
uint64_t Bits(const uint32_t* words, int low, int count) {
  uint64_t value = 0;
  for (int bit = low + count - 1; bit >= low; --bit) {
    const bool inside = bit >= 0 && bit < 32 * kProductWords;
    value = (value << 1) | (inside ? (words[bit / 32] >> (bit % 32)) & 1u : 0u);
  }
  return value;
}

// a * b exactly as hi + lo, without a fused multiply-add (Dekker).
void TwoProduct(double a, double b, double& hi, double& lo) {
  const auto split = [](double v, double& high, double& low) {
    const double c = 134217729.0 * v;  // 2^27 + 1
    high = c - (c - v);
    low = v - high;
  };
  double ah, al, bh, bl;
  split(a, ah, al);
  split(b, bh, bl);
  hi = a * b;
  lo = ((ah * bh - hi) + ah * bl + al * bh) + al * bl;
}

struct ReducedAngle {
  int64_t turns = 0;
  double rest = 0, tail = 0;
};

ReducedAngle ReduceAngle(double angle) {
  ReducedAngle reduced;
  int exponent = 0;
  const uint64_t m = uint64_t(std::ldexp(std::frexp(std::fabs(angle), &exponent), 53));
  // |angle| * 2/pi = p * 2^-point, p = m * kTwoOverPi.
  uint32_t p[kProductWords] = {};
  for (int i = 0; i < 2; ++i) {
    const uint64_t word = i ? m >> 32 : m & 0xffffffffu;
    uint64_t carry = 0;
    for (int j = 0; j < 7; ++j) {
      const uint64_t t = word * kTwoOverPi[6 - j] + p[i + j] + carry;
      p[i + j] = uint32_t(t);
      carry = t >> 32;
    }
    p[i + 7] = uint32_t(carry);
  }
  const int point = 53 + 224 - exponent;
  const bool up = Bits(p, point - 1, 1) != 0;  // the rest is over half a turn: round up
  reduced.turns = int64_t(Bits(p, point, 32)) + up;
  // What is left after the point, as its distance to the nearer whole turn.
  for (int bit = std::max(point, 0); bit < 32 * kProductWords; ++bit) p[bit / 32] &= ~(1u << (bit % 32));
  if (up) {
    uint64_t carry = 1;
    for (uint32_t& word : p) {
      const uint64_t t = uint64_t(~word) + carry;
      word = uint32_t(t);
      carry = t >> 32;
    }
    for (int bit = std::max(point, 0); bit < 32 * kProductWords; ++bit) p[bit / 32] &= ~(1u << (bit % 32));
  }
  int top = 32 * kProductWords - 1;
  while (top >= 0 && !((p[top / 32] >> (top % 32)) & 1u)) --top;
  if (top < 0) return reduced;  // a whole number of quarter turns (only 0)
  const double high = std::ldexp(double(Bits(p, top - 52, 53)), top - 52 - point);
  const double low = std::ldexp(double(Bits(p, top - 105, 53)), top - 105 - point);
  // Times pi/2 (itself a sum of two doubles), in double-double arithmetic.
  constexpr double kHalfPi = 0x1.921fb54442d18p+0, kHalfPiTail = 0x1.1a62633145c07p-54;
  double product, error;
  TwoProduct(high, kHalfPi, product, error);
  const double tail = error + (high * kHalfPiTail + low * kHalfPi);
  const double sign = (angle < 0) != up ? -1.0 : 1.0;
  reduced.rest = sign * (product + tail);
  reduced.tail = sign * (tail - ((product + tail) - product));
  if (angle < 0) reduced.turns = -reduced.turns;
  return reduced;
}

}  // namespace

void ExactCosineSine(double angle, double& cosine, double& sine) {
  if (!(std::fabs(angle) < 0x1p30)) {
    cosine = std::cos(angle);
    sine = std::sin(angle);
    return;
  }
  const ReducedAngle reduced = ReduceAngle(angle);
  // The rest at the x87 unit's width: rounded once to a double, the results
  // are those of an exact library.
  const long double exact = static_cast<long double>(reduced.rest) + reduced.tail;
  const double c = static_cast<double>(std::cos(exact));
  const double s = static_cast<double>(std::sin(exact));
  switch (reduced.turns & 3) {
    case 0: cosine = c, sine = s; break;
    case 1: cosine = -s, sine = c; break;
    case 2: cosine = -c, sine = -s; break;
    default: cosine = s, sine = -c; break;
  }
}

}  // namespace scene_read

namespace {

struct Turn {
  double cosine, sine;
};

// The cosine and sine of an angle from the file. mingw-w64's cos and sin
// leave the reduction by quarter turns to the x87 unit, whose pi has 66 bits:
// near a multiple of a quarter turn, the commonest rotation, they are off by
// far more than a rounding, and far from zero by more still, and Windows
// would place the same scene elsewhere. There the angle is reduced exactly
// (ExactCosineSine) and the library sees only the rest, within an eighth of
// a turn.
Turn TurnOf(double angle) {
#if defined(_WIN32)
  if (std::fabs(angle) > 0.78) {
    Turn turn;
    scene_read::ExactCosineSine(angle, turn.cosine, turn.sine);
    return turn;
  }
#endif
  return {std::cos(angle), std::sin(angle)};
}

}  // namespace

namespace scene_read {

Matrix64 LocalMatrix(const Vector64& position, const Vector64& rotation, const Vector64& scale) {
  // Plain copies: a lambda may not capture structured bindings in every compiler.
  const auto heading = TurnOf(rotation.x), pitch = TurnOf(rotation.y), bank = TurnOf(rotation.z);
  const double cH = heading.cosine, sH = heading.sine, cP = pitch.cosine, sP = pitch.sine;
  const double cB = bank.cosine, sB = bank.sine;
  auto turn = [&](Vector64 v, double s) {
    v = Vector64{v.x * cB + v.y * sB, -v.x * sB + v.y * cB, v.z};  // bank
    v = Vector64{v.x, v.y * cP + v.z * sP, -v.y * sP + v.z * cP};  // pitch
    v = Vector64{v.x * cH - v.z * sH, v.y, v.x * sH + v.z * cH};   // heading
    return Vector64{v.x * s, v.y * s, v.z * s};
  };
  return Matrix64{position, turn({1, 0, 0}, scale.x), turn({0, 1, 0}, scale.y), turn({0, 0, 1}, scale.z)};
}

}  // namespace scene_read

namespace {

// Whether `count` records of `bytes` each can be held at all: on a 32-bit
// host a count that the file's length allows may still pass what a size can
// hold. When not, the read ends with a memory error before allocating.
bool Fits(GeChunkFile& file, int32_t count, size_t bytes) {
  const uint64_t wanted = uint64_t(count) * bytes;
  if (wanted == static_cast<size_t>(wanted)) return true;
  file.SetError(FILEERROR_MEMORY);
  return false;
}

}  // namespace

// Chunk 110052: position, scale and rotation, the three state words, a flag, the
// colour and useColor, a vector and a word, a matrix, and the two cache
// flags. The classic layout's two matrices in front of the state words
// are gone.
// The object is placed by its position, rotation and scale, in double
// precision. The later matrix is the global matrix as it was last worked
// out, a copy that may be stale (in the files we have it disagrees with
// the placement of a few objects whose parent was scaled or which were moved
// later); it is read and dropped, like the flag.
bool C4DBaseObject::ReadNewerObjectChunk(GeChunkFile& file, int32_t level) {
  Vector64 wide[3] = {{0, 0, 0}, {1, 1, 1}, {0, 0, 0}};
  for (Vector64& v : wide) file.ReadVector64(v);
  position = Narrow(wide[0]);
  scale = Narrow(wide[1]);
  rotation = Narrow(wide[2]);
  wideMl = scene_read::LocalMatrix(wide[0], wide[2], wide[1]);
  hasWideMl = true;
  ReadStateWords(file);
  if (level >= 1) {
    scene_read::ReadValueSequence(file, "B", nullptr);
    file.ReadVector(color);
  }
  if (level >= 2) file.ReadInt32(useColor);
  if (level >= 3) scene_read::ReadValueSequence(file, "V I", nullptr);
  if (level >= 4) {
    Matrix dropped;
    file.ReadMatrix(dropped);
  }
  if (level >= 5) {
    int32_t hasOverride = 0;
    if (file.ReadBool(hasOverride) && hasOverride) ReadCache(file, overrideCache);
    int32_t hasFallback = 0;
    if (file.ReadBool(hasFallback) && hasFallback) ReadCache(file, fallbackCache);
  }
  file.SkipChunkRest();
  return true;
}

// Point tag 5600: a count N, then three packed arrays of N doubles, all x,
// all y, all z. The doubles are kept; `points` holds them narrowed for the
// code that works in single precision (the topology's bend test, the tools).
void PrivateC4DPointTag::ReadNewerPoints(GeChunkFile& file) {
  int32_t count = 0;
  if (!file.ReadInt32(count) || !file.CheckCount(count, 3 * 8)) return;
  if (count == 0 || !Fits(file, count, sizeof(Vector64))) return;
  points64 = static_cast<Vector64*>(GeAllocUninitialized(size_t(count) * sizeof(Vector64)));
  points = static_cast<Vector*>(GeAllocUninitialized(size_t(count) * sizeof(Vector)));
  if (!points64 || !points) {
    file.SetError(FILEERROR_MEMORY);
    Clear();
    return;
  }
  auto* records = reinterpret_cast<uint8_t*>(points64);
  for (size_t column = 0; column < 3; ++column) {
    if (!file.ReadPackedColumn(PACKED_FLOAT64, count, records + 8 * column, sizeof(Vector64))) {
      Clear();
      return;
    }
  }
  for (int32_t i = 0; i < count; ++i) points[i] = Narrow(points64[i]);
  pointCount = count;
}

// Polygon tag 5604: a count M, then four packed arrays of M words: all a,
// all b, all c, all d (a triangle has c equal to d).
void PrivateC4DPolygonTag::ReadNewerPolygons(GeChunkFile& file) {
  int32_t count = 0;
  if (!file.ReadInt32(count) || !file.CheckCount(count, 4 * 4)) return;
  if (count == 0 || !Fits(file, count, sizeof(CPolygon))) return;
  polygons = static_cast<CPolygon*>(GeAllocUninitialized(size_t(count) * sizeof(CPolygon)));
  if (!polygons) {
    file.SetError(FILEERROR_MEMORY);
    return;
  }
  auto* records = reinterpret_cast<uint8_t*>(polygons);
  for (size_t column = 0; column < 4; ++column) {
    if (!file.ReadPackedColumn(PACKED_INT32, count, records + 4 * column, sizeof(CPolygon))) {
      GeFree(polygons);
      polygons = nullptr;
      return;
    }
  }
  polygonCount = count;
}

// UVW tag 5671: a count M, then one packed array of 8 float32 per polygon,
// (u, v) of the corners a, b, c, d; kept as four vectors per polygon.
void C4DUVWTag::ReadNewerUVW(GeChunkFile& file) {
  GeFree(uvw);
  uvw = nullptr;
  uvwCount = 0;
  int32_t count = 0;
  if (!file.ReadInt32(count) || !file.CheckCount(count, 8 * 4)) return;
  if (count == 0 || !Fits(file, count, 4 * sizeof(Vector))) return;
  const size_t words = size_t(count) * 8;
  auto* block = static_cast<float*>(GeAllocUninitialized(words * sizeof(float)));
  uvw = static_cast<Vector*>(GeAlloc(size_t(count) * 4 * sizeof(Vector)));
  if (block && uvw &&
      file.ReadPackedColumn(PACKED_INT32, static_cast<int32_t>(words), reinterpret_cast<uint8_t*>(block), 4)) {
    for (size_t corner = 0; corner < size_t(count) * 4; ++corner) {
      uvw[corner] = Vector{block[2 * corner], block[2 * corner + 1], 0.0f};
    }
    uvwCount = count * 4;
  } else {
    if (!block || !uvw) file.SetError(FILEERROR_MEMORY);
    GeFree(uvw);
    uvw = nullptr;
  }
  GeFree(block);
}
