#include "c4d_writer.h"

#include <bit>
#include <cstdio>

namespace {
constexpr uint8_t kChunkStart = 1;
constexpr uint8_t kChunkEnd = 2;
constexpr int32_t kContainerChunk = 132;
constexpr uint8_t kEndEntryType = 3;
}  // namespace

// ---------------------------------------------------------------------------
// C4DWriter

C4DWriter& C4DWriter::Byte(uint8_t b) {
  data_.push_back(b);
  return *this;
}

C4DWriter& C4DWriter::Word32(uint32_t w) {
  for (int shift = 24; shift >= 0; shift -= 8) data_.push_back(static_cast<uint8_t>(w >> shift));
  return *this;
}

C4DWriter& C4DWriter::Bytes(const std::vector<uint8_t>& bytes) {
  data_.insert(data_.end(), bytes.begin(), bytes.end());
  return *this;
}

namespace {
C4DWriter& PutWord16(C4DWriter& w, uint16_t v) { return w.Byte(uint8_t(v >> 8)).Byte(uint8_t(v)); }
C4DWriter& PutBigEndian64(C4DWriter& w, uint64_t v) { return w.Word32(uint32_t(v >> 32)).Word32(uint32_t(v)); }
// The newer variant writes reals as big-endian doubles.
C4DWriter& PutFloat(C4DWriter& w, float f) {
  return w.IsNewer() ? PutBigEndian64(w, std::bit_cast<uint64_t>(double(f))) : w.Word32(std::bit_cast<uint32_t>(f));
}
// Eight-byte kinds: the low-order word first, each word big-endian.
C4DWriter& PutWord64(C4DWriter& w, uint64_t v) { return w.Word32(uint32_t(v)).Word32(uint32_t(v >> 32)); }
C4DWriter& PutDouble(C4DWriter& w, double d) { return PutWord64(w, std::bit_cast<uint64_t>(d)); }
C4DWriter& PutVector(C4DWriter& w, const Vector& v) { return PutFloat(PutFloat(PutFloat(w, v.x), v.y), v.z); }
C4DWriter& PutMatrix(C4DWriter& w, const Matrix& m) {
  return PutVector(PutVector(PutVector(PutVector(w, m.off), m.xAxis), m.yAxis), m.zAxis);
}
std::vector<uint16_t> Units(const std::string& text) {
  std::vector<uint16_t> units;
  for (unsigned char c : text) units.push_back(c);
  return units;
}
// A byte count, then the 16-bit units big-endian, without a tag.
C4DWriter& PutCountedUnits(C4DWriter& w, const std::vector<uint16_t>& units) {
  w.Word32(static_cast<uint32_t>(units.size() * 2));
  for (uint16_t u : units) PutWord16(w, u);
  return w;
}
std::vector<uint8_t> AliasRecord(const char* prefix, uint64_t id) {
  std::vector<uint8_t> bytes(prefix, prefix + 6);
  for (int shift = 56; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(id >> shift));
  return bytes;
}
}  // namespace

C4DWriter& C4DWriter::Header(char first) {
  return Bytes({uint8_t(first), 'C', '4', 'D', 'C', '4', 'D', '6'});
}

C4DWriter& C4DWriter::NewerHeader(int32_t version) {
  newer_ = true;
  return Bytes({'Q', 'C', '4', 'D', 'C', '4', 'D', '6'}).Word32(static_cast<uint32_t>(version)).Byte(0);
}

C4DWriter& C4DWriter::Packed(const std::vector<int32_t>& words) {
  Byte(140).Word32(static_cast<uint32_t>(1 + 4 * words.size())).Byte(3);
  for (int32_t v : words) Word32(static_cast<uint32_t>(v));
  return *this;
}

C4DWriter& C4DWriter::Packed(const std::vector<double>& values) {
  Byte(140).Word32(static_cast<uint32_t>(1 + 8 * values.size())).Byte(6);
  for (double v : values) PutBigEndian64(*this, std::bit_cast<uint64_t>(v));
  return *this;
}

C4DWriter& C4DWriter::StartChunk(int32_t id, int32_t level) {
  return Byte(kChunkStart).Word32(static_cast<uint32_t>(id)).Word32(static_cast<uint32_t>(level));
}

C4DWriter& C4DWriter::EndChunk() { return Byte(kChunkEnd); }

