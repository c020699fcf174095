#include "ge_container.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "ge_alloc.h"
#include "ge_chunk_file.h"

namespace {

// Fall-backs that lookups hand out when an entry is missing or of another type.
const GeValue kEmptyValue;
const Vector kZeroVector{0.0f, 0.0f, 0.0f};
const String kEmptyString;

// A float truncated toward zero; values beyond the int32 range saturate and
// NaN gives 0, so that no conversion is undefined. Decided on the bits: a
// comparison or conversion of a NaN would raise a floating-point exception,
// which a host running with traps on does not survive.
int32_t TruncateToInt32(float f) {
  const uint32_t bits = std::bit_cast<uint32_t>(f);
  const uint32_t magnitude = bits & 0x7FFFFFFFu;
  if (magnitude > 0x7F800000u) return 0;  // NaN
  if (magnitude >= 0x4F000000u) return (bits >> 31) ? INT32_MIN : INT32_MAX;  // |f| >= 2^31
  return static_cast<int32_t>(f);
}

int32_t NormalisedId(int32_t id) { return id < 0 ? -1 : id; }

size_t IndexSlot(int32_t id, int32_t capacity) {
  const uint32_t h = static_cast<uint32_t>(id) * 2654435761u;
  return static_cast<size_t>(h) & static_cast<size_t>(capacity - 1);
}

GeContainer* NewContainerCopy(const GeContainer& source) {
  GeContainer* copy = GeNew<GeContainer>();
  if (copy && !source.CopyInto(*copy)) {
    delete copy;
    copy = nullptr;
  }
  return copy;
}

}  // namespace

// ---------------------------------------------------------------------------
// GeValue

void GeValue::Clear() {
  switch (type_) {
    case GEVALUE_VECTOR: delete payload_.v; break;
    case GEVALUE_MATRIX: delete payload_.m; break;
    case GEVALUE_STRING: delete payload_.s; break;
    case GEVALUE_CONTAINER: delete payload_.c; break;
    case GEVALUE_LINK: delete payload_.l; break;
    default: break;
  }
  payload_.i = 0;
  type_ = GEVALUE_EMPTY;
}

bool GeValue::SetType(int32_t type) {
  Clear();
  bool allocated = true;
  switch (type) {
    case GEVALUE_WORD:
    case GEVALUE_INT32: payload_.i = 0; break;
    case GEVALUE_FLOAT32: payload_.f = 0.0f; break;
    case GEVALUE_VECTOR: allocated = (payload_.v = GeNew<Vector>()) != nullptr; break;
    case GEVALUE_MATRIX: allocated = (payload_.m = GeNew<Matrix>()) != nullptr; break;
    case GEVALUE_STRING: allocated = (payload_.s = GeNew<String>()) != nullptr; break;
    case GEVALUE_CONTAINER: allocated = (payload_.c = GeNew<GeContainer>()) != nullptr; break;
    default: break;  // no payload
  }
  if (!allocated) {
    payload_.i = 0;
    return false;
  }
  type_ = type;
  return true;
}

bool GeValue::CopyFrom(const GeValue& source) {
  if (this == &source) return true;
  const int32_t type = source.type_;
  if (type == type_ && type != GEVALUE_LINK) {
    switch (type) {
      case GEVALUE_WORD:
      case GEVALUE_INT32:
      case GEVALUE_FLOAT32: payload_ = source.payload_; return true;
      case GEVALUE_VECTOR: *payload_.v = *source.payload_.v; return true;
      case GEVALUE_MATRIX: *payload_.m = *source.payload_.m; return true;
      case GEVALUE_STRING:
        *payload_.s = *source.payload_.s;
        return payload_.s->GetLength() == source.payload_.s->GetLength();
      case GEVALUE_CONTAINER: {
        GeContainer* copy = NewContainerCopy(*source.payload_.c);
        delete payload_.c;
        payload_.c = copy;
        if (copy) return true;
        type_ = GEVALUE_EMPTY;
        return false;
      }
      default: Clear(); return true;  // no other type lives in a container
    }
  }

  Clear();
  switch (type) {
    case GEVALUE_WORD:
    case GEVALUE_INT32:
    case GEVALUE_FLOAT32: payload_ = source.payload_; break;
    case GEVALUE_VECTOR:
      if (!(payload_.v = GeNew<Vector>(*source.payload_.v))) return false;
      break;
    case GEVALUE_MATRIX:
      if (!(payload_.m = GeNew<Matrix>(*source.payload_.m))) return false;
      break;
    case GEVALUE_STRING:
      payload_.s = GeNew<String>(*source.payload_.s);
      if (!payload_.s) return false;
      if (payload_.s->GetLength() != source.payload_.s->GetLength()) {
        delete payload_.s;
        payload_.s = nullptr;
        return false;
      }
      break;
    case GEVALUE_CONTAINER:
      if (!(payload_.c = NewContainerCopy(*source.payload_.c))) return false;
      break;
    case GEVALUE_LINK:
      payload_.l = source.payload_.l ? source.payload_.l->CloneLink() : nullptr;
      if (!payload_.l) return source.payload_.l == nullptr;
      break;
    default: return true;  // stays empty
  }
  type_ = type;
  return true;
}

