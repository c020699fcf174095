// The newer file variant's own encodings: the header's tail, the doubles that
// replace single-precision reals, and the packed arrays of tag 140. The chunk
// framing, the sticky error and the limits are those of every file.
#include <bit>
#include <cstring>

#include "ge_chunk_file.h"

namespace {

// Eight-byte values of the newer variant are plain big-endian, high byte first.
uint64_t BigEndian64(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
  return v;
}

// A signalling NaN becomes quiet, as single reals do (see BigEndianFloat).
double BigEndianDouble(const uint8_t* p) {
  constexpr uint64_t kExponent = 0x7FF0000000000000u, kFraction = 0x000FFFFFFFFFFFFFu, kQuiet = 0x0008000000000000u;
  uint64_t bits = BigEndian64(p);
  if ((bits & kExponent) == kExponent && (bits & kFraction) != 0) bits |= kQuiet;
  return std::bit_cast<double>(bits);
}

Vector64 DecodeVector64(const uint8_t* p) {
  return Vector64{BigEndianDouble(p), BigEndianDouble(p + 8), BigEndianDouble(p + 16)};
}

// Converts `records` big-endian elements of Size bytes into host order, one
// every Stride bytes of the target: one column of a record array.
template <size_t Size, size_t Stride>
void Scatter(const uint8_t* source, size_t records, uint8_t* target) {
  for (size_t i = 0; i < records; ++i) {
    if constexpr (Size == 8) {
      const uint64_t v = BigEndian64(source + 8 * i);
      std::memcpy(target + Stride * i, &v, 8);
    } else {
      const uint8_t* p = source + 4 * i;
      const uint32_t v = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
      std::memcpy(target + Stride * i, &v, 4);
    }
  }
}

using Converter = void (*)(const uint8_t*, size_t, uint8_t*);

// The element size of a kind, and the converter for a column of that kind at
// a stride the scene model uses (plain arrays, polygons, vectors); 0 and null
// for anything else.
size_t ElementSize(uint8_t kind) { return kind == PACKED_INT32 ? 4 : kind == PACKED_FLOAT64 ? 8 : 0; }

Converter ColumnConverter(uint8_t kind, size_t stride) {
  if (kind == PACKED_INT32 && stride == 4) return Scatter<4, 4>;
  if (kind == PACKED_INT32 && stride == 16) return Scatter<4, 16>;
  if (kind == PACKED_FLOAT64 && stride == 8) return Scatter<8, 8>;
  if (kind == PACKED_FLOAT64 && stride == 24) return Scatter<8, 24>;
  return nullptr;
}

}  // namespace

bool GeChunkFile::ReadNewerHeaderTail() {
  uint32_t version = 0;
  uint8_t flag = 0;
  if (!ReadWord32(version) || !ReadBytes(&flag, 1)) return false;
  headerVersion_ = static_cast<int32_t>(version);
  // The document header chunk sets it again; until then the header's holds.
  version_ = headerVersion_;
  return true;
}

bool GeChunkFile::ReadWideTagged(uint8_t tag, double* values, size_t n) {
  uint8_t p[96];
  if (n > sizeof p / 8 || !ReadTagged(tag, p, 8 * n)) return false;
  for (size_t i = 0; i < n; ++i) values[i] = BigEndianDouble(p + 8 * i);
  return true;
}

bool GeChunkFile::ReadReal(double& v) {
  if (IsNewerVariant()) return ReadWideTagged(TAG_FLOAT32, &v, 1);
  float narrow = 0.0f;
  if (!ReadFloat32(narrow)) return false;
  v = narrow;
  return true;
}

bool GeChunkFile::ReadVector64(Vector64& v) {
  if (!IsNewerVariant()) {
    Vector narrow;
    if (!ReadVector(narrow)) return false;
    v = Widen(narrow);
    return true;
  }
  uint8_t p[24];
  if (!ReadTagged(TAG_VECTOR, p, 24)) return false;
  v = DecodeVector64(p);
  return true;
}

bool GeChunkFile::ReadMatrix64(Matrix64& v) {
  if (!IsNewerVariant()) {
    Matrix narrow;
    if (!ReadMatrix(narrow)) return false;
    v = Widen(narrow);
    return true;
  }
  uint8_t p[96];
  if (!ReadTagged(TAG_MATRIX, p, 96)) return false;
  v.off = DecodeVector64(p);
  v.xAxis = DecodeVector64(p + 24);
  v.yAxis = DecodeVector64(p + 48);
  v.zAxis = DecodeVector64(p + 72);
  return true;
}

bool GeChunkFile::CheckCount(int64_t count, int64_t bytesEach) {
  if (count < 0 || bytesEach <= 0) return CheckLength(-1);
  return CheckLength(count * bytesEach);  // an int32 count times a small size fits
}

bool GeChunkFile::ReadPackedColumn(uint8_t kind, int32_t count, uint8_t* column, size_t stride) {
  GeAllocMeterScope metered(&meter_);
  if (error_) return false;
  const size_t size = ElementSize(kind);
  const Converter convert = ColumnConverter(kind, stride);
  int64_t n = 0;
  if (!ExpectTag(TAG_PACKED_ARRAY) || !ReadLength(n)) return false;
  uint8_t stored = 0;
  // The length is always the kind byte plus count elements.
  if (size == 0 || !convert || count < 0 || n < 1 || !ReadByte(stored) || stored != kind ||
      n != 1 + int64_t{count} * static_cast<int64_t>(size) || (count > 0 && !column)) {
    if (error_ == FILEERROR_NONE) error_ = FILEERROR_FORMAT;
    return false;
  }
  if (count == 0) return true;
  if (!ReadRecords(column, static_cast<size_t>(count), size, stride, convert)) {
    CopyReadFailure();
    return false;
  }
  return true;
}