C4DWriter& C4DWriter::Int8(int8_t v) { return Byte(11).Byte(static_cast<uint8_t>(v)); }
C4DWriter& C4DWriter::UInt8(uint8_t v) { return Byte(12).Byte(v); }
C4DWriter& C4DWriter::Int16(int16_t v) { return PutWord16(Byte(13), static_cast<uint16_t>(v)); }
C4DWriter& C4DWriter::UInt16(uint16_t v) { return PutWord16(Byte(14), v); }
C4DWriter& C4DWriter::Int32(int32_t v) { return Byte(15).Word32(static_cast<uint32_t>(v)); }
C4DWriter& C4DWriter::UInt32(uint32_t v) { return Byte(16).Word32(v); }
C4DWriter& C4DWriter::Int64(int64_t v) { return PutWord64(Byte(17), static_cast<uint64_t>(v)); }
C4DWriter& C4DWriter::UInt64(uint64_t v) { return PutWord64(Byte(18), v); }
C4DWriter& C4DWriter::Float32(float v) { return PutFloat(Byte(19), v); }
C4DWriter& C4DWriter::Float64(double v) { return PutDouble(Byte(20), v); }
C4DWriter& C4DWriter::Bool(bool v) { return Byte(21).Byte(v ? 1 : 0); }
C4DWriter& C4DWriter::BoolByte(uint8_t raw) { return Byte(21).Byte(raw); }
C4DWriter& C4DWriter::Time(float numerator, float denominator) {
  return PutFloat(PutFloat(Byte(22), numerator), denominator);
}
C4DWriter& C4DWriter::Vec(const Vector& v) { return PutVector(Byte(23), v); }
C4DWriter& C4DWriter::Vec64(double x, double y, double z) { return PutDouble(PutDouble(PutDouble(Byte(24), x), y), z); }
C4DWriter& C4DWriter::Mat(const Matrix& m) { return PutMatrix(Byte(25), m); }
C4DWriter& C4DWriter::Mat64(const double (&values)[12]) {
  Byte(26);
  for (double d : values) PutDouble(*this, d);
  return *this;
}
C4DWriter& C4DWriter::Memory(const std::vector<uint8_t>& bytes) {
  return Byte(128).Word32(static_cast<uint32_t>(bytes.size())).Bytes(bytes);
}
C4DWriter& C4DWriter::Private(const std::vector<uint8_t>& bytes) {
  return Byte(129).Word32(static_cast<uint32_t>(bytes.size())).Bytes(bytes);
}
C4DWriter& C4DWriter::Str(const std::string& text) { return Str16(Units(text)); }
C4DWriter& C4DWriter::Str16(const std::vector<uint16_t>& units) { return PutCountedUnits(Byte(130), units); }
C4DWriter& C4DWriter::Filename(const std::string& text) { return PutCountedUnits(Byte(131), Units(text)); }
C4DWriter& C4DWriter::VectorArray(const std::vector<Vector>& points) {
  Byte(133).Word32(static_cast<uint32_t>(points.size() * 12));
  for (const Vector& p : points) PutVector(*this, p);
  return *this;
}
C4DWriter& C4DWriter::PolygonArray(const std::vector<CPolygon>& polygons, bool sixteenBit) {
  // The byte count covers the form word as well.
  const size_t each = sixteenBit ? 8 : 16;
  Byte(134).Word32(static_cast<uint32_t>(polygons.size() * each + 4)).Word32(sixteenBit ? 1 : 0);
  for (const CPolygon& p : polygons) {
    for (int32_t index : {p.a, p.b, p.c, p.d}) {
      if (sixteenBit) {
        PutWord16(*this, static_cast<uint16_t>(index));
      } else {
        Word32(static_cast<uint32_t>(index));
      }
    }
  }
  return *this;
}
C4DWriter& C4DWriter::UInt16Array(const std::vector<uint16_t>& values) {
  Byte(135).Word32(static_cast<uint32_t>(values.size() * 2));
  for (uint16_t v : values) PutWord16(*this, v);
  return *this;
}
C4DWriter& C4DWriter::GoalRecord(uint64_t id) { return Memory(AliasRecord("agoal1", id)); }
C4DWriter& C4DWriter::LinkRecord(uint64_t id) { return Memory(AliasRecord("alias2", id)); }

bool C4DWriter::SaveTo(const std::string& path) const {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool written = data_.empty() || std::fwrite(data_.data(), 1, data_.size(), f) == data_.size();
  return std::fclose(f) == 0 && written;
}

// ---------------------------------------------------------------------------
// ContainerSpec

ContainerSpec::~ContainerSpec() = default;
ContainerSpec::ContainerSpec(const ContainerSpec&) = default;
ContainerSpec& ContainerSpec::operator=(const ContainerSpec&) = default;

ContainerSpec& ContainerSpec::Add(Entry entry) {
  entries_.push_back(std::move(entry));
  return *this;
}

namespace {
// An entry of `key` and `type` with the payload fields `set` fills in.
template <typename Set>
ContainerSpec::Entry Make(int32_t key, int32_t type, Set set) {
  ContainerSpec::Entry e;
  e.key = key;
  e.type = type;
  set(e);
  return e;
}
}  // namespace

