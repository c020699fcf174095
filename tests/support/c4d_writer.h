// Writes scene files in code: every value kind, chunks and both container
// forms, into a memory buffer or a file. Tests and the sample generator build
// their scenes with it instead of hand-typed bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "c4d_types.h"

class C4DWriter {
 public:
  // The 8-byte file header "XC4D" "C4D6" ('6': "6C4D" "C4D6").
  C4DWriter& Header(char first = 'X');
  // The newer variant's header ("QC4D" "C4D6", version, 0); from here on
  // reals, times, vectors and matrices are written as big-endian doubles.
  C4DWriter& NewerHeader(int32_t version);
  bool IsNewer() const { return newer_; }
  // Packed arrays (tag 140, newer variant): kind 3 words, kind 6 doubles.
  C4DWriter& Packed(const std::vector<int32_t>& words);
  C4DWriter& Packed(const std::vector<double>& values);

  // Chunk framing: start marker, id, level ... end marker.
  C4DWriter& StartChunk(int32_t id, int32_t level);
  C4DWriter& EndChunk();

  // Tagged values, big-endian, exactly as a scene file stores them.
  C4DWriter& Int8(int8_t v);
  C4DWriter& UInt8(uint8_t v);
  C4DWriter& Int16(int16_t v);
  C4DWriter& UInt16(uint16_t v);
  C4DWriter& Int32(int32_t v);
  C4DWriter& UInt32(uint32_t v);
  C4DWriter& Int64(int64_t v);
  C4DWriter& UInt64(uint64_t v);
  C4DWriter& Float32(float v);
  C4DWriter& Float64(double v);
  C4DWriter& Bool(bool v);
  C4DWriter& BoolByte(uint8_t raw);  // tag 21 with any payload byte
  C4DWriter& Time(float numerator, float denominator);
  C4DWriter& Vec(const Vector& v);
  C4DWriter& Vec64(double x, double y, double z);
  C4DWriter& Mat(const Matrix& m);
  C4DWriter& Mat64(const double (&values)[12]);
  C4DWriter& Memory(const std::vector<uint8_t>& bytes);
  C4DWriter& Private(const std::vector<uint8_t>& bytes);
  C4DWriter& Str(const std::string& text);            // 8-bit text as 16-bit units
  C4DWriter& Str16(const std::vector<uint16_t>& units);
  C4DWriter& Filename(const std::string& text);
  C4DWriter& VectorArray(const std::vector<Vector>& points);
  C4DWriter& PolygonArray(const std::vector<CPolygon>& polygons, bool sixteenBit = false);
  C4DWriter& UInt16Array(const std::vector<uint16_t>& values);
  // Goal and link records of the alias registry (memory values).
  C4DWriter& GoalRecord(uint64_t id);
  C4DWriter& LinkRecord(uint64_t id);

  // Raw access for damaged-file tests.
  C4DWriter& Byte(uint8_t b);
  C4DWriter& Word32(uint32_t w);
  C4DWriter& Bytes(const std::vector<uint8_t>& bytes);

  const std::vector<uint8_t>& Data() const { return data_; }
  std::vector<uint8_t> Take() { return std::move(data_); }
  size_t Size() const { return data_.size(); }
  bool SaveTo(const std::string& path) const;

 private:
  std::vector<uint8_t> data_;
  bool newer_ = false;
};

// A container to be written in either form. Entries keep their order.
class ContainerSpec {
 public:
  explicit ContainerSpec(int32_t id = -1) : id_(id) {}
  ContainerSpec& Int(int32_t key, int32_t v);
  ContainerSpec& Real(int32_t key, float v);
  ContainerSpec& Vec(int32_t key, const Vector& v);
  ContainerSpec& Mat(int32_t key, const Matrix& m);
  ContainerSpec& Str(int32_t key, const std::string& text);
  ContainerSpec& Filename(int32_t key, const std::string& text);
  ContainerSpec& Link(int32_t key, uint64_t aliasId);
  ContainerSpec& Sub(int32_t key, const ContainerSpec& sub);
  // A sub-container that the chunk form writes in the older form.
  ContainerSpec& SubOlder(int32_t key, const ContainerSpec& sub);
  // Font data (chunk form only): a chunk wrapping the font's container.
  ContainerSpec& FontData(int32_t key, const ContainerSpec& font);
  static constexpr int32_t kFontDataType = 1009372;
  // Time entry (type 22).
  ContainerSpec& Time(int32_t key, float numerator, float denominator);
  // An entry of a type the reader does not know, holding a whole chunk (with
  // a nested chunk and a value inside). In the older form the chunk's bytes
  // travel as a counted payload whose tag is the type, so use a type >= 128.
  ContainerSpec& UnknownChunk(int32_t key, int32_t type, int32_t chunkId);

  // Older form: tag 132, byte count, id, entries, end entry (-1, type 3).
  // Sub-containers are written in the older form too.
  void WriteOlder(C4DWriter& w) const;
  // Chunk form: chunk 132 of the given level, id, entries, end marker.
  // Sub-containers are written in the chunk form of the same level.
  void WriteChunk(C4DWriter& w, int32_t level = 1) const;


  // One entry: its key, its type number, and the payload fields its type uses.
  struct Entry {
    int32_t key = 0;
    int32_t type = 0;
    int32_t i = 0;  // int value, or the chunk id of an unknown entry
    float f = 0.0f;
    float denominator = 1.0f;
    Vector v;
    Matrix m;
    std::string text;
    uint64_t aliasId = 0;
    std::vector<ContainerSpec> sub;  // the sub-container, when type is 132
    bool subOlder = false;
  };
  int32_t Id() const { return id_; }
  const std::vector<Entry>& Entries() const { return entries_; }

  ~ContainerSpec();
  ContainerSpec(const ContainerSpec&);
  ContainerSpec& operator=(const ContainerSpec&);

 private:
  ContainerSpec& Add(Entry entry);
  void WriteOlderEntry(C4DWriter& w, const Entry& e) const;
  void WriteChunkEntry(C4DWriter& w, const Entry& e, int32_t level) const;

  int32_t id_;
  std::vector<Entry> entries_;
};
