// A file in memory that the file layer can open by path, rewritten for each input.
#pragma once
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

class MemoryBackedPath {
 public:
  MemoryBackedPath() : fd_(memfd_create("c4d-fuzz.c4d", 0)) {
    if (fd_ < 0) std::abort();
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~MemoryBackedPath() { close(fd_); }
  const std::string& Write(const uint8_t* data, size_t size) {
    if (ftruncate(fd_, 0) != 0 || pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    return path_;
  }

 private:
  int fd_;
  std::string path_;
};