ContainerSpec& ContainerSpec::Int(int32_t key, int32_t v) { return Add(Make(key, 15, [&](Entry& e) { e.i = v; })); }
ContainerSpec& ContainerSpec::Real(int32_t key, float v) { return Add(Make(key, 19, [&](Entry& e) { e.f = v; })); }
ContainerSpec& ContainerSpec::Vec(int32_t key, const Vector& v) { return Add(Make(key, 23, [&](Entry& e) { e.v = v; })); }
ContainerSpec& ContainerSpec::Mat(int32_t key, const Matrix& m) { return Add(Make(key, 25, [&](Entry& e) { e.m = m; })); }
ContainerSpec& ContainerSpec::Str(int32_t key, const std::string& text) {
  return Add(Make(key, 130, [&](Entry& e) { e.text = text; }));
}
ContainerSpec& ContainerSpec::Filename(int32_t key, const std::string& text) {
  return Add(Make(key, 131, [&](Entry& e) { e.text = text; }));
}
ContainerSpec& ContainerSpec::Link(int32_t key, uint64_t aliasId) {
  return Add(Make(key, 133, [&](Entry& e) { e.aliasId = aliasId; }));
}
ContainerSpec& ContainerSpec::Sub(int32_t key, const ContainerSpec& sub) {
  return Add(Make(key, 132, [&](Entry& e) { e.sub.push_back(sub); }));
}
ContainerSpec& ContainerSpec::SubOlder(int32_t key, const ContainerSpec& sub) {
  return Add(Make(key, 132, [&](Entry& e) { e.sub.push_back(sub), e.subOlder = true; }));
}
ContainerSpec& ContainerSpec::Time(int32_t key, float numerator, float denominator) {
  return Add(Make(key, 22, [&](Entry& e) { e.f = numerator, e.denominator = denominator; }));
}
ContainerSpec& ContainerSpec::FontData(int32_t key, const ContainerSpec& font) {
  return Add(Make(key, kFontDataType, [&](Entry& e) { e.sub.push_back(font); }));
}
ContainerSpec& ContainerSpec::UnknownChunk(int32_t key, int32_t type, int32_t chunkId) {
  return Add(Make(key, type, [&](Entry& e) { e.i = chunkId; }));
}

namespace {
// The chunk an unknown entry holds: a nested chunk and a value inside.
void WriteUnknownChunk(C4DWriter& w, int32_t chunkId) {
  w.StartChunk(chunkId, 0).StartChunk(chunkId + 1, 3).Int32(7).EndChunk().Str("inside").EndChunk();
}
}  // namespace

void ContainerSpec::WriteOlderEntry(C4DWriter& w, const Entry& e) const {
  w.Word32(static_cast<uint32_t>(e.key)).Byte(static_cast<uint8_t>(e.type));
  switch (e.type) {
    case 15: w.Int32(e.i); break;
    case 19: w.Float32(e.f); break;
    case 23: w.Vec(e.v); break;
    case 25: w.Mat(e.m); break;
    case 130: w.Str(e.text); break;
    case 132: e.sub.front().WriteOlder(w); break;
    // Every other type byte is the tag of a payload that follows directly.
    case 131: PutCountedUnits(w, Units(e.text)); break;
    case 133: w.Word32(14).Bytes(AliasRecord("alias2", e.aliasId)); break;
    case 22: PutFloat(PutFloat(w, e.f), e.denominator); break;
    default: {
      C4DWriter chunk;
      WriteUnknownChunk(chunk, e.i);
      w.Word32(static_cast<uint32_t>(chunk.Size())).Bytes(chunk.Data());
      break;
    }
  }
}

void ContainerSpec::WriteOlder(C4DWriter& w) const {
  C4DWriter body;
  body.Int32(id_);
  for (const Entry& e : entries_) WriteOlderEntry(body, e);
  body.Word32(0xFFFFFFFFu).Byte(kEndEntryType);
  w.Byte(132).Word32(static_cast<uint32_t>(body.Size())).Bytes(body.Data());
}

void ContainerSpec::WriteChunkEntry(C4DWriter& w, const Entry& e, int32_t level) const {
  w.Int32(e.key).Int32(e.type);
  switch (e.type) {
    case 15: w.Int32(e.i); break;
    case 19: w.Float32(e.f); break;
    case 22: w.Time(e.f, e.denominator); break;
    case 23: w.Vec(e.v); break;
    case 25: w.Mat(e.m); break;
    case 130: w.Str(e.text); break;
    case 131: w.Filename(e.text); break;
    case 132: e.subOlder ? e.sub.front().WriteOlder(w) : e.sub.front().WriteChunk(w, level); break;
    case 133: w.LinkRecord(e.aliasId); break;
    case kFontDataType: e.sub.front().WriteChunk(w.StartChunk(0, 0), level), w.EndChunk(); break;
    default: WriteUnknownChunk(w, e.i); break;
  }
}

void ContainerSpec::WriteChunk(C4DWriter& w, int32_t level) const {
  w.StartChunk(kContainerChunk, level).Int32(id_);
  for (const Entry& e : entries_) WriteChunkEntry(w, e, level);
  w.EndChunk();
}