int32_t GeValue::AsInt32() const {
  if (type_ == GEVALUE_INT32) return payload_.i;
  if (type_ == GEVALUE_FLOAT32) return TruncateToInt32(payload_.f);
  return 0;
}

float GeValue::AsFloat32() const {
  if (type_ == GEVALUE_FLOAT32) return payload_.f;
  if (type_ == GEVALUE_INT32) return static_cast<float>(payload_.i);
  return 0.0f;
}

const Vector& GeValue::AsVector() const { return type_ == GEVALUE_VECTOR ? *payload_.v : kZeroVector; }
const Matrix* GeValue::AsMatrix() const { return type_ == GEVALUE_MATRIX ? payload_.m : nullptr; }
const String& GeValue::AsString() const { return type_ == GEVALUE_STRING ? *payload_.s : kEmptyString; }
GeContainer* GeValue::AsContainer() const { return type_ == GEVALUE_CONTAINER ? payload_.c : nullptr; }
const GeLinkValue* GeValue::AsLink() const { return type_ == GEVALUE_LINK ? payload_.l : nullptr; }

PrivateChunk* GeValue::AsLinkTarget() const {
  return (type_ == GEVALUE_LINK && payload_.l) ? payload_.l->ResolveTarget() : nullptr;
}

void GeValue::SetInt32(int32_t v) {
  if (type_ == GEVALUE_INT32 || type_ == GEVALUE_WORD) payload_.i = v;
}
void GeValue::SetFloat32(float v) {
  if (type_ == GEVALUE_FLOAT32) payload_.f = v;
}
Vector* GeValue::VectorPayload() { return type_ == GEVALUE_VECTOR ? payload_.v : nullptr; }
Matrix* GeValue::MatrixPayload() { return type_ == GEVALUE_MATRIX ? payload_.m : nullptr; }
String* GeValue::StringPayload() { return type_ == GEVALUE_STRING ? payload_.s : nullptr; }

void GeValue::AdoptLink(GeLinkValue* link) {
  Clear();
  if (!link) return;
  type_ = GEVALUE_LINK;
  payload_.l = link;
}

// ---------------------------------------------------------------------------
// GeContainer

void GeContainer::Clear() {
  Entry* entry = first_;
  while (entry) {
    Entry* following = entry->next;
    delete entry;
    entry = following;
  }
  first_ = last_ = nullptr;
  count_ = 0;
  GeFree(index_);
  index_ = nullptr;
  indexCapacity_ = 0;
  nextIndexAt_ = 8;
}

bool GeContainer::BuildIndex(int32_t capacity) {
  auto** index = static_cast<Entry**>(GeAlloc(static_cast<size_t>(capacity) * sizeof(Entry*)));
  if (!index) return false;
  GeFree(index_);
  index_ = index;
  indexCapacity_ = capacity;
  for (Entry* e = first_; e; e = e->next) IndexInsert(e);
  return true;
}

void GeContainer::IndexInsert(Entry* entry) {
  for (size_t slot = IndexSlot(entry->id, indexCapacity_);; slot = (slot + 1) & (indexCapacity_ - 1)) {
    if (!index_[slot]) {
      index_[slot] = entry;
      return;
    }
    if (index_[slot]->id == entry->id) return;  // the older entry keeps the id
  }
}

