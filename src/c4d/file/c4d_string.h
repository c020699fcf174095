// The file library's string: counted 16-bit code units, 7-bit ASCII only when
// crossing to and from 8-bit text (every other unit or byte becomes "_").
#pragma once
#include <cstdint>
#include <string>

class String {
 public:
  String() = default;
  explicit String(const char* text) { SetFrom8Bit(text, -1); }
  String(const String& other);
  String& operator=(const String& other);
  ~String() { Clear(); }

  // Makes the length n with every unit `fill`; false when the buffer could not grow.
  bool SetLength(int32_t n, uint16_t fill);
  // Grows the buffer to hold n units, keeping the content.
  bool Reserve(int32_t n);
  // n = -1 counts units up to the first 0 unit.
  bool SetFromUnits(const uint16_t* units, int32_t n);
  // n < 0 takes the 0-terminated text. Bytes 127..255 become "_".
  bool SetFrom8Bit(const char* text, int32_t n);
  void InsertRange(int32_t position, const String& source, int32_t start, int32_t end);
  // New 0-terminated 8-bit text (caller frees with GeFree), or null when empty.
  char* ToNew8Bit() const;
  // Convenience for callers outside the module: the same text as ToNew8Bit.
  std::string To8Bit() const;
  void Clear();

  int32_t GetLength() const { return length_; }
  int32_t GetCapacity() const { return capacity_; }
  bool IsEmpty() const { return length_ == 0; }
  const uint16_t* Units() const { return buffer_; }
  uint16_t operator[](int32_t i) const { return buffer_[i]; }

 private:
  int32_t capacity_ = 0;
  int32_t length_ = 0;
  uint16_t* buffer_ = nullptr;
};
