// A file object reading bytes that a C4DWriter produced; it keeps the bytes
// alive for as long as the file reads them.
#pragma once
#include <cctype>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "c4d_writer.h"
#include "ge_chunk_file.h"

struct MemoryFile {
  explicit MemoryFile(std::vector<uint8_t> data) : bytes(std::move(data)) {
    opened = file.OpenMemory(bytes.data(), bytes.size());
  }
  explicit MemoryFile(C4DWriter writer) : MemoryFile(writer.Take()) {}

  std::vector<uint8_t> bytes;
  GeChunkFile file;
  bool opened = false;
};

// A writer that has already written the file header.
inline C4DWriter WithHeader() {
  C4DWriter w;
  w.Header();
  return w;
}

// A test case's name as gtest takes it: every character but a letter or a
// digit becomes '_'.
template <class ParamInfo>
std::string CaseName(const ParamInfo& info) {
  std::string name = info.param.name;
  for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}