void GeContainer::Link(Entry* entry) {
  if (last_) {
    last_->next = entry;
  } else {
    first_ = entry;
  }
  last_ = entry;
  ++count_;
  if (index_ && int64_t{count_} * 2 <= indexCapacity_) {
    IndexInsert(entry);
  } else if (count_ >= nextIndexAt_) {
    int32_t capacity = 16;
    while (capacity < int64_t{count_} * 4 && capacity < (1 << 29)) capacity *= 2;
    if (!BuildIndex(capacity)) {
      // Go on scanning; try again when the container has doubled.
      GeFree(index_);
      index_ = nullptr;
      indexCapacity_ = 0;
    }
    nextIndexAt_ = count_ < INT32_MAX / 2 ? count_ * 2 : INT32_MAX;
  } else if (index_) {
    // The index is too full to stay fast until its rebuild is due.
    GeFree(index_);
    index_ = nullptr;
    indexCapacity_ = 0;
  }
}

GeContainer::Entry* GeContainer::FindEntry(int32_t id) const {
  id = NormalisedId(id);
  if (index_) {
    for (size_t slot = IndexSlot(id, indexCapacity_);; slot = (slot + 1) & (indexCapacity_ - 1)) {
      Entry* e = index_[slot];
      if (!e || e->id == id) return e;
    }
  }
  for (Entry* e = first_; e; e = e->next) {
    if (e->id == id) return e;
  }
  return nullptr;
}

GeValue* GeContainer::AppendValue(int32_t id, const GeValue& value) {
  Entry* entry = GeNew<Entry>();
  if (!entry) return nullptr;
  entry->id = NormalisedId(id);
  entry->next = nullptr;
  if (!entry->value.CopyFrom(value)) {
    delete entry;
    return nullptr;
  }
  Link(entry);
  return &entry->value;
}

bool GeContainer::TryStoreValue(int32_t id, const GeValue& value) {
  Entry* entry = FindEntry(id);
  if (!entry) return AppendValue(id, value) != nullptr;
  GeValue& held = entry->value;
  if (held.GetType() == GEVALUE_FLOAT32 && value.GetType() == GEVALUE_INT32) {
    held.SetFloat32(static_cast<float>(value.AsInt32()));
    return true;
  }
  if (held.GetType() == GEVALUE_INT32 && value.GetType() == GEVALUE_FLOAT32) {
    held.SetInt32(TruncateToInt32(value.AsFloat32()));
    return true;
  }
  return held.CopyFrom(value);
}

void GeContainer::StoreValue(int32_t id, const GeValue& value) { TryStoreValue(id, value); }

void GeContainer::StoreInt32(int32_t id, int32_t v) {
  GeValue value;
  value.SetType(GEVALUE_INT32);
  value.SetInt32(v);
  StoreValue(id, value);
}

void GeContainer::StoreBool(int32_t id, bool v) { StoreInt32(id, v ? 1 : 0); }

void GeContainer::StoreFloat32(int32_t id, float v) {
  GeValue value;
  value.SetType(GEVALUE_FLOAT32);
  value.SetFloat32(v);
  StoreValue(id, value);
}

void GeContainer::StoreVector(int32_t id, const Vector& v) {
  GeValue value;
  if (!value.SetType(GEVALUE_VECTOR)) return;
  *value.VectorPayload() = v;
  StoreValue(id, value);
}

int32_t GeContainer::FindInt32(int32_t id, int32_t def) const {
  const Entry* e = FindEntry(id);
  return e ? e->value.AsInt32() : def;
}

bool GeContainer::FindBool(int32_t id, bool def) const {
  const Entry* e = FindEntry(id);
  return e ? e->value.AsInt32() != 0 : def;
}

float GeContainer::FindFloat32(int32_t id, float def) const {
  const Entry* e = FindEntry(id);
  return e ? e->value.AsFloat32() : def;
}

Vector GeContainer::FindVector(int32_t id, const Vector& def) const {
  const Entry* e = FindEntry(id);
  return e ? e->value.AsVector() : def;
}

const GeValue& GeContainer::FindValue(int32_t id) const {
  const Entry* e = FindEntry(id);
  return e ? e->value : kEmptyValue;
}

GeContainer* GeContainer::FindSubContainer(int32_t id) const {
  const Entry* e = FindEntry(id);
  return e ? e->value.AsContainer() : nullptr;
}

