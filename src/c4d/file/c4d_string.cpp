#include "c4d_string.h"

#include <cstring>

#include "ge_alloc.h"

namespace {
constexpr uint16_t kUnderscore = 95;

// Capacities are whole multiples of 16 units.
int64_t RoundedCapacity(int64_t n) { return (n + 15) / 16 * 16; }

char UnitTo8Bit(uint16_t unit) { return unit > 127 ? static_cast<char>(kUnderscore) : static_cast<char>(unit); }

uint16_t ByteToUnit(unsigned char byte) { return byte >= 127 ? kUnderscore : byte; }
}  // namespace

String::String(const String& other) { InsertRange(0, other, -1, -1); }

String& String::operator=(const String& other) {
  if (this == &other) return *this;
  length_ = 0;  // the buffer is kept for the copy
  InsertRange(0, other, -1, -1);
  return *this;
}

bool String::Reserve(int32_t n) {
  const int64_t wanted = RoundedCapacity(n < 0 ? 0 : n);
  if (wanted <= capacity_) return true;
  if (wanted > INT32_MAX) return false;
  auto* grown = static_cast<uint16_t*>(GeAlloc(static_cast<size_t>(wanted) * sizeof(uint16_t)));
  if (!grown) return false;
  if (length_ > 0) std::memcpy(grown, buffer_, static_cast<size_t>(length_) * sizeof(uint16_t));
  GeFree(buffer_);
  buffer_ = grown;
  capacity_ = static_cast<int32_t>(wanted);
  return true;
}

bool String::SetLength(int32_t n, uint16_t fill) {
  if (n < 0) n = 0;
  if (!Reserve(n)) {
    Clear();
    return false;
  }
  for (int32_t i = 0; i < n; ++i) buffer_[i] = fill;
  length_ = n;
  return true;
}

bool String::SetFromUnits(const uint16_t* units, int32_t n) {
  if (!units) n = 0;
  if (n < 0) {
    n = 0;
    while (units[n] != 0) ++n;
  }
  if (!SetLength(n, 0)) return false;
  if (n > 0) std::memcpy(buffer_, units, static_cast<size_t>(n) * sizeof(uint16_t));
  return true;
}

bool String::SetFrom8Bit(const char* text, int32_t n) {
  if (!text) n = 0;
  if (n < 0) {
    const size_t len = std::strlen(text);
    n = len > INT32_MAX ? INT32_MAX : static_cast<int32_t>(len);
  }
  if (!SetLength(n, 0)) return false;
  for (int32_t i = 0; i < n; ++i) buffer_[i] = ByteToUnit(static_cast<unsigned char>(text[i]));
  return true;
}

void String::InsertRange(int32_t position, const String& source, int32_t start, int32_t end) {
  if (position < 0 || position > length_ || source.IsEmpty()) return;
  if (&source == this) {
    // Growing would move the units we are about to copy.
    const String copy(source);
    InsertRange(position, copy, start, end);
    return;
  }
  if (start < 0) start = 0;
  if (end < 0 || end > source.length_) end = source.length_;
  if (start >= end) return;
  const int32_t added = end - start;
  if (int64_t{length_} + added > INT32_MAX || !Reserve(length_ + added)) return;
  std::memmove(buffer_ + position + added, buffer_ + position,
               static_cast<size_t>(length_ - position) * sizeof(uint16_t));
  std::memcpy(buffer_ + position, source.buffer_ + start, static_cast<size_t>(added) * sizeof(uint16_t));
  length_ += added;
}

char* String::ToNew8Bit() const {
  if (length_ == 0) return nullptr;
  auto* text = static_cast<char*>(GeAlloc(static_cast<size_t>(length_) + 2));
  if (!text) return nullptr;
  for (int32_t i = 0; i < length_; ++i) text[i] = UnitTo8Bit(buffer_[i]);
  text[length_] = 0;
  return text;
}

std::string String::To8Bit() const {
  std::string text;
  text.reserve(static_cast<size_t>(length_));
  // A unit 0 ends the text for 8-bit readers, as it does in ToNew8Bit's result.
  for (int32_t i = 0; i < length_ && buffer_[i] != 0; ++i) text.push_back(UnitTo8Bit(buffer_[i]));
  return text;
}

void String::Clear() {
  GeFree(buffer_);
  buffer_ = nullptr;
  capacity_ = 0;
  length_ = 0;
}