GeContainer* GeContainer::AppendSubContainer(int32_t id, const GeContainer& source) {
  Entry* entry = GeNew<Entry>();
  if (!entry) return nullptr;
  entry->id = NormalisedId(id);
  entry->next = nullptr;
  if (!entry->value.SetType(GEVALUE_CONTAINER) || !source.CopyInto(*entry->value.AsContainer())) {
    delete entry;
    return nullptr;
  }
  Link(entry);
  return entry->value.AsContainer();
}

bool GeContainer::CopyInto(GeContainer& target) const {
  if (&target == this) return true;
  target.Clear();
  target.id_ = id_;
  for (const Entry* e = first_; e; e = e->next) {
    if (!target.AppendValue(e->id, e->value)) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Reading

namespace {

enum class EntryRead { Next, EndOk, EndFailed };

EntryRead Outcome(bool ok) { return ok ? EntryRead::Next : EntryRead::EndFailed; }

// The entry that ends a container in either form: id -1 of type 3. Type 3
// under any other id is damage and ends the container as failed.
constexpr int32_t kEndEntryType = 3;
constexpr int32_t kEndEntryId = -1;
// Font data (a Text's font): a chunk that wraps a container of the font's
// family, weight and slant, kept as a sub-container under the entry's id.
constexpr int32_t kFontDataType = 1009372;

EntryRead EndEntry(int32_t id) { return id == kEndEntryId ? EntryRead::EndOk : EntryRead::EndFailed; }

// A chunk node that reads nothing, so that a chunk handed to it is skipped whole.
class SkippedChunk : public PrivateChunk {};

bool Store(GeChunkFile& file, GeContainer& container, int32_t id, const GeValue& value, bool append) {
  const bool stored = append ? container.AppendValue(id, value) != nullptr : container.TryStoreValue(id, value);
  if (!stored) file.SetError(FILEERROR_MEMORY);
  return stored;
}

bool ReadSubContainer(GeChunkFile& file, GeContainer& container, int32_t id, bool append) {
  GeContainer* sub = append ? nullptr : container.FindSubContainer(id);
  if (!sub) {
    const GeContainer empty;
    sub = container.AppendSubContainer(id, empty);
    if (!sub) {
      file.SetError(FILEERROR_MEMORY);
      return false;
    }
  }
  return ReadContainer(file, *sub, false);
}

// A link value: through the scene model's support when it is installed;
// otherwise the link record (a memory value) is read and dropped.
bool ReadLink(GeChunkFile& file, GeValue& value) {
  value.Clear();
  if (GeLinkSupport* support = GeChunkFile::GetLinkSupport()) {
    GeLinkValue* link = support->ReadLinkValue(file);
    if (!link) return false;
    value.AdoptLink(link);
    return true;
  }
  uint8_t* block = nullptr;
  int32_t count = 0;
  const bool ok = file.ReadMemory(block, count);
  GeFree(block);
  return ok;
}

// The value kinds both forms read the same way, each with its own tag byte.
// Returns false for a type that is not one of them.
bool IsCommonType(int32_t type) {
  switch (type) {
    case GEVALUE_INT32: case GEVALUE_FLOAT32: case GEVALUE_VECTOR: case GEVALUE_MATRIX:
    case GEVALUE_STRING: case GEVALUE_CONTAINER: return true;
    default: return false;
  }
}

// Reads the payload of an int32, float32, vector, matrix or string value
// whose type was set with SetType; false for any other type.
bool ReadScalarPayload(GeChunkFile& file, GeValue& value) {
  switch (value.GetType()) {
    case GEVALUE_INT32: {
      int32_t v = 0;
      const bool ok = file.ReadInt32(v);
      value.SetInt32(v);
      return ok;
    }
    case GEVALUE_FLOAT32: {
      float v = 0.0f;
      const bool ok = file.ReadFloat32(v);
      value.SetFloat32(v);
      return ok;
    }
    case GEVALUE_VECTOR: return file.ReadVector(*value.VectorPayload());
    case GEVALUE_MATRIX: return file.ReadMatrix(*value.MatrixPayload());
    case GEVALUE_STRING: return file.ReadString(*value.StringPayload());
    default: return false;
  }
}

EntryRead ReadCommonEntry(GeChunkFile& file, GeContainer& container, int32_t id, int32_t type, bool append) {
  if (type == GEVALUE_CONTAINER) return Outcome(ReadSubContainer(file, container, id, append));
  GeValue value;
  if (!value.SetType(type)) {
    file.SetError(FILEERROR_MEMORY);
    return EntryRead::EndFailed;
  }
  return Outcome(ReadScalarPayload(file, value) && Store(file, container, id, value, append));
}

// The entries whose encoding the newer variant changed: an empty entry (type
// 0) carries no value at all, and a time two doubles, kept as their quotient
// as in a classic file.
EntryRead ReadNewerEntry(GeChunkFile& file, GeContainer& container, int32_t id, int32_t type, bool append) {
  if (type == GEVALUE_EMPTY) return EntryRead::Next;
  GeTime time;
  if (!file.ReadTime(time)) return EntryRead::EndFailed;
  GeValue value;
  value.SetType(GEVALUE_FLOAT32);
  value.SetFloat32(time.denominator != 0.0 ? static_cast<float>(time.numerator / time.denominator) : 0.0f);
  return Outcome(Store(file, container, id, value, append));
}

// The wrapping chunk's header, its container, and whatever else it holds up to its end.
EntryRead ReadFontData(GeChunkFile& file, GeContainer& container, int32_t id, bool append) {
  int32_t chunkId = 0, level = 0;
  if (!file.ReadChunkHeader(chunkId, level) || !ReadSubContainer(file, container, id, append)) {
    return EntryRead::EndFailed;
  }
  return Outcome(file.SkipChunkRest());
}

// Entry values of the chunk form, after the entry's id and type.
EntryRead ReadChunkFormEntry(GeChunkFile& file, GeContainer& container, int32_t id, int32_t type, bool append) {
  if (file.IsNewerVariant() && (type == GEVALUE_EMPTY || type == TAG_TIME)) {
    return ReadNewerEntry(file, container, id, type, append);
  }
  if (IsCommonType(type)) return ReadCommonEntry(file, container, id, type, append);
  switch (type) {
    case kEndEntryType: return EndEntry(id);
    case TAG_TIME: {
      // A time entry keeps one number: the time in seconds, numerator over
      // denominator (0 for a zero denominator).
      uint8_t tag = 0;
      uint32_t words[2] = {0, 0};
      if (!file.ReadByte(tag) || tag != TAG_TIME) return EntryRead::EndFailed;
      if (!file.ReadWord32(words[0]) || !file.ReadWord32(words[1])) {
        file.CopyReadFailure();
        return EntryRead::EndFailed;
      }
      float numerator = 0.0f;
      float denominator = 0.0f;
      std::memcpy(&numerator, &words[0], 4);
      std::memcpy(&denominator, &words[1], 4);
      GeValue value;
      value.SetType(GEVALUE_FLOAT32);
      value.SetFloat32(denominator != 0.0f ? numerator / denominator : 0.0f);
      return Outcome(Store(file, container, id, value, append));
    }
    case TAG_MEMORY: {
      uint8_t tag = 0;
      return Outcome(file.ReadByte(tag) && file.SkipValue(tag));
    }
    case TAG_FILENAME: {
      GeValue value;
      if (!value.SetType(GEVALUE_STRING)) {
        file.SetError(FILEERROR_MEMORY);
        return EntryRead::EndFailed;
      }
      return Outcome(file.ReadFilename(*value.StringPayload()) && Store(file, container, id, value, append));
    }
    case GEVALUE_LINK: {
      GeValue value;
      if (!ReadLink(file, value)) return EntryRead::EndFailed;
      if (value.GetType() != GEVALUE_LINK) return EntryRead::Next;  // read and dropped
      return Outcome(Store(file, container, id, value, append));
    }
    default: {
      // Unknown kind: a whole chunk (nested chunks included) or one value.
      uint8_t tag = 0;
      if (!file.ReadByte(tag)) return EntryRead::EndFailed;
      if (tag == TAG_CHUNK_START && type == kFontDataType) return ReadFontData(file, container, id, append);
      if (tag == TAG_CHUNK_START) {
        SkippedChunk skipped;
        return Outcome(file.ReadChunkList(&skipped, false, true) > 0);
      }
      return Outcome(file.SkipValue(tag));
    }
  }
}

EntryRead ReadOlderFormEntry(GeChunkFile& file, GeContainer& container, int32_t id, uint8_t type, bool append) {
  if (type == kEndEntryType) return EndEntry(id);
  if (IsCommonType(type)) return ReadCommonEntry(file, container, id, type, append);
  // Any other type byte is the tag of the payload that follows.
  return Outcome(file.SkipValue(type));
}

// After each entry the read goes on while the file's error is 0; an error
// that a skip or nested read set without reporting failure ends it with true.
bool ReadChunkForm(GeChunkFile& file, GeContainer& container, bool append) {
  int32_t chunkId = 0;
  int32_t level = 0;
  if (!file.ReadChunkHeader(chunkId, level)) return false;
  if (chunkId != TAG_CONTAINER) return false;
  if (level < 1) return true;
  int32_t containerId = -1;
  if (!file.ReadInt32(containerId)) return false;
  container.SetId(containerId);
  for (;;) {
    uint8_t marker = 0;
    if (!file.ReadByte(marker)) return false;
    if (marker == TAG_CHUNK_END) return true;
    if (marker != TAG_INT32) return false;
    uint32_t id = 0;
    if (!file.ReadWord32(id)) {
      file.CopyReadFailure();
      return false;
    }
    int32_t type = 0;
    if (!file.ReadInt32(type)) return false;
    const EntryRead r = ReadChunkFormEntry(file, container, static_cast<int32_t>(id), type, append);
    if (r != EntryRead::Next) return r == EntryRead::EndOk;
    if (file.GetError()) return true;
  }
}

bool ReadOlderForm(GeChunkFile& file, GeContainer& container, bool append) {
  uint32_t byteCount = 0;  // the size of the rest; entries end themselves
  if (!file.ReadWord32(byteCount)) {
    file.CopyReadFailure();
    return false;
  }
  int32_t containerId = -1;
  if (!file.ReadInt32(containerId)) return false;
  container.SetId(containerId);
  for (;;) {
    uint32_t id = 0;
    uint8_t type = 0;
    if (!file.ReadWord32(id)) {
      file.CopyReadFailure();
      return false;
    }
    if (!file.ReadByte(type)) return false;
    const EntryRead r = ReadOlderFormEntry(file, container, static_cast<int32_t>(id), type, append);
    if (r != EntryRead::Next) return r == EntryRead::EndOk;
    if (file.GetError()) return true;
  }
}

}  // namespace

bool ReadContainer(GeChunkFile& file, GeContainer& container, bool append) {
  if (file.GetError()) return false;
  uint8_t form = 0;
  if (!file.ReadByte(form)) return false;
  if (form != TAG_CONTAINER && form != TAG_CHUNK_START) {
    file.SetError(FILEERROR_FORMAT);
    return false;
  }
  if (!file.EnterNesting()) return false;
  GeAllocMeterScope metered(file.AllocationMeter());
  const bool ok = form == TAG_CONTAINER ? ReadOlderForm(file, container, append) : ReadChunkForm(file, container, append);
  file.LeaveNesting();
  return ok;
}

bool ReadValue(GeChunkFile& file, GeValue& value) {
  value.Clear();
  GeAllocMeterScope metered(file.AllocationMeter());
  int32_t type = 0;
  if (!file.ReadInt32(type)) return false;
  bool ok = true;
  switch (type) {
    case GEVALUE_INT32:
    case GEVALUE_FLOAT32:
    case GEVALUE_VECTOR:
    case GEVALUE_MATRIX:
    case GEVALUE_STRING:
    case GEVALUE_CONTAINER:
      if (!value.SetType(type)) {
        file.SetError(FILEERROR_MEMORY);
        return false;
      }
      ok = type == GEVALUE_CONTAINER ? ReadContainer(file, *value.AsContainer(), true)
                                     : ReadScalarPayload(file, value);
      break;
    case GEVALUE_LINK: ok = ReadLink(file, value); break;
    case TAG_TIME: {
      // Stand-alone times are read and dropped; no node keeps them.
      GeTime time;
      ok = file.ReadTime(time);
      break;
    }
    case GEVALUE_WORD:
    case TAG_MATRIX64:
    case TAG_FILENAME: value.SetType(type); return true;
    case TAG_MEMORY: return true;
    default:
      // 0 and the types from 1000000 on carry nothing; any other is unknown.
      return type == 0 || type >= 1000000;
  }
  if (!ok) value.Clear();
  return ok;
}
